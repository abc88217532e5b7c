#pragma once
// The hotkey box's face toward its host: colours, fonts, the design-time property store, the
// host contract and the names of the saved hotkey. Pure logic.

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace tarnelle::hotkeybox {

// A colour as the host gives it: RGB with red in the low byte, or a system colour index when
// bit 31 is set.
using OleColor = std::uint32_t;
inline constexpr OleColor kSysWindowBackground = 0x80000005u;
inline constexpr OleColor kSysWindowText = 0x80000008u;
[[nodiscard]] constexpr bool IsSystemColor(OleColor c) {
  return (c & 0x80000000u) != 0;
}
[[nodiscard]] constexpr int SystemColorIndex(OleColor c) {
  return static_cast<int>(c & 0xFFu);
}

// A font's defaults, as the platform numbers them (FW_NORMAL, DEFAULT_CHARSET).
inline constexpr std::int32_t kFontWeightNormal = 400;
inline constexpr std::uint8_t kFontCharsetDefault = 1;

struct FontDesc {
  std::wstring name;
  double points = 9.0;
  std::int32_t weight = kFontWeightNormal;
  std::uint8_t charset = kFontCharsetDefault;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

using PropertyValue = std::variant<std::int32_t, bool, std::wstring, FontDesc>;

// Named values kept by the host; names compare without regard to ASCII case.
class PropertyStore {
 public:
  [[nodiscard]] PropertyValue Read(std::wstring_view name, const PropertyValue& fallback) const;
  // A value equal to its default is not kept.
  void Write(std::wstring_view name, const PropertyValue& value, const PropertyValue& fallback);
  [[nodiscard]] bool Contains(std::wstring_view name) const;
  [[nodiscard]] std::size_t size() const { return values_.size(); }

  [[nodiscard]] std::int32_t ReadInt(std::wstring_view name, std::int32_t fallback) const;
  [[nodiscard]] bool ReadBool(std::wstring_view name, bool fallback) const;
  [[nodiscard]] std::wstring ReadText(std::wstring_view name, std::wstring_view fallback) const;
  [[nodiscard]] FontDesc ReadFont(std::wstring_view name, const FontDesc& fallback) const;

 private:
  struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const;
  };
  std::map<std::wstring, PropertyValue, NoCaseLess> values_;
};

// What the box needs of the window that hosts it. One site per box.
class ControlSite {
 public:
  virtual ~ControlSite() = default;
  [[nodiscard]] virtual bool UserMode() const = 0;  // true while the program runs
  [[nodiscard]] virtual FontDesc AmbientFont() const = 0;
  [[nodiscard]] virtual std::wstring ExtenderName() const = 0;  // the instance name, e.g. Orvanta1
  virtual void PropertyChanged(std::wstring_view name) = 0;
};

// A property that may be set only in a designer was set while the program runs.
inline constexpr int kErrSetNotSupportedAtRuntime = 382;

class ControlError : public std::runtime_error {
 public:
  ControlError(int number, const char* what) : std::runtime_error(what), number_(number) {}
  [[nodiscard]] int number() const noexcept { return number_; }

 private:
  int number_;
};

// Where a box keeps its saved hotkey, set in the designer only.
struct StorageProperties {
  std::wstring INIFileName = L"set.ini";
  std::int32_t SettingLocation = 0;  // 0: the INI file; otherwise the per-user settings store
  std::wstring RegKeyName = L"Orvanta";
};

// Design-time property names and defaults.
namespace prop {
inline constexpr wchar_t kBackColor[] = L"BackColor";
inline constexpr wchar_t kForeColor[] = L"ForeColor";
inline constexpr wchar_t kEnabled[] = L"Enabled";
inline constexpr wchar_t kFont[] = L"Font";
inline constexpr wchar_t kBorderStyle[] = L"BorderStyle";
inline constexpr wchar_t kAppearance[] = L"Appearance";
inline constexpr wchar_t kToolTipText[] = L"ToolTipText";
inline constexpr wchar_t kINIFileName[] = L"INIFileName";
inline constexpr wchar_t kSettingLocation[] = L"SettingLocation";
inline constexpr wchar_t kRegKeyName[] = L"RegKeyName";
inline constexpr wchar_t kText[] = L"Text";
}  // namespace prop

// The section of the saved hotkey, in the INI file as in the settings store.
inline constexpr wchar_t kSettingsSection[] = L"Orvanta";

struct SavedKeyNames {
  std::wstring text;
  std::wstring key_code;
  std::wstring mod_key_code;
};
[[nodiscard]] SavedKeyNames SavedKeysFor(std::wstring_view instance_name);

}  // namespace tarnelle::hotkeybox
