# Cross build for Windows 95 with MinGW-w64 (i686). The target is part of the
# toolchain: every translation unit sees the Windows 95 API level. That level
# hides almost nothing newer in MinGW-w64's headers (GetAncestor, SendInput
# still compile), so the binary checks hold the imports to a reviewed list.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 95 PCs: code for the 386 (the compiler's i686 default would use cmov,
# which no 486, Pentium or K6 has), tuned for the Pentium most of them carry.
# API level 4.0; no exceptions or RTTI, and no thread-safe statics (one
# thread, and no runtime to provide the guards).
set(CMAKE_CXX_FLAGS_INIT
    "-march=i386 -mtune=pentium -DWINVER=0x0400 -D_WIN32_WINNT=0x0400 -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-asynchronous-unwind-tables")
set(CMAKE_RC_FLAGS_INIT "-DWINVER=0x0400 -D_WIN32_WINNT=0x0400")

# Subsystem and OS version 4.0 so Windows 95 loads the image; no link time
# stamp so two builds give the same bytes; no relocations, as an EXE always
# loads at its preferred base on Windows 95.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,--no-insert-timestamp -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0 -Wl,--disable-dynamicbase -Wl,--disable-nxcompat -Wl,--disable-reloc-section")
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
