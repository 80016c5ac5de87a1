// The restoration table as the tests expect it, read at run time from the
// test-data file restoration_table.tsv (its header says how it is written).
#pragma once

#include "emulated_machine.h"

#include <cstddef>
#include <string>
#include <vector>

namespace table {

struct Row {
    std::string key;       // subkey under HKEY_LOCAL_MACHINE, as the program spells it
    std::size_t group = 0; // index of key in Contents::keys
    std::string name;
    bool deletes = false;
    DWORD type = REG_NONE; // REG_SZ or REG_BINARY for a set
    emulated::Bytes data;  // the bytes a set writes, a text's zero included
    DWORD bytes = 0;       // the file's byte count, found equal to data's size
};

struct Contents {
    std::vector<Row> rows;
    std::vector<std::string> keys; // the key groups, in table order
    std::string error; // "<path> line <n>: <what is wrong>"; empty when the file is sound
};

// Reads the file; the first line found malformed ends the reading with its error.
Contents Read(const std::string& path);

} // namespace table
