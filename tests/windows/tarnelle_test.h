#pragma once
// What every Windows test shares: a private copy of tarnelle.exe, the words a hotkey box shows,
// and the driver's results turned into assertions.

#include <gtest/gtest.h>

#include "tests/driver/driver.h"

namespace tarnelle::driver {

inline ::testing::AssertionResult Done(const Result& done) {
  return done ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << done.error;
}
#define ASSERT_DONE(step) ASSERT_TRUE(::tarnelle::driver::Done(step)) << #step

inline constexpr wchar_t kPressHotkey[] = L"Press Hotkey";
inline constexpr wchar_t kNotSet[] = L"Not set hotkey";
inline constexpr wchar_t kTaken[] = L"Hotkey already exists, please change a hotkey.";
inline constexpr Key kDown{VK_DOWN, 0x50, true};
inline constexpr Key kEnter{VK_RETURN, 0x1C};
inline constexpr Key kRight{VK_RIGHT, 0x4D, true};

// Menu keys from the closed menu (Show, About, Windows, Options, then Exit below a line) to an
// open submenu, its first item marked: the Options menu; slot |n|'s in the Windows menu; what a
// press does for a window already in front, in Options (slot 0) or for slot |n|.
inline std::vector<Key> Then(std::vector<Key> keys, std::initializer_list<Key> more) {
  keys.insert(keys.end(), more);
  return keys;
}
inline std::vector<Key> OptionsMenu() {
  return {kDown, kDown, kDown, kDown, kRight};
}
inline std::vector<Key> SlotMenu(int n) {
  std::vector<Key> keys = {kDown, kDown, kDown, kRight};
  keys.insert(keys.end(), static_cast<std::size_t>(n - 1), kDown);
  return Then(keys, {kRight});
}
inline std::vector<Key> InFrontMenu(int slot) {
  return slot == 0 ? Then(OptionsMenu(), {kDown, kDown, kRight}) : Then(SlotMenu(slot), {kDown, kRight});
}

// What a box shows for a combination: the held modifiers' words, always in this order, then the
// name the keyboard layout gives the key.
inline std::wstring Shows(const std::vector<Key>& held, Key key) {
  const auto has = [&](Key m) {
    return std::any_of(held.begin(), held.end(), [&](Key k) { return k.vk == m.vk; });
  };
  return std::wstring(has(kWin) ? L"Win + " : L"") + (has(kCtrl) ? L"Ctrl + " : L"") +
         (has(kAlt) ? L"Alt + " : L"") + (has(kShift) ? L"Shift + " : L"") + KeyName(key);
}

// set.ini as the program saves it, slot N holding Ctrl+Shift+F<N> for each of |slots|.
inline std::string IniWith(const std::vector<int>& slots) {
  std::string ini = "[Orvanta]\r\n";
  for (const int n : slots) {
    const std::string box = "Orvanta" + std::to_string(n);
    ini += box + "Text=Ctrl + Shift + F" + std::to_string(n) + "\r\n" + box +
           "KeyCode=" + std::to_string(VK_F1 + n - 1) + "\r\n" + box + "ModKeyCode=6\r\n";
  }
  return ini;
}

// A fresh copy of the program for each test; nothing a failed test held down stays held.
class Tarnelle : public ::testing::Test {
 protected:
  void SetUp() override {
    ReleaseHeld();
    ::GetDesktopWindow();  // the session's shell comes up with its desktop
    ASSERT_TRUE(WaitFor([] { return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }))
        << "this session has no taskbar with a notification area: start it with scripts/wine-session.sh";
  }

  void Start(const std::string& ini = {}) {  // with |ini| as its set.ini, or none
    ASSERT_TRUE(ini.empty() || app.WriteIni(ini));
    ASSERT_DONE(app.Start());
  }

  // The hotkey IniWith gives slot |n|, and whether another program could take it now.
  static void PressSlot(int n) { PressHotkey({kCtrl, kShift}, kF(n)); }
  static bool SlotFree(int n) { return HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F1 + n - 1); }

  // With |window| in front, presses the hotkey of |slot|; in "Get Form" the slot takes the window.
  void Remember(int slot, HWND window) {
    ASSERT_TRUE(ToFront(window));
    PressSlot(slot);
    ASSERT_TRUE(WaitFor([&] { return TextOf(app.SlotText(slot)) == HandleText(window); }))
        << "slot " << slot << (SlotFree(slot) ? ", its hotkey not held" : "")
        << (app.MessageBoxes().empty() ? "" : ", under a message");
    EXPECT_EQ(::GetForegroundWindow(), window) << "remembering a window switches to none";
  }

  // Right-clicks the program's icon, waits for its menu and picks from it with |keys|.
  bool ChooseFromMenu(const std::vector<Key>& keys) {
    bool open =
        ClickTrayIcon(Button::kRight) && WaitFor([&] { return !app.Menus().empty() && app.InMenu(); });
    for (const Key& key : keys) {
      const std::size_t menus = app.Menus().size();
      Press({}, key);  // a submenu opens over the menu
      open = open && (key.vk != VK_RIGHT || WaitFor([&] { return app.Menus().size() > menus; }));
      // A person reads a menu that has just come up before going on; under Wine a key sent while
      // a menu window comes up now and then goes astray.
      WaitFor([] { return false; }, key.vk == VK_RIGHT ? 100 : 0);
    }
    return open;
  }

  // Ticks |slot|; one message saying |text| must come, and the slot ends off.
  void ExpectRefused(int slot, const wchar_t* text) {
    ASSERT_TRUE(app.Tick(slot));
    EXPECT_EQ(Answer(app.pid()), L"error: " + std::wstring(text));
    EXPECT_TRUE(WaitFor([&] { return !app.Checked(app.Check(slot)) && app.Sync(); }));
    EXPECT_TRUE(app.MessageBoxes().empty()) << "a second message";
  }

  void ExpectSaved(int slot, const std::wstring& text, int key, int mods) {
    const std::wstring box = L"Orvanta" + std::to_wstring(slot);
    EXPECT_EQ(app.Saved(box + L"Text"), text) << "slot " << slot;
    EXPECT_EQ(app.Saved(box + L"KeyCode"), std::to_wstring(key)) << "slot " << slot;
    EXPECT_EQ(app.Saved(box + L"ModKeyCode"), std::to_wstring(mods)) << "slot " << slot;
  }

  void Hide() {  // through the hide picture of the title strip
    ASSERT_TRUE(Click(app.Pictures()[1]));
    ASSERT_TRUE(WaitFor([&] { return !app.Visible(); }));
  }

  void Close() {  // through the close picture of the title strip
    ASSERT_TRUE(Click(app.Pictures()[2]));
    ASSERT_TRUE(app.process().Wait());
  }

  Program app;
};

}  // namespace tarnelle::driver
