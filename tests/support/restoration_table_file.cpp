#include "restoration_table_file.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace table {
namespace {

const char* const kHeader = "key\tedit\tname\ttype\tdata\tbytes";
const std::string kHex = "hex:";

std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> columns;
    std::istringstream in(line + "\t"); // so that an empty last column counts
    for (std::string column; std::getline(in, column, '\t');) {
        columns.push_back(column);
    }
    return columns;
}

// The bytes a set writes, a text's zero included; false when the data does not read.
bool Data(const std::string& column, DWORD type, emulated::Bytes& data) {
    if (column.compare(0, kHex.size(), kHex) == 0) {
        const std::string digits = column.substr(kHex.size());
        if (digits.size() % 2 != 0 ||
            digits.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) {
            return false;
        }
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            data.push_back(static_cast<BYTE>(std::stoi(digits.substr(i, 2), nullptr, 16)));
        }
    } else if (type == REG_BINARY || std::any_of(column.begin(), column.end(),
                                                 [](char c) { return c < ' ' || c > '~'; })) {
        return false; // binary data and texts beyond printable ASCII are written as hex
    } else {
        data.assign(column.begin(), column.end());
    }
    if (type == REG_SZ) {
        data.push_back(0);
    }
    return true;
}

// What is wrong with one edit's line, or "" when it reads.
std::string ParseRow(const std::vector<std::string>& columns, Row& row) {
    if (columns.size() != 6) {
        return std::to_string(columns.size()) + " columns instead of 6 (separated by tabs)";
    }
    row.key = columns[0];
    row.name = columns[2];
    const std::string& type = columns[3];
    if (columns[1] == "delete") {
        row.deletes = true;
        return type.empty() && columns[4].empty() && columns[5].empty()
                   ? ""
                   : "a delete leaves type, data and bytes empty";
    }
    if (columns[1] != "set") {
        return "edit \"" + columns[1] + "\" is neither set nor delete";
    }
    if (type != "REG_SZ" && type != "REG_BINARY") {
        return "type \"" + type + "\" is neither REG_SZ nor REG_BINARY";
    }
    row.type = type == "REG_SZ" ? REG_SZ : REG_BINARY;
    if (!Data(columns[4], row.type, row.data)) {
        return "data \"" + columns[4] +
               "\" is neither printable ASCII text nor hex: and digit pairs";
    }
    if (columns[5].empty() || columns[5].size() > 9 ||
        columns[5].find_first_not_of("0123456789") != std::string::npos) {
        return "byte count \"" + columns[5] + "\" is not a number";
    }
    row.bytes = static_cast<DWORD>(std::stoul(columns[5]));
    if (row.bytes != row.data.size()) {
        return "byte count " + columns[5] + ", but the data is " + std::to_string(row.data.size()) +
               " bytes";
    }
    return "";
}

} // namespace

Contents Read(const std::string& path) {
    Contents contents;
    std::ifstream file(path);
    if (!file) {
        contents.error = path + ": cannot be opened";
        return contents;
    }
    bool headerSeen = false;
    std::string line;
    for (std::size_t number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line[0] == '#') {
            continue;
        }
        std::string error;
        Row row;
        if (!headerSeen) {
            headerSeen = line == kHeader;
            error = headerSeen ? "" : "the first line that is no comment must be the header";
        } else if ((error = ParseRow(Columns(line), row)).empty()) {
            // A key's edits are consecutive: each key is one group.
            if (contents.keys.empty() || contents.keys.back() != row.key) {
                if (std::find(contents.keys.begin(), contents.keys.end(), row.key) !=
                    contents.keys.end()) {
                    error = "key \"" + row.key + "\" comes back after other keys' edits";
                }
                contents.keys.push_back(row.key);
            }
            row.group = contents.keys.size() - 1;
            contents.rows.push_back(row);
        }
        if (!error.empty()) {
            contents.error = path + " line " + std::to_string(number) + ": " + error;
            return contents;
        }
    }
    if (contents.rows.empty()) {
        contents.error = path + ": no edits";
    }
    return contents;
}

} // namespace table
