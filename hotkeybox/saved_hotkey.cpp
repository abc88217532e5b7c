#include "hotkeybox/saved_hotkey.h"

#include "settings/ini.h"
#include "settings/user_store.h"
#include "settings/values.h"

namespace tarnelle::hotkeybox {
namespace {

// One of the two places a hotkey can be kept, named once for all three values.
class Place {
 public:
  explicit Place(const StorageProperties& storage)
      : in_ini_(storage.SettingLocation == 0),
        application_(storage.RegKeyName),
        file_(in_ini_ ? settings::IniFile::InProgramFolder(storage.INIFileName) : settings::IniFile{}) {}

  [[nodiscard]] std::wstring Read(const std::wstring& key, std::wstring_view fallback) const {
    return in_ini_ ? file_.Read(kSettingsSection, key, fallback)
                   : settings::ReadUserSetting(application_, kSettingsSection, key, fallback);
  }

  [[nodiscard]] settings::WriteResult Write(const std::wstring& key, std::wstring_view value) const {
    return in_ini_ ? file_.Write(kSettingsSection, key, value)
                   : settings::WriteUserSetting(application_, kSettingsSection, key, value);
  }

  // Where a refused write went, as the user should read it.
  [[nodiscard]] std::wstring Name() const {
    return in_ini_ ? file_.path()
                   : L"HKEY_CURRENT_USER\\Software\\" + application_ + L"\\" + std::wstring(kSettingsSection);
  }

 private:
  bool in_ini_;
  std::wstring application_;
  settings::IniFile file_;
};

}  // namespace

SavedHotKey ReadSavedHotKey(const StorageProperties& storage, std::wstring_view instance_name) {
  const Place place(storage);
  const SavedKeyNames keys = SavedKeysFor(instance_name);
  return SavedHotKey{
      place.Read(keys.text, kPressHotKey),
      HotKeyRecord{settings::ParseSavedNumber(place.Read(keys.key_code, L"0")),
                   settings::ParseSavedNumber(place.Read(keys.mod_key_code, L"0"))},
  };
}

SaveResult WriteSavedHotKey(const StorageProperties& storage, std::wstring_view instance_name,
                            const SavedHotKey& hotkey) {
  const Place place(storage);
  const SavedKeyNames keys = SavedKeysFor(instance_name);
  SaveResult result;
  const auto write = [&](const std::wstring& key, std::wstring_view value) {
    const settings::WriteResult r = place.Write(key, value);
    if (!r.ok && result.ok) {
      result = SaveResult{false, place.Name(), r.error};
    }
  };
  write(keys.text, hotkey.text);
  write(keys.key_code, settings::FormatDecimal32(hotkey.record.KeyCode));
  write(keys.mod_key_code, settings::FormatDecimal32(hotkey.record.ModKeyCode));
  return result;
}

}  // namespace tarnelle::hotkeybox
