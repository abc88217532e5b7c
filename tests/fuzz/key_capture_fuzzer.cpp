// Random key-downs and key-ups into the key capture of the hotkey box, fed the way the box
// feeds it. After every step the record and the text shown must agree with each other and
// with a model kept here.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "hotkeybox/capture.h"

namespace {

using tarnelle::hotkeybox::HotKeyRecord;
using tarnelle::hotkeybox::IsModifierKey;
using tarnelle::hotkeybox::KeyCapture;
namespace hk = tarnelle::hotkeybox;

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// Names keys the way a keyboard layout does: most have a name, some have none. Code 0 has
// none, as no key has scan code 0.
std::wstring NameOf(std::int16_t k) {
  if (k == 0 || k % 7 == 0) {
    return {};
  }
  return L"K" + std::to_wstring(k);
}

// The text a record stands for: its modifier words in their fixed order, then the key's name.
std::wstring TextOf(const HotKeyRecord& r) {
  std::wstring text;
  if ((r.ModKeyCode & hk::kModWin) != 0) {
    text += L"Win + ";
  }
  if ((r.ModKeyCode & hk::kModControl) != 0) {
    text += L"Ctrl + ";
  }
  if ((r.ModKeyCode & hk::kModAlt) != 0) {
    text += L"Alt + ";
  }
  if ((r.ModKeyCode & hk::kModShift) != 0) {
    text += L"Shift + ";
  }
  if (r.KeyCode != 0) {
    text += NameOf(static_cast<std::int16_t>(r.KeyCode));
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  KeyCapture capture;
  std::wstring shown = hk::kPressHotKey;
  bool win_down = false;  // the model's left Win key

  // Four bytes a step: what happens, the key code (one byte, or two for any 16-bit code) and
  // the shift state (all 16 bits, so stray high bits are seen too).
  for (std::size_t i = 0; i + 4 <= size; i += 4) {
    const std::uint8_t op = data[i];
    const auto k =
        static_cast<std::int16_t>((op & 0x80) != 0 ? data[i + 1] | (data[i + 2] << 8) : data[i + 1]);
    const auto shift = static_cast<std::int16_t>(data[i + 3] | ((op & 0x40) != 0 ? data[i + 2] << 8 : 0));
    const HotKeyRecord before = capture.record();
    const std::wstring shown_before = shown;

    switch (op & 3) {
      case 0:
      case 1: {  // key-down
        if (KeyCapture::IsRefused(k)) {
          Require(capture.record() == before);
          break;
        }
        shown = capture.KeyDown(k, shift, NameOf);
        if (k == hk::kVkLeftWin) {
          win_down = true;
        }
        std::int32_t mods = win_down ? hk::kModWin : 0;
        mods |= (shift & hk::kShiftCtrl) != 0 ? hk::kModControl : 0;
        mods |= (shift & hk::kShiftAlt) != 0 ? hk::kModAlt : 0;
        mods |= (shift & hk::kShiftShift) != 0 ? hk::kModShift : 0;
        Require(capture.record().ModKeyCode == mods);
        Require(capture.record().KeyCode == (IsModifierKey(k) ? 0 : k));
        break;
      }
      case 2:  // key-up
        if (k == hk::kVkLeftWin) {
          win_down = false;
        }
        if (capture.KeyUp(k)) {
          shown = hk::kPressHotKey;
          Require(before.KeyCode == 0);
          Require(capture.record() == HotKeyRecord{});
        } else {
          Require(before.KeyCode != 0);
          Require(capture.record() == before);
          Require(shown == shown_before);
        }
        break;
      default:  // the box loses the focus
        capture.FocusLost();
        win_down = false;
        Require(capture.record() == before);
        break;
    }

    const HotKeyRecord& r = capture.record();
    Require(!IsModifierKey(r.KeyCode));
    Require(r.ModKeyCode >= 0 && r.ModKeyCode <= 15);
    Require(capture.WinKeyDown() == win_down);
    if (shown == hk::kPressHotKey) {
      Require(r == HotKeyRecord{});
    } else {
      Require(shown == TextOf(r));
    }
  }
  return 0;
}
