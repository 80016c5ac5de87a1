// The few text operations the framework needs, free of any runtime library.
#pragma once

#include <cstddef>

// Copies up to count characters of source into dest (capacity bytes, at least
// 1), cutting at the capacity; dest is always zero-terminated.
void CopyText(char* dest, std::size_t capacity, const char* source, std::size_t count);

// Appends source to the zero-terminated text in dest, cutting at the capacity.
void AppendText(char* dest, std::size_t capacity, const char* source);
