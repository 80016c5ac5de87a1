"""The machine as the Tarvix-II driver leaves it: the controller's registry
keys with the driver's values, the installation source and its history, and
the driver's INF beside one that must survive."""

import os

from .probe import REG_BINARY, REG_DWORD, REG_SZ, set_value, delete_key

HKLM = "HKLM\\"
# The keys as the driver leaves them: a copy of their own, apart from the
# expected table in tests/support/restoration_table.tsv.
HDC = HKLM + r"System\CurrentControlSet\Services\Class\hdc"
HDC_0001 = HDC + r"\0001"
HDC_0002 = HDC + r"\0002"
HDC_0003 = HDC + r"\0003"
IRQ_ARB = HKLM + r"System\CurrentControlSet\Services\Arbitrators\IRQArb"
IO_ARB = HKLM + r"System\CurrentControlSet\Services\Arbitrators\IOArb"
PCI_IDE = HKLM + r"Enum\PCI\VEN_5A7C&DEV_61E4\BUS_00&DEV_05&FUNC_02"
PCI_CHILD_0 = PCI_IDE + r"\Child0000"
PCI_CHILD_1 = PCI_IDE + r"\Child0001"
MF_CHILD_0 = HKLM + r"Enum\MF\CHILD0000\PCI&VEN_5A7C&DEV_61E4&BUS_00&DEV_05&FUNC_02"
MF_CHILD_1 = HKLM + r"Enum\MF\CHILD0001\PCI&VEN_5A7C&DEV_61E4&BUS_00&DEV_05&FUNC_02"
SETUP = HKLM + r"SOFTWARE\Microsoft\Windows\CurrentVersion\Setup"
HISTORY = r"HKU\.Default\InstallLocationsMRU"

# Everything a run reads back: the keys the program may touch and their
# neighbours, which it must not.
WATCHED_ROOTS = [HKLM + r"System\CurrentControlSet\Services\Class",
                 HKLM + r"System\CurrentControlSet\Services\Arbitrators",
                 HKLM + "Enum", SETUP, r"HKU\.Default"]

INF_DIR = "C:\\windows\\inf"
DRIVER_INF = "Quelda.INF"
OTHER_INF = "MSHDC.INF"

DEFAULT_SOURCE_PATH = b"D:\\WIN95\\\0"


def sz(text):
    return (REG_SZ, text.encode("latin-1") + b"\0")


def binary(data):
    return (REG_BINARY, bytes(data))


def dword(number):
    return (REG_DWORD, number.to_bytes(4, "little"))


def driver_state():
    """{key: {value name: (type, bytes)}}, in the order they are written."""
    return {
        HDC + r"\0000": {"DriverDesc": sz("Standard Floppy Disk Controller"),
                         "InfPath": sz("MSHDC.INF")},
        HDC_0001: {"InfPath": sz("Quelda.INF"), "InfSection": sz("QUELDA_PCI"),
                   "DriverDesc": sz("Tarvix-II PCI IDE Controller"),
                   "DevLoader": sz("*IOS"), "PortDriver": sz("QUELDA.MPD"),
                   "DriverDate": sz(" 8-12-1997")},
        HDC_0002: {"DriverDesc": sz("Tarvix-II Primary Channel"), "InfPath": sz("Quelda.INF"),
                   "InfSection": sz("QUELDA_PRI"), "DevLoader": sz("*IOS")},
        HDC_0003: {"DriverDesc": sz("Tarvix-II Secondary Channel"),
                   "InfPath": sz("Quelda.INF"), "InfSection": sz("QUELDA_SEC")},
        # The driver's mask as binary: the program must replace the type too.
        IRQ_ARB: {"ReservedIRQMask": binary(b"\x21\xDF\x00\x00"), "Owner": sz("VMM")},
        IO_ARB: {"0000": sz("0000:000F"), "0001": sz("0094:00A1"), "0002": sz("0378:037F"),
                 "0003": sz("0170:0177,0376"), "Count": dword(4)},
        PCI_IDE: {"DeviceDesc": sz("Tarvix-II PCI IDE Controller"), "HWRevision": sz("001"),
                  "PCIDualIDE": sz("Y"), "Mfg": sz("Tarvix"), "ConfigFlags": dword(0),
                  "Class": sz("hdc"), "Driver": sz("hdc\\0001"),
                  "BootConfig": binary(b"\x00\x04\x00\x00\xFF\x80\x00\x01")},
        PCI_IDE + r"\LogConfig": {"0000": binary(b"\x01\x02\x00\x00")},
        PCI_CHILD_0: {"HardwareID": sz("QUELDA\\PRIMARY"), "Driver": sz("hdc\\0002")},
        PCI_CHILD_1: {"HardwareID": sz("QUELDA\\SECONDARY"), "Driver": sz("hdc\\0003")},
        MF_CHILD_0: {"HardwareID": sz("QUELDA\\PRIMARY,MF\\CHILD0000"),
                     "IDENoSerialize": binary(b"\x01"),
                     "DeviceDesc": sz("Tarvix-II Primary Channel"),
                     "ConfigFlags": binary(b"\x10\x00\x00\x00"), "Class": sz("hdc")},
        MF_CHILD_1: {"HardwareID": sz("QUELDA\\SECONDARY,MF\\CHILD0001"),
                     "IDENoSerialize": binary(b"\x01"),
                     "DeviceDesc": sz("Tarvix-II Secondary Channel"),
                     "ConfigFlags": binary(b"\x10\x00\x00\x00"), "Class": sz("hdc")},
        HKLM + r"Enum\PCI\VEN_8086&DEV_7000\BUS_00&DEV_07&FUNC_00": {
            "DeviceDesc": sz("PCI to ISA bridge")},
        SETUP: {"SourcePath": (REG_SZ, DEFAULT_SOURCE_PATH)},
        # Six entries in some order, and two values that are no entry.
        HISTORY: {"a": sz("C:\\WINDOWS\\OPTIONS\\CABS"), "b": sz("E:\\DRIVERS"),
                  "c": sz("D:\\WIN95"), "d": sz("A:\\"), "e": sz("F:\\"),
                  "f": sz("\\\\SERVER\\WIN95"), "MRUList": sz("dcfbae"),
                  "aa": sz("not an entry"), "1": sz("neither")},
    }


def seed_commands(state):
    """Probe commands that write the state; a key whose values are None is deleted."""
    commands = [delete_key(HDC), delete_key(IO_ARB), delete_key(IRQ_ARB),
                delete_key(HKLM + "Enum"), delete_key(HISTORY)]
    for key, values in state.items():
        if values is None:
            commands.append(delete_key(key))
            continue
        for name, (value_type, data) in values.items():
            commands.append(set_value(key, name, value_type, data))
    return commands


def inf_path(prefix, name):
    return os.path.join(prefix.unix_path(INF_DIR), name)


def place_infs(prefix, driver_inf=True):
    if driver_inf:
        with open(inf_path(prefix, DRIVER_INF), "wb") as f:
            f.write(b"[Version]\r\nSignature=\"$CHICAGO$\"\r\nClass=hdc\r\n"
                    b"Provider=%Tarvix%\r\n\r\n[Strings]\r\nTarvix=\"Tarvix\"\r\n")
    with open(inf_path(prefix, OTHER_INF), "wb") as f:
        f.write(b"[Version]\r\nSignature=\"$CHICAGO$\"\r\nClass=hdc\r\n")


def inf_files(prefix):
    return sorted(os.listdir(prefix.unix_path(INF_DIR)))
