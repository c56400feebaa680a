#include "setup/program_paths.h"

#include <cstring>

#include "text/dbcs.h"

bool PathBesideProgram(char (&out)[MAX_PATH], const char* programPath, const char* fileName) {
    out[0] = '\0';
    const size_t pathLength = std::strlen(programPath);
    if (pathLength >= MAX_PATH)
        return false;
    char folder[MAX_PATH];
    std::memcpy(folder, programPath, pathLength + 1);
    CutAtLastBackslash(folder);
    const size_t folderLength = std::strlen(folder);
    const size_t nameLength = std::strlen(fileName);
    if (folderLength + 1 + nameLength >= MAX_PATH)
        return false;
    std::memcpy(out, folder, folderLength);
    out[folderLength] = '\\';
    std::memcpy(out + folderLength + 1, fileName, nameLength + 1);
    return true;
}

bool FormUninstallCommand(char (&out)[MAX_PATH], const char* programPath) {
    out[0] = '\0';
    const size_t pathLength = std::strlen(programPath);
    // Two quotes, a blank, "u" and the terminator.
    if (pathLength + 5 > MAX_PATH)
        return false;
    out[0] = '"';
    std::memcpy(out + 1, programPath, pathLength);
    std::memcpy(out + 1 + pathLength, "\" u", 4);
    return true;
}
