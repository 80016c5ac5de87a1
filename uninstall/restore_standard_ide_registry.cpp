#include "restoration_table.h"
#include "step_helpers.h"
#include "uninstall.h"

int RestoreStandardIdeRegistry() {
    std::size_t row = 0;
    for (std::size_t group = 0; group < kKeyGroupCount; ++group) {
        HKEY key;
        if (OpenKeyAllAccess(HKEY_LOCAL_MACHINE, kKeyGroupPaths[group], &key) != ERROR_SUCCESS) {
            return 0; // this group and all later ones stay untouched; nothing is undone
        }
        // Every edit of the group is tried: a failed one does not stop the rest.
        for (; row < kRestorationRowCount && kRestorationTable[row].group == group; ++row) {
            const RestorationRow& edit = kRestorationTable[row];
            if (edit.edit == EditKind::Set) {
                RegSetValueExA(key, edit.name, 0, edit.type,
                               reinterpret_cast<const BYTE*>(edit.data), edit.bytes);
            } else {
                RegDeleteValueA(key, edit.name);
            }
        }
        RegCloseKey(key);
    }
    return 1;
}
