#include "tests/support/scratch_folder.h"

#include <windows.h>

#include <atomic>

#include "tests/support/wide_text.h"

ScratchFolder::ScratchFolder(const std::string& name, const std::string& parent) {
    std::string base = parent;
    if (base.empty()) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        base = Utf8(temp);
    }
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    static std::atomic<unsigned> counter{0};
    for (;;) {
        path_ = base + "\\" + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        if (CreateDirectoryW(Wide(path_).c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            path_.clear();
            break;
        }
    }
}

std::wstring ScratchFolder::WidePath() const {
    return Wide(path_);
}

ScratchFolder::~ScratchFolder() {
    if (!path_.empty())
        DeleteFolderTree(path_);
}

bool ScratchFolder::WriteFile(const std::string& name, const std::string& bytes) const {
    return WriteFile(Wide(name), bytes);
}

bool ScratchFolder::WriteFile(const std::wstring& name, const std::string& bytes) const {
    HANDLE file = CreateFileW((*this / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL done =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return done && written == bytes.size();
}

bool ScratchFolder::AddFolder(const std::string& name) const {
    return CreateDirectoryW(Wide(*this / name).c_str(), nullptr) != FALSE;
}

bool FileExists(const std::string& path) {
    return FileExists(Wide(path));
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string BuiltFilePath(const std::string& linuxPath) {
    std::string path = "Z:" + linuxPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string ReadWholeFile(const std::string& path) {
    return ReadWholeFile(Wide(path));
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void DeleteFolderTree(const std::string& path) {
    DeleteFolderTree(Wide(path));
}

void DeleteFolderTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteFolderTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}
