// The program's version: the one place the version block and the About box
// take it from.
#pragma once

#define SETUP_VERSION_MAJOR 1
#define SETUP_VERSION_MINOR 0
#define SETUP_VERSION_PATCH 0
#define SETUP_VERSION_BUILD 1

#define SETUP_TEXT_(x) #x
#define SETUP_TEXT(x) SETUP_TEXT_(x)

#define SETUP_VERSION                                                                              \
    SETUP_VERSION_MAJOR, SETUP_VERSION_MINOR, SETUP_VERSION_PATCH, SETUP_VERSION_BUILD
// The texts read as the strings they join; clang-format releases break them differently.
// clang-format off
#define SETUP_VERSION_TEXT                                                                         \
    SETUP_TEXT(SETUP_VERSION_MAJOR) ", " SETUP_TEXT(SETUP_VERSION_MINOR) ", "                      \
    SETUP_TEXT(SETUP_VERSION_PATCH) ", " SETUP_TEXT(SETUP_VERSION_BUILD)
#define SETUP_ABOUT_NOTICE                                                                         \
    "Uninstall Version " SETUP_TEXT(SETUP_VERSION_MAJOR) "." SETUP_TEXT(SETUP_VERSION_MINOR) "."   \
    SETUP_TEXT(SETUP_VERSION_PATCH) "." SETUP_TEXT(SETUP_VERSION_BUILD)
// clang-format on
