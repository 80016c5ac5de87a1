// What the uninstall does, stated as tests see it and apart from its code:
// oracles for generated inputs, and the calls that are our choice rather
// than required.
#pragma once

#include "emulated_machine.h"
#include "step_helpers.h"

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

// The most characters a path may have in the program's path buffers.
constexpr std::size_t kLongestPath = kPathBufferBytes - 1;

// The redirection closes each key it opened before it returns, the history
// key first. Nothing requires it (nothing later uses the keys): it is our
// choice, and every count or order of its calls takes the closes from here.
std::vector<std::string> RedirectionClosedKeys(); // as the journal names them
bool IsRedirectionClose(const emulated::Call& call);

} // namespace rules
