// Registration of a box's hotkey on its hidden window, with real hotkeys pressed through
// SendInput and the real message boxes read off the screen.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "hotkeybox/subclass.h"
#include "tests/wine/hotkeybox_host.h"
#include "tests/wine/support.h"

namespace tarnelle::hotkeybox {
namespace {

using host::ComboIsFree;
using host::TestBox;
using host::TypeInto;
using testing::MessageBoxWatcher;
using testing::PumpFor;
using testing::PumpUntil;
using testing::SendCombo;
using testing::TargetWindow;

constexpr UINT kErrorStyle = MB_OK | MB_ICONHAND;

class OrvantaHotKey : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(::IsWindow(host_.hwnd())); }
  void TearDown() override {
    boxes_.clear();
    PumpFor(20);
  }

  TestBox& AddBox(bool user_mode = true) {
    const int n = static_cast<int>(boxes_.size());
    const RECT at{5 + (n % 2) * 140, 5 + (n / 2) * 30, 140 + (n % 2) * 140, 30 + (n / 2) * 30};
    boxes_.push_back(
        std::make_unique<TestBox>(host_.hwnd(), user_mode, L"Orvanta" + std::to_wstring(n + 1), at));
    TestBox& b = *boxes_.back();
    EXPECT_TRUE(b.created);
    b.Load();
    return b;
  }

  // Presses a combination while another application's window has the focus.
  void PressElsewhere(const std::vector<WORD>& mods, WORD vk) {
    ASSERT_TRUE(testing::MakeForeground(elsewhere_.hwnd()));
    SendCombo(mods, vk);
  }

  TargetWindow host_{L"Hotkey box host"};
  TargetWindow elsewhere_{L"Another application"};
  std::vector<std::unique_ptr<TestBox>> boxes_;
};

TEST_F(OrvantaHotKey, ArmedBoxRaisesHotKeyPressedOnARealPress) {
  TestBox& b = AddBox();
  TypeInto(host_.hwnd(), b, {VK_CONTROL, VK_SHIFT}, VK_F8);
  ASSERT_EQ(b.box.KeyCode(), VK_F8);
  ASSERT_EQ(b.box.ModKeyCode(), MOD_CONTROL | MOD_SHIFT);
  MessageBoxWatcher messages;
  b.box.SetHotKeyEnabled(true);
  EXPECT_TRUE(b.box.HotKeyEnabled());
  EXPECT_TRUE(messages.shown().empty());
  EXPECT_FALSE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F8));

  PressElsewhere({VK_CONTROL, VK_SHIFT}, VK_F8);
  EXPECT_TRUE(PumpUntil([&] { return b.events.hotkey_pressed == 1; }));
  PumpFor(50);
  EXPECT_EQ(b.events.hotkey_pressed, 1);

  b.box.SetHotKeyEnabled(false);
  EXPECT_FALSE(b.box.HotKeyEnabled());
  EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F8));
}

TEST_F(OrvantaHotKey, SecondBoxWithTheSameCombinationIsRefusedAndCleared) {
  TestBox& first = AddBox();
  TestBox& second = AddBox();
  TypeInto(host_.hwnd(), first, {VK_CONTROL, VK_MENU}, VK_F9);
  TypeInto(host_.hwnd(), second, {VK_CONTROL, VK_MENU}, VK_F9);
  const std::wstring shown = first.box.Text();
  ASSERT_EQ(second.box.Text(), shown);
  MessageBoxWatcher messages;
  first.box.SetHotKeyEnabled(true);
  ASSERT_TRUE(first.box.HotKeyEnabled());
  ASSERT_TRUE(messages.shown().empty());

  second.box.SetHotKeyEnabled(true);
  ASSERT_EQ(messages.shown().size(), 1u);
  EXPECT_EQ(messages.shown()[0].text, L"Hotkey already exists, please change a hotkey.");
  EXPECT_EQ(messages.shown()[0].caption, L"error");
  EXPECT_EQ(messages.shown()[0].style, kErrorStyle);
  EXPECT_TRUE(messages.shown()[0].seen_on_screen);
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
}

TEST_F(OrvantaHotKey, CombinationHeldByAnotherProgramIsRefusedTheSameWay) {
  TestBox& b = AddBox();
  TypeInto(host_.hwnd(), b, {VK_SHIFT, VK_MENU}, VK_F6);
  TargetWindow other(L"Other program");
  ASSERT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_SHIFT | MOD_ALT, VK_F6));
  MessageBoxWatcher messages;
  b.box.SetHotKeyEnabled(true);
  ASSERT_EQ(messages.shown().size(), 1u);
  EXPECT_EQ(messages.shown()[0].text, L"Hotkey already exists, please change a hotkey.");
  EXPECT_EQ(b.box.Text(), L"Press Hotkey");
  EXPECT_FALSE(b.box.HotKeyEnabled());
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
  ASSERT_EQ(b.box.ModKeyCode(), MOD_CONTROL);
  {
    MessageBoxWatcher messages;
    b.box.SetHotKeyEnabled(true);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, L"Not set hotkey");
    EXPECT_EQ(messages.shown()[0].caption, L"error");
    EXPECT_EQ(messages.shown()[0].style, kErrorStyle);
    EXPECT_TRUE(messages.shown()[0].seen_on_screen);
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
  TargetWindow other(L"Other program");
  EXPECT_FALSE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_SHIFT, VK_F7));
  // Registering again would be refused by the platform; the box must not even try.
  b.box.SetHotKeyEnabled(true);
  EXPECT_TRUE(messages.shown().empty());
  EXPECT_TRUE(b.box.HotKeyEnabled());
  EXPECT_EQ(b.box.KeyCode(), VK_F7);
  EXPECT_FALSE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_SHIFT, VK_F7));
  // One release frees the combination.
  b.box.SetHotKeyEnabled(false);
  EXPECT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_SHIFT, VK_F7));
  ::UnregisterHotKey(other.hwnd(), 1);
}

TEST_F(OrvantaHotKey, KeyWithoutModifiersIsRegistered) {
  TestBox& b = AddBox();
  TypeInto(host_.hwnd(), b, {}, VK_F11);
  ASSERT_EQ(b.box.ModKeyCode(), 0);
  b.box.SetHotKeyEnabled(true);
  EXPECT_TRUE(b.box.HotKeyEnabled());
  PressElsewhere({}, VK_F11);
  EXPECT_TRUE(PumpUntil([&] { return b.events.hotkey_pressed == 1; }));
  b.box.SetHotKeyEnabled(false);
}

TEST_F(OrvantaHotKey, TenBoxesArmedAtOnceEachPressRaisesOnlyItsOwnBox) {
  for (int i = 0; i < 10; ++i) {
    TestBox& b = AddBox();
    TypeInto(host_.hwnd(), b, {VK_CONTROL, VK_MENU, VK_SHIFT}, static_cast<WORD>('0' + i));
    ASSERT_EQ(b.box.KeyCode(), '0' + i);
  }
  MessageBoxWatcher messages;
  for (auto& b : boxes_) {
    b->box.SetHotKeyEnabled(true);
    EXPECT_TRUE(b->box.HotKeyEnabled());
  }
  EXPECT_TRUE(messages.shown().empty());
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    PressElsewhere({VK_CONTROL, VK_MENU, VK_SHIFT}, static_cast<WORD>('0' + i));
    EXPECT_TRUE(PumpUntil([&] { return boxes_[static_cast<std::size_t>(i)]->events.hotkey_pressed == 1; }));
  }
  PumpFor(50);
  for (auto& b : boxes_) {
    EXPECT_EQ(b->events.hotkey_pressed, 1);
  }
}

TEST_F(OrvantaHotKey, HotKeyAtTheThirdHiddenWindowRaisesOnlyTheThirdBox) {
  for (int i = 0; i < 10; ++i) {
    AddBox();
  }
  // The box looks at neither the identifier nor the keys, nor whether it is armed.
  ::PostMessageW(boxes_[2]->box.HotKeyWindow(), WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL, 'Q'));
  ASSERT_TRUE(PumpUntil([&] { return boxes_[2]->events.hotkey_pressed == 1; }));
  PumpFor(30);
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    EXPECT_EQ(boxes_[i]->events.hotkey_pressed, i == 2 ? 1 : 0) << i;
  }
  // RaiseEvents itself is public and raises the same event.
  boxes_[4]->box.RaiseEvents();
  EXPECT_EQ(boxes_[4]->events.hotkey_pressed, 1);
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

TEST_F(OrvantaHotKey, HiddenWindowIsAMessageOnlyDialogWindow) {
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
  EXPECT_NE(::GetAncestor(hidden, GA_PARENT), ::GetDesktopWindow());
}

TEST_F(OrvantaHotKey, HookedHiddenWindowIgnoresCloseAndEveryOtherMessage) {
  TestBox& b = AddBox();
  const HWND hidden = b.box.HotKeyWindow();
  EXPECT_EQ(::SendMessageW(hidden, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(::SendMessageW(hidden, WM_COMMAND, IDCANCEL, 0), 0);
  EXPECT_EQ(::SendMessageW(hidden, WM_QUERYENDSESSION, 0, 0), 0);
  PumpFor(30);
  EXPECT_TRUE(::IsWindow(hidden));
  EXPECT_EQ(b.events.hotkey_pressed, 0);
}

TEST_F(OrvantaHotKey, DestroyingAnArmedBoxDestroysItsWindowAndFreesTheCombination) {
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
}

TEST_F(OrvantaHotKey, BoxOutlivingItsHostWindowTearsDownCleanly) {
  auto parent = std::make_unique<TargetWindow>(L"Short-lived host");
  auto b = std::make_unique<TestBox>(parent->hwnd(), true, L"Orvanta1");
  b->Load();
  const HWND hidden = b->box.HotKeyWindow();
  const HWND text_box = b->box.TextBoxWindow();
  ASSERT_NE(::GetPropW(text_box, kPropWinProc), nullptr);
  parent.reset();  // the text box goes with it, its own procedure given back first
  EXPECT_FALSE(::IsWindow(text_box));
  EXPECT_TRUE(::IsWindow(hidden));
  b.reset();
  EXPECT_FALSE(::IsWindow(hidden));
}

}  // namespace
}  // namespace tarnelle::hotkeybox
