#include "restoration_table_file.h"

#include <fstream>

namespace table {
namespace {

const char* const kHeader = "key\tedit\tname\ttype\tdata\tbytes";
const std::string kHexMarker = "hex:";
constexpr std::size_t kColumns = 6;

std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> columns(1);
    for (char c : line) {
        if (c == '\t') {
            columns.emplace_back();
        } else {
            columns.back() += c;
        }
    }
    return columns;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The data column's bytes, a text's zero added; an empty result means sound.
std::string ParseData(const std::string& column, DWORD type, emulated::Bytes& data) {
    if (column.compare(0, kHexMarker.size(), kHexMarker) == 0) {
        const std::string digits = column.substr(kHexMarker.size());
        if (digits.size() % 2 != 0) {
            return "hex data \"" + digits + "\" has an odd number of digits";
        }
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            const int high = HexDigit(digits[i]);
            const int low = HexDigit(digits[i + 1]);
            if (high < 0 || low < 0) {
                return "hex data \"" + digits + "\" holds a character that is no hex digit";
            }
            data.push_back(static_cast<BYTE>(high * 16 + low));
        }
    } else if (type == REG_BINARY) {
        return "REG_BINARY data must be written as hex: and its bytes";
    } else {
        for (char c : column) {
            if (c < ' ' || c > '~') {
                return "plain text holds a character that is not printable ASCII (write it as "
                       "hex:)";
            }
            data.push_back(static_cast<BYTE>(c));
        }
    }
    if (type == REG_SZ) {
        data.push_back(0);
    }
    return "";
}

std::string ParseCount(const std::string& column, DWORD& bytes) {
    if (column.empty() || column.size() > 9 ||
        column.find_first_not_of("0123456789") != std::string::npos) {
        return "byte count \"" + column + "\" is not a number";
    }
    bytes = 0;
    for (char c : column) {
        bytes = bytes * 10 + static_cast<DWORD>(c - '0');
    }
    return "";
}

// One edit's line; an empty result means sound.
std::string ParseRow(const std::vector<std::string>& columns, Row& row) {
    row.key = columns[0];
    row.name = columns[2];
    if (row.key.empty() || row.name.empty()) {
        return "key and value name must not be empty";
    }
    const std::string& edit = columns[1];
    const std::string& type = columns[3];
    if (edit == "delete") {
        row.deletes = true;
        if (!type.empty() || !columns[4].empty() || !columns[5].empty()) {
            return "a delete leaves type, data and bytes empty";
        }
        return "";
    }
    if (edit != "set") {
        return "edit \"" + edit + "\" is neither set nor delete";
    }
    if (type == "REG_SZ") {
        row.type = REG_SZ;
    } else if (type == "REG_BINARY") {
        row.type = REG_BINARY;
    } else {
        return "type \"" + type + "\" is neither REG_SZ nor REG_BINARY";
    }
    std::string error = ParseData(columns[4], row.type, row.data);
    if (error.empty()) {
        error = ParseCount(columns[5], row.bytes);
    }
    if (error.empty() && row.bytes != row.data.size()) {
        error = "byte count " + columns[5] + ", but the data is " +
                std::to_string(row.data.size()) + " bytes";
    }
    return error;
}

// Rows of one key follow each other, so each key is one group.
std::string PlaceInGroup(Contents& contents, Row& row) {
    if (contents.keys.empty() || contents.keys.back() != row.key) {
        for (const std::string& key : contents.keys) {
            if (key == row.key) {
                return "key \"" + row.key + "\" comes back after other keys' edits";
            }
        }
        contents.keys.push_back(row.key);
    }
    row.group = contents.keys.size() - 1;
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
        if (!headerSeen) {
            headerSeen = line == kHeader;
            if (!headerSeen) {
                error = "the header must name the columns key, edit, name, type, data and bytes, "
                        "separated by tabs";
            }
        } else {
            const std::vector<std::string> columns = Columns(line);
            Row row;
            if (columns.size() != kColumns) {
                error = std::to_string(columns.size()) + " columns instead of " +
                        std::to_string(kColumns) + " (separated by tabs)";
            } else {
                error = ParseRow(columns, row);
            }
            if (error.empty()) {
                error = PlaceInGroup(contents, row);
                contents.rows.push_back(row);
            }
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
