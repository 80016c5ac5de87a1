// The memory and string functions that compiled code calls by name, ours
// because the program links no C runtime library: the four GCC may call on
// its own (memcpy, memmove, memset, memcmp) and strlen, which the uninstall
// uses. Built without the compiler's own idea of these loops, or memset
// would call itself.
#include <cstddef>

extern "C" {

void* memcpy(void* dest, const void* source, std::size_t count) {
    auto* to = static_cast<unsigned char*>(dest);
    const auto* from = static_cast<const unsigned char*>(source);
    for (std::size_t i = 0; i < count; ++i) {
        to[i] = from[i];
    }
    return dest;
}

void* memmove(void* dest, const void* source, std::size_t count) {
    auto* to = static_cast<unsigned char*>(dest);
    const auto* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        return memcpy(dest, source, count);
    }
    for (std::size_t i = count; i > 0; --i) {
        to[i - 1] = from[i - 1];
    }
    return dest;
}

void* memset(void* dest, int value, std::size_t count) {
    auto* to = static_cast<unsigned char*>(dest);
    for (std::size_t i = 0; i < count; ++i) {
        to[i] = static_cast<unsigned char>(value);
    }
    return dest;
}

int memcmp(const void* left, const void* right, std::size_t count) {
    const auto* a = static_cast<const unsigned char*>(left);
    const auto* b = static_cast<const unsigned char*>(right);
    for (std::size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

std::size_t strlen(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

} // extern "C"
