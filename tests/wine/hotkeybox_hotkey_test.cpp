// Registration of a box's hotkey on its hidden window, with real hotkeys pressed through
// SendInput and the real message boxes read off the screen.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "hotkeybox/subclass.h"
#include "tests/wine/hotkeybox_host.h"
#include "tests/wine/support.h"

namespace tarnelle::hotkeybox {
namespace {

using host::TestBox;
using host::TypeInto;
using testing::ComboIsFree;
using testing::MessageBoxWatcher;
using testing::PumpFor;
using testing::PumpUntil;
using testing::ShownMessage;
using testing::TargetWindow;

void ExpectError(const std::vector<ShownMessage>& shown, const wchar_t* text) {
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, text);
  EXPECT_EQ(shown[0].caption, L"error");
  EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
  EXPECT_TRUE(shown[0].seen_on_screen);
}

class OrvantaHotKey : public ::testing::Test {
 protected:
  void TearDown() override {
    boxes_.clear();
    PumpFor(20);
  }

  TestBox& AddBox() {
    const int n = static_cast<int>(boxes_.size());
    const RECT at{5 + (n % 2) * 140, 5 + (n / 2) * 30, 140 + (n % 2) * 140, 30 + (n / 2) * 30};
    boxes_.push_back(std::make_unique<TestBox>(host_.hwnd(), true, L"Orvanta" + std::to_wstring(n + 1), at));
    TestBox& b = *boxes_.back();
    EXPECT_TRUE(b.created);
    b.Load();
    return b;
  }

  // Presses a combination while another application's window has the focus.
  void PressElsewhere(const std::vector<WORD>& mods, WORD vk) {
    ASSERT_TRUE(testing::MakeForeground(elsewhere_.hwnd()));
    testing::SendCombo(mods, vk);
  }

  TargetWindow host_{L"Hotkey box host"};
  TargetWindow elsewhere_{L"Another application"};
  std::vector<std::unique_ptr<TestBox>> boxes_;
};

TEST_F(OrvantaHotKey, ArmedBoxRaisesHotKeyPressedOnARealPressWithOrWithoutModifiers) {
  TestBox& b = AddBox();
  MessageBoxWatcher messages;
  for (const auto& [mods, flags, vk] :
       {std::tuple{std::vector<WORD>{VK_CONTROL, VK_SHIFT}, UINT{MOD_CONTROL | MOD_SHIFT}, WORD{VK_F8}},
        std::tuple{std::vector<WORD>{}, UINT{0}, WORD{VK_F11}}}) {
    SCOPED_TRACE(vk);
    TypeInto(host_.hwnd(), b, mods, vk);
    ASSERT_EQ(b.box.KeyCode(), vk);
    ASSERT_EQ(b.box.ModKeyCode(), static_cast<std::int32_t>(flags));
    b.events.hotkey_pressed = 0;
    b.box.SetHotKeyEnabled(true);
    EXPECT_TRUE(b.box.HotKeyEnabled());
    EXPECT_FALSE(ComboIsFree(flags, vk));
    PressElsewhere(mods, vk);
    EXPECT_TRUE(PumpUntil([&] { return b.events.hotkey_pressed == 1; }));
    PumpFor(50);
    EXPECT_EQ(b.events.hotkey_pressed, 1);
    b.box.SetHotKeyEnabled(false);
    EXPECT_FALSE(b.box.HotKeyEnabled());
    EXPECT_TRUE(ComboIsFree(flags, vk));
  }
  EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrvantaHotKey, CombinationAlreadyHeldIsRefusedAndCleared) {
  TestBox& first = AddBox();
  TestBox& second = AddBox();
  TypeInto(host_.hwnd(), first, {VK_CONTROL, VK_MENU}, VK_F9);
  TypeInto(host_.hwnd(), second, {VK_CONTROL, VK_MENU}, VK_F9);
  const std::wstring shown = first.box.Text();
  ASSERT_EQ(second.box.Text(), shown);
  {
    MessageBoxWatcher messages;
    first.box.SetHotKeyEnabled(true);
    ASSERT_TRUE(first.box.HotKeyEnabled());
    ASSERT_TRUE(messages.shown().empty());
    second.box.SetHotKeyEnabled(true);  // held by a box of this program
    ExpectError(messages.shown(), L"Hotkey already exists, please change a hotkey.");
  }
  EXPECT_FALSE(second.box.HotKeyEnabled());
  EXPECT_EQ(second.box.KeyCode(), 0);
  EXPECT_EQ(second.box.ModKeyCode(), 0);
  EXPECT_EQ(second.box.Text(), L"Press Hotkey");
  // The first box keeps its hotkey, and only it hears the press.
  EXPECT_TRUE(first.box.HotKeyEnabled());
  EXPECT_EQ(first.box.Text(), shown);
  PressElsewhere({VK_CONTROL, VK_MENU}, VK_F9);
  EXPECT_TRUE(PumpUntil([&] { return first.events.hotkey_pressed == 1; }));
  EXPECT_EQ(second.events.hotkey_pressed, 0);

  // Held by another program: refused the same way.
  TypeInto(host_.hwnd(), second, {VK_SHIFT, VK_MENU}, VK_F6);
  TargetWindow other(L"Other program");
  ASSERT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_SHIFT | MOD_ALT, VK_F6));
  MessageBoxWatcher messages;
  second.box.SetHotKeyEnabled(true);
  ExpectError(messages.shown(), L"Hotkey already exists, please change a hotkey.");
  EXPECT_EQ(second.box.Text(), L"Press Hotkey");
  EXPECT_FALSE(second.box.HotKeyEnabled());
  ::UnregisterHotKey(other.hwnd(), 1);
}

TEST_F(OrvantaHotKey, NoCapturedKeyShowsNotSetHotkeyAndChangesNothing) {
  TestBox& b = AddBox();
  ASSERT_TRUE(testing::MakeForeground(host_.hwnd()));
  ::SetFocus(b.box.TextBoxWindow());
  // Ctrl held alone: modifiers shown, no key captured.
  testing::SendKeyDown(VK_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return b.events.key_downs.size() == 1; }));
  ASSERT_EQ(b.box.Text(), L"Ctrl + ");
  ASSERT_EQ(b.box.KeyCode(), 0);
  {
    MessageBoxWatcher messages;
    b.box.SetHotKeyEnabled(true);
    ExpectError(messages.shown(), L"Not set hotkey");
  }
  EXPECT_FALSE(b.box.HotKeyEnabled());
  EXPECT_EQ(b.box.Text(), L"Ctrl + ");
  EXPECT_EQ(b.box.ModKeyCode(), MOD_CONTROL);
  testing::SendKeyUp(VK_CONTROL);
  PumpUntil([&] { return b.events.key_ups.size() == 1; });
}

TEST_F(OrvantaHotKey, WritingTheStoredValueDoesNothing) {
  TestBox& b = AddBox();
  MessageBoxWatcher messages;
  b.box.SetHotKeyEnabled(false);  // not armed, no key: neither a message nor a release
  EXPECT_TRUE(messages.shown().empty());

  TypeInto(host_.hwnd(), b, {VK_CONTROL, VK_SHIFT}, VK_F7);
  b.box.SetHotKeyEnabled(true);
  ASSERT_TRUE(b.box.HotKeyEnabled());
  // Registering again would be refused by the platform; the box must not even try.
  b.box.SetHotKeyEnabled(true);
  EXPECT_TRUE(messages.shown().empty());
  EXPECT_TRUE(b.box.HotKeyEnabled());
  EXPECT_EQ(b.box.KeyCode(), VK_F7);
  EXPECT_FALSE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F7));
  // One release frees the combination.
  b.box.SetHotKeyEnabled(false);
  EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F7));
}

TEST_F(OrvantaHotKey, TenBoxesEachRaiseOnlyTheirOwnEvent) {
  for (int i = 0; i < 10; ++i) {
    TestBox& b = AddBox();
    TypeInto(host_.hwnd(), b, {VK_CONTROL, VK_MENU, VK_SHIFT}, static_cast<WORD>('0' + i));
    ASSERT_EQ(b.box.KeyCode(), '0' + i);
  }
  const auto expect_only = [&](std::size_t raised, int times) {
    PumpFor(30);
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
      EXPECT_EQ(boxes_[i]->events.hotkey_pressed, i == raised ? times : 0) << i;
    }
  };
  // WM_HOTKEY at the third hidden window: the box looks at neither the identifier nor the keys,
  // nor whether it is armed.
  ::PostMessageW(boxes_[2]->box.HotKeyWindow(), WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL, 'Q'));
  ASSERT_TRUE(PumpUntil([&] { return boxes_[2]->events.hotkey_pressed == 1; }));
  expect_only(2, 1);
  boxes_[2]->events.hotkey_pressed = 0;

  MessageBoxWatcher messages;
  for (auto& b : boxes_) {
    b->box.SetHotKeyEnabled(true);
    EXPECT_TRUE(b->box.HotKeyEnabled());
  }
  EXPECT_TRUE(messages.shown().empty());
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    SCOPED_TRACE(i);
    PressElsewhere({VK_CONTROL, VK_MENU, VK_SHIFT}, static_cast<WORD>('0' + i));
    EXPECT_TRUE(PumpUntil([&] { return boxes_[i]->events.hotkey_pressed == 1; }));
    expect_only(i, 1);
    boxes_[i]->events.hotkey_pressed = 0;
  }
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

TEST_F(OrvantaHotKey, HiddenWindowIsAMessageOnlyDialogThatIgnoresClose) {
  TestBox& b = AddBox();
  const HWND hidden = b.box.HotKeyWindow();
  ASSERT_TRUE(::IsWindow(hidden));
  wchar_t cls[32]{};
  ::GetClassNameW(hidden, cls, 32);
  EXPECT_STREQ(cls, L"#32770");
  EXPECT_FALSE(::IsWindowVisible(hidden));
  // Among the message-only windows, and not among the top-level ones that broadcasts reach.
  bool message_only = false;
  for (HWND h = ::FindWindowExW(HWND_MESSAGE, nullptr, L"#32770", nullptr); h != nullptr;
       h = ::FindWindowExW(HWND_MESSAGE, h, L"#32770", nullptr)) {
    message_only = message_only || h == hidden;
  }
  EXPECT_TRUE(message_only);
  std::vector<HWND> top_level;
  ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&top_level));
  ASSERT_FALSE(top_level.empty());
  EXPECT_EQ(std::find(top_level.begin(), top_level.end(), hidden), top_level.end());

  for (const UINT msg : {WM_CLOSE, WM_COMMAND, WM_QUERYENDSESSION}) {
    EXPECT_EQ(::SendMessageW(hidden, msg, IDCANCEL, 0), 0) << msg;
  }
  PumpFor(30);
  EXPECT_TRUE(::IsWindow(hidden));
  EXPECT_EQ(b.events.hotkey_pressed, 0);
}

TEST_F(OrvantaHotKey, DestroyingABoxDestroysItsWindowsAndFreesTheCombination) {
  TestBox& b = AddBox();
  TypeInto(host_.hwnd(), b, {VK_CONTROL, VK_MENU}, VK_F12);
  b.box.SetHotKeyEnabled(true);
  ASSERT_TRUE(b.box.HotKeyEnabled());
  const HWND hidden = b.box.HotKeyWindow();
  const HWND text_box = b.box.TextBoxWindow();
  boxes_.clear();
  EXPECT_FALSE(::IsWindow(hidden));
  EXPECT_FALSE(::IsWindow(text_box));
  EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_ALT, VK_F12));

  // A box that outlives its host window loses the text box with it, and tears down cleanly.
  auto parent = std::make_unique<TargetWindow>(L"Short-lived host");
  auto orphan = std::make_unique<TestBox>(parent->hwnd(), true, L"Orvanta1");
  orphan->Load();
  const HWND orphan_hidden = orphan->box.HotKeyWindow();
  const HWND orphan_text = orphan->box.TextBoxWindow();
  ASSERT_NE(::GetPropW(orphan_text, kPropWinProc), nullptr);
  parent.reset();
  EXPECT_FALSE(::IsWindow(orphan_text));
  EXPECT_TRUE(::IsWindow(orphan_hidden));
  orphan.reset();
  EXPECT_FALSE(::IsWindow(orphan_hidden));
}

}  // namespace
}  // namespace tarnelle::hotkeybox
