// What the uninstall does, stated as tests see it and apart from its code:
// oracles for generated inputs, and the calls that are our choice rather
// than required.
#pragma once

#include "emulated_machine.h"

#include <cstddef>
#include <string>
#include <vector>

namespace rules {

// A source counts as on drive A: when it has a last byte and the bytes before
// it are "A:\" or "a:\" with its zero, or a leading part of either, none
// included. The last byte is never looked at.
bool OnDriveA(const emulated::Bytes& source);

// Where the driver's INF lies for a Windows directory: in its Inf folder,
// joined with a backslash unless the directory is exactly "C:\".
std::string DriverInfPath(const std::string& windowsDirectory);

// The program's texts live in 80-byte buffers: the source path queried is at
// most 80 bytes, and the INF path deleted at most 79 characters and its zero.
// That leaves 64 characters for the Windows directory (79 less "\Inf\" and
// "Quelda.INF"). Written out here, so that a change of the buffers shows.
constexpr std::size_t kLongestSource = 80;
constexpr std::size_t kLongestInfPath = 79;
constexpr std::size_t kLongestWindowsDirectory = 64;

// The redirection closes each key it opened before it returns, the history
// key first. Nothing requires it (nothing later uses the keys): it is our
// choice, and every count or order of its calls takes the closes from here.
std::vector<std::string> RedirectionClosedKeys(); // as the journal names them
bool IsRedirectionClose(const emulated::Call& call);

} // namespace rules
