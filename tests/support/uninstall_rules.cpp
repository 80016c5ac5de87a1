#include "uninstall_rules.h"

#include "uninstall_machine.h"

#include <algorithm>
#include <set>

namespace rules {

bool OnDriveA(const emulated::Bytes& source) {
    static const std::set<std::string> kHeads = {
        "", "A", "A:", "A:\\", std::string("A:\\", 4), "a", "a:", "a:\\", std::string("a:\\", 4),
    };
    return !source.empty() && kHeads.count(std::string(source.begin(), source.end() - 1)) != 0;
}

std::string DriverInfPath(const std::string& windowsDirectory) {
    const char* separator = windowsDirectory == "C:\\" ? "" : "\\";
    return windowsDirectory + separator + "Inf\\Quelda.INF";
}

std::vector<std::string> RedirectionClosedKeys() {
    return {std::string("HKEY_USERS\\") + machine::kHistoryKey,
            std::string("HKEY_LOCAL_MACHINE\\") + machine::kSetupKey};
}

bool IsRedirectionClose(const emulated::Call& call) {
    const std::vector<std::string> keys = RedirectionClosedKeys();
    return call.op == emulated::Op::RegCloseKey &&
           std::find(keys.begin(), keys.end(), call.key) != keys.end();
}

} // namespace rules
