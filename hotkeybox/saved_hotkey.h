#pragma once
// A box's saved hotkey: the text shown and the two codes, under the box's instance name in the
// section "Orvanta", either in an INI file in the program's folder or in the per-user settings
// store, as the box's storage properties say. Each call names its file; nothing is shared.

#include <windows.h>
#include <string>
#include <string_view>

#include "hotkeybox/capture.h"
#include "hotkeybox/properties.h"

namespace tarnelle::hotkeybox {

struct SavedHotKey {
  std::wstring text;  // shown as saved, never rebuilt from the codes
  HotKeyRecord record;
};

// What could not be written, so the caller can tell the user.
struct SaveResult {
  bool ok = true;
  std::wstring where;  // the file, or the registry location, that refused the write
  DWORD error = ERROR_SUCCESS;
};

// The hotkey saved for |instance_name|: "Press Hotkey" and 0, 0 where nothing (or no number)
// is saved.
[[nodiscard]] SavedHotKey ReadSavedHotKey(const StorageProperties& storage, std::wstring_view instance_name);

// Writes all three values; a refused write does not stop the others, and the first refusal is
// reported.
[[nodiscard]] SaveResult WriteSavedHotKey(const StorageProperties& storage, std::wstring_view instance_name,
                                          const SavedHotKey& hotkey);

}  // namespace tarnelle::hotkeybox
