// Window commands of the probe: what another process can read of a program's
// top-level window under Wine (rectangles, texts, ids, styles, focus).
#pragma once

#include <cstdio>
#include <string>

// The window with this caption, its controls in template order, its default
// button and the work area; "window found=0" when there is none.
void ReportWindow(const std::string& caption, std::FILE* out);
// Polls until the window is present (visible) or gone, or the time is up.
void WaitWindow(const std::string& caption, bool present, unsigned long timeoutMs, std::FILE* out);
// A screen point on the caption's close box, found by hit-testing.
void ReportCloseBox(const std::string& caption, std::FILE* out);
// The text of the first child window of this class (such as a help viewer's
// rich edit control), asked of the control itself.
void ReportChildText(const std::string& caption, const std::string& childClass, std::FILE* out);
// Code page, double-byte support, the stock GUI font and the Windows version.
void ReportSystem(std::FILE* out);
