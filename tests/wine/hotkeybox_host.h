#pragma once
// A small host for hotkey boxes under test: its site (user mode or designer), an event log,
// and helpers to type into a box with real key presses.

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hotkeybox/orvanta.h"
#include "tests/wine/support.h"

namespace tarnelle::hotkeybox::host {

class TestSite final : public ControlSite {
 public:
  TestSite(bool user_mode, std::wstring name) : user_mode_(user_mode), name_(std::move(name)) {}
  [[nodiscard]] bool UserMode() const override { return user_mode_; }
  [[nodiscard]] FontDesc AmbientFont() const override { return ambient; }
  [[nodiscard]] std::wstring ExtenderName() const override {
    ++name_reads;
    return name_;
  }
  void PropertyChanged(std::wstring_view name) override { changed.emplace_back(name); }

  FontDesc ambient{L"Tahoma", 8.25, 400, 1, false, false, false};
  std::vector<std::wstring> changed;
  mutable int name_reads = 0;

 private:
  bool user_mode_;
  std::wstring name_;
};

struct KeyEvent {
  std::int16_t code;
  std::int16_t shift;
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

struct MouseEvent {
  char kind;  // 'D'own, 'M'ove, 'U'p
  std::int16_t button;
  std::int16_t shift;
  float x;
  float y;
};

class EventLog final : public OrvantaEvents {
 public:
  void HotKeyPressed() override { ++hotkey_pressed; }
  void Click() override { ++clicks; }
  void DblClick() override { ++double_clicks; }
  void KeyDown(std::int16_t& code, std::int16_t& shift) override {
    if (on_key_down) {
      on_key_down(code, shift);
    }
    key_downs.push_back({code, shift});
  }
  void KeyUp(std::int16_t& code, std::int16_t& shift) override { key_ups.push_back({code, shift}); }
  void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    mouse.push_back({'D', b, s, x, y});
  }
  void MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    mouse.push_back({'M', b, s, x, y});
  }
  void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    mouse.push_back({'U', b, s, x, y});
  }

  int hotkey_pressed = 0;
  int clicks = 0;
  int double_clicks = 0;
  std::vector<KeyEvent> key_downs;
  std::vector<KeyEvent> key_ups;
  std::vector<MouseEvent> mouse;
  std::function<void(std::int16_t&, std::int16_t&)> on_key_down;  // runs before the box acts
};

// One box with its own site and event log, as a host window holds it.
struct TestBox {
  TestBox(HWND parent, bool user_mode, std::wstring name, RECT at = {10, 10, 170, 34})
      : site(user_mode, std::move(name)), box(site, events) {
    created = box.Create(parent, at.left, at.top, at.right - at.left, at.bottom - at.top, 100);
  }
  // Loads from an empty property store: a box with its defaults.
  void Load(const PropertyStore& store = {}) { box.LoadProperties(store); }

  TestSite site;
  EventLog events;
  Orvanta box;
  bool created = false;
};

// The name the platform's layout gives a virtual key's scan code, without the extended bit.
inline std::wstring PlatformKeyName(WORD vk) {
  const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  wchar_t name[255]{};
  const int n = ::GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 255);
  return std::wstring(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

// Types a combination into a box with real key presses and waits until every key-up arrived.
inline void TypeInto(HWND host, TestBox& b, const std::vector<WORD>& mods, WORD vk) {
  ASSERT_TRUE(testing::MakeForeground(host));
  ::SetFocus(b.box.TextBoxWindow());
  ASSERT_EQ(::GetFocus(), b.box.TextBoxWindow());
  const std::size_t ups = b.events.key_ups.size() + mods.size() + 1;
  testing::SendCombo(mods, vk);
  ASSERT_TRUE(testing::PumpUntil([&] { return b.events.key_ups.size() >= ups; }));
}

}  // namespace tarnelle::hotkeybox::host
