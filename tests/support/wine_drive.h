// A drive letter of the test prefix mapped onto a folder as a CD-ROM or network drive,
// through Wine's mount manager (which writes HKLM\Software\Wine\Drives and the prefix's
// dosdevices link, as winecfg does). Removed again when the object goes.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/uncopyable.h"

class MappedDrive : private Uncopyable {
public:
    // driveType: DRIVE_CDROM or DRIVE_REMOTE. folder: a Windows path to an existing folder.
    MappedDrive(char letter, UINT driveType, const std::string& folder);
    ~MappedDrive();

    bool Mapped() const { return mapped_; }
    // "X:"
    std::string Root() const { return std::string(1, letter_) + ":"; }

private:
    char letter_;
    bool mapped_ = false;
};

// The first drive letter from 'R' on that names no drive, or 0.
char FreeDriveLetter();
