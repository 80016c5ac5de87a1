#include "text.h"

#include <cstring>

void CopyText(char* dest, std::size_t capacity, const char* source, std::size_t count) {
    std::size_t i = 0;
    // reserved space for the terminating zero
    for (; i < count && i + 1 < capacity && source[i] != '\0'; ++i) {
        dest[i] = source[i];
    }
    dest[i] = '\0';
}

void AppendText(char* dest, std::size_t capacity, const char* source) {
    std::size_t length = std::strlen(dest);
    CopyText(dest + length, capacity - length, source, std::strlen(source));
}
