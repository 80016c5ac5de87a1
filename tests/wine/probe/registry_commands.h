// Registry commands of the probe: seed and read values byte for byte through
// the ANSI functions, so no code page conversion of ours gets in the way.
#pragma once

#include <cstdio>
#include <string>

// Creates the key chain and sets the value with exactly the given bytes.
bool SetValue(const std::string& keyPath, const std::string& name, unsigned long type,
              const std::string& bytes);
// Deletes the key with all its subkeys; a missing key is no error.
bool DeleteKeyTree(const std::string& keyPath);
// Writes every key and value under keyPath; nothing for a missing key.
void DumpKeyTree(const std::string& keyPath, std::FILE* out);
