#pragma once
// Key capture of the hotkey box: what a key-down or key-up in the box does to the hotkey
// record and to the text shown. Pure logic; the Win32 text box feeds it.

#include <cstdint>
#include <functional>
#include <string>

namespace tarnelle::hotkeybox {

inline constexpr wchar_t kPressHotKey[] = L"Press Hotkey";

// Shift state of a key event (not the hotkey modifier mask).
inline constexpr std::int16_t kShiftShift = 1;
inline constexpr std::int16_t kShiftCtrl = 2;
inline constexpr std::int16_t kShiftAlt = 4;

// Hotkey modifier flags, exactly the platform's MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN.
inline constexpr std::int32_t kModAlt = 1;
inline constexpr std::int32_t kModControl = 2;
inline constexpr std::int32_t kModShift = 4;
inline constexpr std::int32_t kModWin = 8;

// Virtual keys with a fixed role in capture.
inline constexpr std::int16_t kVkShift = 16;
inline constexpr std::int16_t kVkControl = 17;
inline constexpr std::int16_t kVkMenu = 18;
inline constexpr std::int16_t kVkLeftWin = 91;
inline constexpr std::int16_t kVkApps = 93;
inline constexpr std::int16_t kVkProcessKey = 229;  // a key an input method has taken

struct HotKeyRecord {
  std::int32_t KeyCode = 0;     // virtual key; 0 = none captured
  std::int32_t ModKeyCode = 0;  // kMod* flags
  friend bool operator==(const HotKeyRecord&, const HotKeyRecord&) = default;
};

// Names a virtual key from the active keyboard layout; empty when the layout has no name.
using KeyNamer = std::function<std::wstring(std::int16_t virtual_key)>;

[[nodiscard]] constexpr bool IsModifierKey(std::int32_t k) {
  return k == kVkShift || k == kVkControl || k == kVkMenu || k == kVkLeftWin;
}

class KeyCapture {
 public:
  // Refused before anything else, so the box cancels the key and stops: the context-menu key,
  // and the stand-in an input method sends for a key it is composing with, which names no key.
  [[nodiscard]] static constexpr bool IsRefused(std::int16_t k) { return k == kVkApps || k == kVkProcessKey; }

  // A key-down the host has seen (and may have changed): rebuilds the record from nothing and
  // returns the text the box shows now.
  std::wstring KeyDown(std::int16_t k, std::int16_t shift, const KeyNamer& name_of);

  // A key-up: true when nothing is captured, so the box goes back to "Press Hotkey".
  bool KeyUp(std::int16_t k);

  // The box lost the keyboard focus; a left Win key released elsewhere must not stick.
  void FocusLost() { win_key_down_ = false; }

  // A refused registration forgets the combination.
  void Clear() { record_ = {}; }

  void Load(HotKeyRecord record) { record_ = record; }
  [[nodiscard]] const HotKeyRecord& record() const { return record_; }
  [[nodiscard]] bool WinKeyDown() const { return win_key_down_; }

 private:
  HotKeyRecord record_;
  bool win_key_down_ = false;
};

}  // namespace tarnelle::hotkeybox
