#include "step_helpers.h"

#include <cstring>

int DeleteFileInDirectory(LPCSTR directory, LPCSTR fileName) {
    char path[kPathBufferBytes];
    const std::size_t directoryLength = std::strlen(directory);
    const std::size_t nameBytes = std::strlen(fileName) + 1;
    // A path cut short to fit could name another file: delete nothing instead.
    if (directoryLength + nameBytes > sizeof path) {
        return 1;
    }
    std::memcpy(path, directory, directoryLength);
    std::memcpy(path + directoryLength, fileName, nameBytes);
    // DeleteFileA itself: SETUP.EXE has no C runtime to offer a file-removal routine.
    DeleteFileA(path);
    return 1;
}
