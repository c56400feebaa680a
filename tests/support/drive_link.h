// A drive letter of the test's Wine prefix linked to a scratch folder, so that a test can
// work in the root of a drive without touching the real C:\ root. Wine keeps drive letters
// as symbolic links in the prefix's dosdevices folder; the link is made and removed through
// Wine's own helpers and takes effect at once. The drive is a fixed disk.
#pragma once

#include <string>

class DriveLink {
public:
    // Links the first free letter from Y: downwards to folder (a Windows path).
    explicit DriveLink(const std::string& folder);
    ~DriveLink();
    DriveLink(const DriveLink&) = delete;
    DriveLink& operator=(const DriveLink&) = delete;

    // False when not running under Wine or no letter was free.
    bool Valid() const { return letter_ != 0; }
    // The drive alone, such as "Q:".
    std::string Drive() const { return std::string(1, letter_) + ":"; }

private:
    char letter_ = 0;
    std::string link_;
};
