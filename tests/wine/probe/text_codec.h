// Text forms of the probe's output: hex for data, escapes for names, so that
// any byte survives a line-based file.
#pragma once

#include <string>

std::string ToHex(const std::string& bytes);
bool FromHex(const std::string& hex, std::string* bytes);
// Printable ASCII stays as it is; tab, newline, '%' and other bytes become %XX.
std::string Escape(const std::string& text);
