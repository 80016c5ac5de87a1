// The program's version: the one place the version block and the About box
// take it from.
#pragma once

#define SETUP_VERSION 1, 0, 0, 1
#define SETUP_VERSION_TEXT "1, 0, 0, 1"
#define SETUP_ABOUT_NOTICE "Uninstall Version 1.0.0.1"
