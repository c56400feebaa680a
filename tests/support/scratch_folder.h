// A folder of the test's own, deleted with everything in it when the test ends. Narrow names
// and paths are UTF-8.
#pragma once

#include <string>

#include "tests/support/uncopyable.h"

class ScratchFolder : private Uncopyable {
public:
    // Creates <parent>\<name>-<unique number>. parent defaults to the temporary folder.
    explicit ScratchFolder(const std::string& name, const std::string& parent = "");
    ~ScratchFolder();

    // The path in UTF-8, as the tests' narrow texts are, and in UTF-16.
    const std::string& Path() const { return path_; }
    std::wstring WidePath() const;
    // Path() + "\" + name.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    std::wstring operator/(const std::wstring& name) const { return WidePath() + L"\\" + name; }
    // Writes a file of the given bytes into the folder; false when it cannot be written.
    bool WriteFile(const std::string& name, const std::string& bytes = "") const;
    bool WriteFile(const std::wstring& name, const std::string& bytes = "") const;
    // Creates a folder in the folder; false when it cannot be created.
    bool AddFolder(const std::string& name) const;

private:
    std::string path_;
};

bool FileExists(const std::string& path);
bool FileExists(const std::wstring& path);
// A file of the build, named by the build system with its Linux path, as a path of the test
// prefix: Wine's drive Z: shows the whole Linux tree.
std::string BuiltFilePath(const std::string& linuxPath);
std::string ReadWholeFile(const std::string& path);
std::string ReadWholeFile(const std::wstring& path);
// Deletes a folder and everything in it, whatever its names.
void DeleteFolderTree(const std::string& path);
void DeleteFolderTree(const std::wstring& path);
