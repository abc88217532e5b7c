#include "hotkeybox/capture.h"

namespace tarnelle::hotkeybox {

std::wstring KeyCapture::KeyDown(std::int16_t k, std::int16_t shift, const KeyNamer& name_of) {
  if (k == kVkLeftWin) {
    win_key_down_ = true;
  }
  std::wstring text;
  std::int32_t mods = 0;
  if (win_key_down_) {
    text = L"Win + ";
    mods = kModWin;
  }
  if ((shift & kShiftCtrl) != 0) {
    text += L"Ctrl + ";
    mods |= kModControl;
  }
  if ((shift & kShiftAlt) != 0) {
    text += L"Alt + ";
    mods |= kModAlt;
  }
  if ((shift & kShiftShift) != 0) {
    text += L"Shift + ";
    mods |= kModShift;
  }
  if (IsModifierKey(k)) {
    record_.KeyCode = 0;
  } else {
    if (name_of) {
      text += name_of(k);
    }
    record_.KeyCode = k;  // widened with its sign
  }
  record_.ModKeyCode = mods;
  return text;
}

bool KeyCapture::KeyUp(std::int16_t k) {
  if (k == kVkLeftWin) {
    win_key_down_ = false;
  }
  if (record_.KeyCode == 0) {
    record_.ModKeyCode = 0;
    return true;
  }
  return false;
}

}  // namespace tarnelle::hotkeybox
