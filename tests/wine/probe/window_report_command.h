// The probe's side of an inspection: hooks the program's thread with the
// hook DLL that lies next to the probe, asks for a report and copies it out.
#pragma once

#include <cstdio>
#include <string>

void InspectWindow(const std::string& caption, unsigned long timeoutMs, std::FILE* out);
