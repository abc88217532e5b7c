#pragma once
// Real keyboard input through SendInput, shared by every test program (in process or driving
// the real program from outside). Header-only, so that it needs nothing of the program.

#include <windows.h>
#include <vector>

namespace tarnelle::testing {

inline INPUT KeyInput(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
      in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
      break;
    default:
      break;
  }
  return in;
}

// Presses the modifiers in order, the key, then releases everything in reverse order.
inline void SendCombo(const std::vector<WORD>& modifiers, WORD key) {
  std::vector<INPUT> inputs;
  for (WORD m : modifiers) {
    inputs.push_back(KeyInput(m, false));
  }
  inputs.push_back(KeyInput(key, false));
  inputs.push_back(KeyInput(key, true));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
    inputs.push_back(KeyInput(*it, true));
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline void SendKeyDown(WORD vk) {
  INPUT in = KeyInput(vk, false);
  ::SendInput(1, &in, sizeof(INPUT));
}

inline void SendKeyUp(WORD vk) {
  INPUT in = KeyInput(vk, true);
  ::SendInput(1, &in, sizeof(INPUT));
}

}  // namespace tarnelle::testing
