#include "text_codec.h"

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string ToHex(const std::string& bytes) {
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

bool FromHex(const std::string& hex, std::string* bytes) {
    if (hex.size() % 2 != 0) {
        return false;
    }
    bytes->clear();
    for (std::string::size_type i = 0; i < hex.size(); i += 2) {
        int high = DigitValue(hex[i]);
        int low = DigitValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        *bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string Escape(const std::string& text) {
    std::string escaped;
    for (unsigned char c : text) {
        if (c > 32 && c < 127 && c != '%') {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += kDigits[c >> 4];
            escaped += kDigits[c & 15];
        }
    }
    return escaped;
}
