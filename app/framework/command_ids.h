// Commands the framework itself sends and routes.
#pragma once

#include <windows.h>

// Help: F1 in a dialog; routed through the application's command map.
constexpr UINT ID_HELP = 0xE146;
