#include "restoration_table.h"

namespace {

// The key groups as the rows name them, in the order of kKeyGroupPaths.
enum : unsigned char {
    kHdc0001,
    kHdc0002,
    kHdc0003,
    kIrqArb,
    kIoArb,
    kPciIde,
    kPciChild0,
    kPciChild1,
    kMfChild0,
    kMfChild1,
};

// "(標準的硬碟驅動程式)" in Big5, written unchanged whatever the code page.
constexpr LPCSTR kMfgBig5 = "\x28\xBC\xD0\xB7\xC7\xAA\xBA\xB5\x77\xBA\xD0"
                            "\xC5\x58\xB0\xCA\xB5\x7B\xA6\xA1\x29";

constexpr EditKind Set = EditKind::Set;
constexpr EditKind Delete = EditKind::Delete;

} // namespace

// clang-format off
constexpr LPCSTR kKeyGroupPaths[kKeyGroupCount] = {
    "System\\CurrentControlSet\\Services\\Class\\hdc\\0001",               // kHdc0001
    "System\\CurrentControlSet\\Services\\Class\\hdc\\0002",               // kHdc0002
    "System\\CurrentControlSet\\Services\\Class\\hdc\\0003",               // kHdc0003
    "System\\CurrentControlSet\\Services\\Arbitrators\\IRQArb",            // kIrqArb
    "System\\CurrentControlSet\\Services\\Arbitrators\\IOArb",             // kIoArb
    "Enum\\PCI\\VEN_5A7C&DEV_61E4\\BUS_00&DEV_05&FUNC_02",                 // kPciIde
    "Enum\\PCI\\VEN_5A7C&DEV_61E4\\BUS_00&DEV_05&FUNC_02\\Child0000",      // kPciChild0
    "Enum\\PCI\\VEN_5A7C&DEV_61E4\\BUS_00&DEV_05&FUNC_02\\Child0001",      // kPciChild1
    "Enum\\MF\\CHILD0000\\PCI&VEN_5A7C&DEV_61E4&BUS_00&DEV_05&FUNC_02",    // kMfChild0
    "Enum\\MF\\CHILD0001\\PCI&VEN_5A7C&DEV_61E4&BUS_00&DEV_05&FUNC_02",    // kMfChild1
};

constexpr RestorationRow kRestorationTable[kRestorationRowCount] = {
    // group        edit    value name          type        data                                                                  bytes
    {kHdc0001,   Set,    "InfPath",          REG_SZ,     "MSHDC.INF",                                                            10},
    {kHdc0001,   Set,    "InfSection",       REG_SZ,     "UNKNOWN_PCI_IDE",                                                      16},
    {kHdc0001,   Set,    "DriverDesc",       REG_SZ,     "Standard Dual PCI IDE Controller",                                     33},
    {kHdc0002,   Set,    "DriverDesc",       REG_SZ,     "Primary IDE controller (single fifo)",                                 37},
    {kHdc0002,   Set,    "InfPath",          REG_SZ,     "MSHDC.INF",                                                            10},
    {kHdc0002,   Set,    "InfSection",       REG_SZ,     "BAD_IDE",                                                               8},
    {kHdc0003,   Set,    "DriverDesc",       REG_SZ,     "Secondary IDE controller (single fifo)",                               39},
    {kHdc0003,   Set,    "InfPath",          REG_SZ,     "MSHDC.INF",                                                            10},
    {kHdc0003,   Set,    "InfSection",       REG_SZ,     "BAD_IDE",                                                               8},
    {kIrqArb,    Set,    "ReservedIRQMask",  REG_SZ,     "61DF",                                                                  5},
    {kIoArb,     Set,    "0000",             REG_SZ,     "0000:000F,0020:0021,0040:0043,0060:0061,0064,0070:0071,0080:0090",     65},
    {kIoArb,     Set,    "0001",             REG_SZ,     "0094:00A1,00C0:00DF,00F0:00FF,0102,0108:0109,01F0:01F7,02F8:02FF",     65},
    {kIoArb,     Set,    "0002",             REG_SZ,     "0378:037F,03B0:03BB,03C0:03DF,03F0:03FF,04D0:04D1,0CF8:0CFF",          60},
    {kIoArb,     Delete, "0003",             0,          nullptr,                                                                 0},
    {kPciIde,    Set,    "DeviceDesc",       REG_SZ,     "Standard Dual PCI IDE Controller",                                     33},
    {kPciIde,    Set,    "HWRevision",       REG_SZ,     "000",                                                                   4},
    {kPciIde,    Delete, "PCIDualIDE",       0,          nullptr,                                                                 0},
    {kPciIde,    Set,    "Mfg",              REG_SZ,     kMfgBig5,                                                               21},
    {kPciIde,    Set,    "ConfigFlags",      REG_BINARY, "\x80\x00\x00\x00",                                                      4},
    {kPciChild0, Set,    "HardwareID",       REG_SZ,     "MF\\BADPRIMARY",                                                       14},
    {kPciChild1, Set,    "HardwareID",       REG_SZ,     "MF\\BADSECONDARY",                                                     16},
    {kMfChild0,  Set,    "HardwareID",       REG_SZ,     "MF\\BADPRIMARY,MF\\CHILD0000",                                         27},
    {kMfChild0,  Delete, "IDENoSerialize",   0,          nullptr,                                                                 0},
    {kMfChild0,  Set,    "DeviceDesc",       REG_SZ,     "Primary IDE controller (single fifo)",                                 37},
    {kMfChild0,  Set,    "ConfigFlags",      REG_BINARY, "\x00\x00\x00\x00",                                                      4},
    {kMfChild1,  Set,    "HardwareID",       REG_SZ,     "MF\\BADSECONDARY,MF\\CHILD0001",                                       29},
    {kMfChild1,  Delete, "IDENoSerialize",   0,          nullptr,                                                                 0},
    {kMfChild1,  Set,    "DeviceDesc",       REG_SZ,     "Secondary IDE controller (single fifo)",                               39},
    {kMfChild1,  Set,    "ConfigFlags",      REG_BINARY, "\x00\x00\x00\x00",                                                      4},
};
// clang-format on

namespace {

constexpr DWORD TextBytes(LPCSTR text) {
    DWORD bytes = 1;
    while (text[bytes - 1] != '\0') {
        ++bytes;
    }
    return bytes;
}

// Every text is written with exactly its terminating zero, every binary value as 4 bytes.
constexpr bool CountsMatchData() {
    for (const RestorationRow& row : kRestorationTable) {
        if (row.edit == EditKind::Set &&
            row.bytes != (row.type == REG_SZ ? TextBytes(row.data) : DWORD{4})) {
            return false;
        }
    }
    return true;
}
static_assert(CountsMatchData(), "a byte count does not match its data");

// Each row belongs to the group it follows or to the next one, starting at the
// first: so the rows run through all ten groups in order, and no group's
// edits are split by another's.
constexpr bool RowsRunThroughTheGroupsInOrder() {
    std::size_t groupsBegun = 0;
    for (const RestorationRow& row : kRestorationTable) {
        if (row.group == groupsBegun) {
            ++groupsBegun;
        } else if (row.group + std::size_t{1} != groupsBegun) {
            return false;
        }
    }
    return groupsBegun == kKeyGroupCount;
}
static_assert(RowsRunThroughTheGroupsInOrder(), "a row is out of its key group's place");

// The registry ignores letter case in key names.
constexpr char FoldCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool SameKey(LPCSTR a, LPCSTR b) {
    std::size_t i = 0;
    while (FoldCase(a[i]) == FoldCase(b[i])) {
        if (a[i] == '\0') {
            return true;
        }
        ++i;
    }
    return false;
}

// Each key belongs to one group only: it is opened once.
constexpr bool EveryKeyInOneGroup() {
    for (std::size_t i = 0; i < kKeyGroupCount; ++i) {
        for (std::size_t j = i + 1; j < kKeyGroupCount; ++j) {
            if (SameKey(kKeyGroupPaths[i], kKeyGroupPaths[j])) {
                return false;
            }
        }
    }
    return true;
}
static_assert(EveryKeyInOneGroup(), "two key groups name the same key");

} // namespace
