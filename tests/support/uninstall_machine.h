// A machine with the driver installed, and checks over the journal of a run
// that every uninstall test needs: keys closed, no unfilled bytes written.
#pragma once

#include "emulated_machine.h"

#include <string>

namespace machine {

extern const char* const kSetupKey;
extern const char* const kHistoryKey;
extern const char* const kInfPath; // under the default Windows directory C:\WINDOWS

// A text's bytes as the registry holds them: the characters and one zero.
emulated::Bytes Text(const std::string& text);
// A REG_SZ value holding Text(text), the key created if need be.
void PutText(HKEY root, const std::string& path, const std::string& name, const std::string& text);

// Resets the machine to one with the driver installed: every key of the
// restoration table, the Setup key holding this "SourcePath", a history with
// two entries, and the driver's INF in C:\WINDOWS\Inf.
void InstallDriver(const emulated::Bytes& sourcePath, DWORD sourceType = REG_SZ);

// Every key the journal shows opened was closed later through its handle.
bool EveryOpenedKeyClosed();

// A write or a deleted path in the journal carries the query's or the
// directory's poison byte: bytes no call filled were used.
bool UnfilledBytesUsed();

// The arguments of two calls agree (results and handles aside).
bool SameCall(const emulated::Call& a, const emulated::Call& b);

} // namespace machine
