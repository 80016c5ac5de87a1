// The end-to-end tests' probe: runs the commands of a script file inside the
// Wine prefix and writes what it read to an output file (a Wine program's
// standard output may never close, so nothing is read from it).
//   probe.exe SCRIPT OUTPUT
// One command a line, fields separated by tabs:
//   setval KEY NAME TYPE HEX | delkey KEY | dump KEY
//   window CAPTION | wait CAPTION present|gone MS | closebox CAPTION
//   inspect CAPTION MS | childtext CAPTION CLASS | system
// KEY is HKLM\..., HKU\... or HKCU\...; HEX is the value's bytes.
#include "window_report_command.h"
#include "registry_commands.h"
#include "text_codec.h"
#include "window_commands.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

bool RunSetValue(const std::vector<std::string>& f) {
    std::string bytes;
    return f.size() == 5 && FromHex(f[4], &bytes) &&
           SetValue(f[1], f[2], std::strtoul(f[3].c_str(), nullptr, 10), bytes);
}

// Runs one command; false when it is malformed or its registry write failed.
bool RunCommand(const std::vector<std::string>& f, std::FILE* out) {
    const std::string& name = f[0];
    if (name == "setval") {
        return RunSetValue(f);
    }
    if (name == "delkey" && f.size() == 2) {
        return DeleteKeyTree(f[1]);
    }
    if (name == "dump" && f.size() == 2) {
        DumpKeyTree(f[1], out);
    } else if (name == "window" && f.size() == 2) {
        ReportWindow(f[1], out);
    } else if (name == "wait" && f.size() == 4) {
        WaitWindow(f[1], f[2] == "present", std::strtoul(f[3].c_str(), nullptr, 10), out);
    } else if (name == "closebox" && f.size() == 2) {
        ReportCloseBox(f[1], out);
    } else if (name == "inspect" && f.size() == 3) {
        InspectWindow(f[1], std::strtoul(f[2].c_str(), nullptr, 10), out);
    } else if (name == "childtext" && f.size() == 3) {
        ReportChildText(f[1], f[2], out);
    } else if (name == "system" && f.size() == 1) {
        ReportSystem(out);
    } else {
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: probe SCRIPT OUTPUT\n");
        return 2;
    }
    std::FILE* script = std::fopen(argv[1], "rb");
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!script || !out) {
        return 2;
    }
    int failures = 0;
    char line[8192];
    while (std::fgets(line, sizeof line, script)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        if (text.empty()) {
            continue;
        }
        if (!RunCommand(SplitFields(text), out)) {
            std::fprintf(out, "error\t%s\n", Escape(text).c_str());
            ++failures;
        }
    }
    std::fprintf(out, "end\tfailures=%d\n", failures);
    std::fclose(out);
    std::fclose(script);
    return failures == 0 ? 0 : 1;
}
