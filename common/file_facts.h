// What the file system says of a path or of an open file, for both programs. Inline, so that a
// program carries only those it calls: the x64 linker keeps every function of an object file it
// links, called or not.
#pragma once

#include <windows.h>

// True when the path names a folder; false for a file and for a path that names nothing.
inline bool IsFolder(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Which file a handle has open: its volume's serial number and its index on that volume. Two
// handles have one file open when their identities agree, whatever paths they were opened by.
// Left unset by its declaration, for the reader to fill; one kept beside a failed read is
// declared zeroed (= {}).
struct FileIdentity {
    DWORD Volume;
    ULARGE_INTEGER Index;
};

// Reads the identity of the file that file has open; false, with identity as it was, when the
// system cannot tell.
inline bool ReadFileIdentity(HANDLE file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information))
        return false;
    identity.Volume = information.dwVolumeSerialNumber;
    identity.Index.HighPart = information.nFileIndexHigh;
    identity.Index.LowPart = information.nFileIndexLow;
    return true;
}

inline bool SameIdentity(const FileIdentity& first, const FileIdentity& second) {
    return first.Volume == second.Volume && first.Index.QuadPart == second.Index.QuadPart;
}
