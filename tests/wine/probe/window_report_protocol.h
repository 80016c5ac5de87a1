// What the probe and its hook DLL share: the message that asks the hook, from
// inside the program's own thread, to report what no other process can read.
#pragma once

// Posted to the window to inspect, with the window's handle as wParam.
constexpr char kInspectMessage[] = "E2eProbeInspect";
// The hook writes its report next to itself: the DLL's path with this suffix.
constexpr char kReportSuffix[] = ".report";
