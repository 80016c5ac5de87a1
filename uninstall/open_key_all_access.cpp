#include "step_helpers.h"

LONG OpenKeyAllAccess(HKEY root, LPCSTR subKey, PHKEY key) {
    return RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, key);
}
