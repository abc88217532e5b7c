// The main window's slots against real windows, real hotkeys and real clicks.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "settings/ini.h"
#include "switcher/frmset.h"
#include "switcher/handle_text.h"
#include "tests/wine/support.h"

namespace tarnelle::switcher {
namespace {

using testing::CenterOf;
using testing::ComboIsFree;
using testing::ExeFolder;
using testing::MessageBoxWatcher;
using testing::MouseButton;
using testing::PumpFor;
using testing::PumpUntil;
using testing::SendClick;
using testing::SendCombo;
using testing::TargetWindow;
using testing::TextOf;

std::wstring HandleText(HWND h) {
  return FormatHandleText(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(h)));
}

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(ExeFolder() / L"set.ini");
    form_ = std::make_unique<frmSet>();
    form_->quit_on_destroy = false;
    form_->end_program = [this] { ended_ = true; };
    ASSERT_TRUE(form_->Create());
    form_->ShowCentered();
    PumpFor(100);
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove(ExeFolder() / L"set.ini");
    PumpFor(50);
  }

  // Types a combination into a slot's box with real key presses.
  void TypeHotkey(int slot, const std::vector<WORD>& mods, WORD vk) {
    ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
    ::SetFocus(form_->Box(slot).TextBoxWindow());
    SendCombo(mods, vk);
    ASSERT_TRUE(PumpUntil([&] { return form_->Box(slot).KeyCode() == vk; }));
    PumpFor(50);
  }

  void ClickCheck(int slot, MouseButton button = MouseButton::kLeft) {
    ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
    SendClick(CenterOf(form_->Check(slot).control()), button);
    PumpFor(150);
  }

  void ClickMode(int index) {
    ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
    SendClick(CenterOf(form_->ModeButton(index)));
    ASSERT_TRUE(PumpUntil([&] { return form_->curmode() == index; }));
  }

  // Puts |target| in front and presses the hotkey for real.
  void PressWith(HWND target, const std::vector<WORD>& mods, WORD vk) {
    ASSERT_TRUE(testing::MakeForeground(target));
    SendCombo(mods, vk);
  }

  std::unique_ptr<frmSet> form_;
  bool ended_ = false;
};

TEST_F(FormTest, StartsWithEverySlotOffAndGetFormSelected) {
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    EXPECT_EQ(form_->Check(slot).Value(), 0) << slot;
    EXPECT_FALSE(form_->Box(slot).HotKeyEnabled()) << slot;
    EXPECT_EQ(form_->SlotText(slot), L"") << slot;
    EXPECT_EQ(TextOf(form_->Check(slot).control()), L"Start Hotkey " + std::to_wstring(slot));
    EXPECT_EQ(form_->Box(slot).Text(), L"Press Hotkey");
  }
  EXPECT_FALSE(form_->curmode().has_value());
  EXPECT_EQ(::SendMessageW(form_->ModeButton(0), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageW(form_->ModeButton(1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(FormTest, GetFormStoresTheWindowInFrontAndChangeFormBringsItBack) {
  TargetWindow editor(L"editor");
  TargetWindow other(L"other");
  TypeHotkey(3, {VK_CONTROL, VK_MENU}, '3');
  EXPECT_EQ(form_->Box(3).Text().rfind(L"Ctrl + Alt + ", 0), 0u);
  ClickCheck(3);
  ASSERT_EQ(form_->Check(3).Value(), 1);
  ASSERT_TRUE(form_->Box(3).HotKeyEnabled());

  // Unset mode acts as "Get Form".
  PressWith(editor.hwnd(), {VK_CONTROL, VK_MENU}, '3');
  ASSERT_TRUE(PumpUntil([&] { return form_->SlotText(3) == HandleText(editor.hwnd()); }));
  // A second press with another window in front replaces it; other slots stay empty.
  PressWith(other.hwnd(), {VK_CONTROL, VK_MENU}, '3');
  ASSERT_TRUE(PumpUntil([&] { return form_->SlotText(3) == HandleText(other.hwnd()); }));
  EXPECT_EQ(form_->SlotText(2), L"");
  EXPECT_EQ(form_->SlotText(4), L"");

  // "Start Change Form": a minimised window is restored and brought to the front, and the
  // slot keeps its text.
  ClickMode(1);
  ::ShowWindow(other.hwnd(), SW_MINIMIZE);
  PumpFor(100);
  ASSERT_TRUE(::IsIconic(other.hwnd()));
  PressWith(editor.hwnd(), {VK_CONTROL, VK_MENU}, '3');
  EXPECT_TRUE(
      PumpUntil([&] { return !::IsIconic(other.hwnd()) && ::GetForegroundWindow() == other.hwnd(); }));
  EXPECT_EQ(form_->SlotText(3), HandleText(other.hwnd()));

  // A maximised window comes forward still maximised.
  ::ShowWindow(other.hwnd(), SW_MAXIMIZE);
  PressWith(editor.hwnd(), {VK_CONTROL, VK_MENU}, '3');
  EXPECT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == other.hwnd(); }));
  EXPECT_TRUE(::IsZoomed(other.hwnd()));

  // Back to "Get Form": pressing stores again.
  ClickMode(0);
  PressWith(editor.hwnd(), {VK_CONTROL, VK_MENU}, '3');
  EXPECT_TRUE(PumpUntil([&] { return form_->SlotText(3) == HandleText(editor.hwnd()); }));
}

TEST_F(FormTest, GetFormWithTheProgramInFrontStoresItsOwnWindow) {
  TypeHotkey(1, {VK_CONTROL, VK_SHIFT}, VK_F6);
  ClickCheck(1);
  ASSERT_TRUE(form_->Box(1).HotKeyEnabled());
  PressWith(form_->hwnd(), {VK_CONTROL, VK_SHIFT}, VK_F6);
  EXPECT_TRUE(PumpUntil([&] { return form_->SlotText(1) == HandleText(form_->hwnd()); }));
}

TEST_F(FormTest, ChangeFormIgnoresEmptyZeroGarbageAndClosedWindows) {
  TargetWindow front(L"front");
  TypeHotkey(2, {VK_CONTROL, VK_SHIFT}, VK_F7);
  ClickCheck(2);
  ASSERT_TRUE(form_->Box(2).HotKeyEnabled());
  ClickMode(1);

  TargetWindow closed(L"closed");
  const std::wstring closed_text = HandleText(closed.hwnd());
  closed.Destroy();
  for (const std::wstring text : {L"", L"0", L"12abc", L"99999999999", closed_text.c_str()}) {
    ::SetWindowTextW(form_->TextBox(2), text.c_str());
    PressWith(front.hwnd(), {VK_CONTROL, VK_SHIFT}, VK_F7);
    PumpFor(200);
    EXPECT_EQ(::GetForegroundWindow(), front.hwnd()) << std::string(text.begin(), text.end());
    EXPECT_EQ(form_->SlotText(2), text);
  }
}

TEST_F(FormTest, ChangeFormLeavesAHiddenWindowHidden) {
  TargetWindow front(L"front");
  TargetWindow hidden(L"hidden");
  ::ShowWindow(hidden.hwnd(), SW_HIDE);
  TypeHotkey(4, {VK_CONTROL, VK_SHIFT}, VK_F8);
  ClickCheck(4);
  ClickMode(1);
  ::SetWindowTextW(form_->TextBox(4), HandleText(hidden.hwnd()).c_str());
  PressWith(front.hwnd(), {VK_CONTROL, VK_SHIFT}, VK_F8);
  PumpFor(200);
  EXPECT_FALSE(::IsWindowVisible(hidden.hwnd()));
}

TEST_F(FormTest, TheSameWindowInSeveralSlotsComesBackFromEach) {
  TargetWindow remembered(L"remembered");
  TargetWindow front(L"front");
  TypeHotkey(5, {VK_CONTROL, VK_SHIFT}, 'Q');
  TypeHotkey(6, {VK_CONTROL, VK_SHIFT}, 'W');
  ClickCheck(5);
  ClickCheck(6);
  ASSERT_TRUE(form_->Box(5).HotKeyEnabled());
  ASSERT_TRUE(form_->Box(6).HotKeyEnabled());
  PressWith(remembered.hwnd(), {VK_CONTROL, VK_SHIFT}, 'Q');
  PressWith(remembered.hwnd(), {VK_CONTROL, VK_SHIFT}, 'W');
  ASSERT_TRUE(PumpUntil([&] {
    return form_->SlotText(5) == HandleText(remembered.hwnd()) && form_->SlotText(6) == form_->SlotText(5);
  }));
  ClickMode(1);
  for (WORD key : {WORD{'Q'}, WORD{'W'}}) {
    PressWith(front.hwnd(), {VK_CONTROL, VK_SHIFT}, key);
    EXPECT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == remembered.hwnd(); })) << key;
  }
}

TEST_F(FormTest, CheckingASlotWithoutAHotkeySaysSoAndEndsUnchecked) {
  MessageBoxWatcher boxes;
  ClickCheck(1);  // slots 1-5 apply on the mouse-button release
  ClickCheck(7);  // slots 6-10 apply on the click
  ASSERT_EQ(boxes.shown().size(), 2u);
  for (const auto& m : boxes.shown()) {
    EXPECT_EQ(m.text, L"Not set hotkey");
    EXPECT_EQ(m.caption, L"error");
    EXPECT_EQ(m.style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_TRUE(m.seen_on_screen);
  }
  EXPECT_EQ(form_->Check(1).Value(), 0);
  EXPECT_EQ(form_->Check(7).Value(), 0);
}

TEST_F(FormTest, ASecondSlotWithTheSameHotkeyIsRefusedWithOneMessage) {
  for (int slot : {1, 2, 8}) {
    TypeHotkey(slot, {VK_CONTROL, VK_SHIFT}, VK_F9);
  }
  ClickCheck(1);
  ASSERT_TRUE(form_->Box(1).HotKeyEnabled());
  MessageBoxWatcher boxes;
  ClickCheck(2);
  ClickCheck(8);  // its nested reconcile must not show the message twice
  ASSERT_EQ(boxes.shown().size(), 2u);
  for (const auto& m : boxes.shown()) {
    EXPECT_EQ(m.text, L"Hotkey already exists, please change a hotkey.") << &m - boxes.shown().data();
    EXPECT_TRUE(m.seen_on_screen);
  }
  for (int slot : {2, 8}) {
    EXPECT_EQ(form_->Check(slot).Value(), 0) << slot;
    EXPECT_FALSE(form_->Box(slot).HotKeyEnabled());
    EXPECT_EQ(form_->Box(slot).Text(), L"Press Hotkey") << slot;
    EXPECT_EQ(form_->Box(slot).KeyCode(), 0);
    EXPECT_EQ(form_->Box(slot).ModKeyCode(), 0);
  }
  EXPECT_EQ(form_->Check(1).Value(), 1);
}

TEST_F(FormTest, UncheckingReleasesTheHotkeyAndKeepsTheRememberedWindow) {
  TargetWindow editor(L"editor");
  TypeHotkey(9, {VK_CONTROL, VK_SHIFT}, VK_F10);
  ClickCheck(9);
  ASSERT_FALSE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F10));
  PressWith(editor.hwnd(), {VK_CONTROL, VK_SHIFT}, VK_F10);
  ASSERT_TRUE(PumpUntil([&] { return form_->SlotText(9) == HandleText(editor.hwnd()); }));
  ClickCheck(9);
  EXPECT_EQ(form_->Check(9).Value(), 0);
  EXPECT_FALSE(form_->Box(9).HotKeyEnabled());
  EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F10));
  EXPECT_EQ(form_->SlotText(9), HandleText(editor.hwnd()));
}

TEST_F(FormTest, KeyboardToggleAppliesAtOnceOnlyOnSlotsSixToTen) {
  TypeHotkey(3, {VK_CONTROL, VK_SHIFT}, VK_F11);
  TypeHotkey(10, {VK_CONTROL, VK_SHIFT}, VK_F12);
  ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));

  ::SetFocus(form_->Check(3).control());
  SendCombo({}, VK_SPACE);
  ASSERT_TRUE(PumpUntil([&] { return form_->Check(3).Value() == 1; }));
  PumpFor(100);
  EXPECT_FALSE(form_->Box(3).HotKeyEnabled());  // follows at the next mouse-button release
  ClickCheck(3, MouseButton::kRight);           // a right release does not toggle, but applies
  EXPECT_EQ(form_->Check(3).Value(), 1);
  EXPECT_TRUE(form_->Box(3).HotKeyEnabled());

  ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
  ::SetFocus(form_->Check(10).control());
  SendCombo({}, VK_SPACE);
  EXPECT_TRUE(PumpUntil([&] { return form_->Box(10).HotKeyEnabled(); }));
  EXPECT_EQ(form_->Check(10).Value(), 1);
}

TEST_F(FormTest, TypingIntoAnArmedBoxReleasesTheHotkeyButLeavesTheCheck) {
  TypeHotkey(6, {VK_CONTROL, VK_SHIFT}, 'E');
  ClickCheck(6);
  ASSERT_TRUE(form_->Box(6).HotKeyEnabled());
  TypeHotkey(6, {VK_CONTROL, VK_SHIFT}, 'R');
  EXPECT_FALSE(form_->Box(6).HotKeyEnabled());
  EXPECT_EQ(form_->Check(6).Value(), 1);
  EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, 'E'));
  EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, 'R'));
}

TEST_F(FormTest, ExitSavesEverySlotToSetIni) {
  TypeHotkey(1, {VK_CONTROL}, 'X');
  form_->Image3_Click();
  EXPECT_TRUE(ended_);
  const auto ini = ExeFolder() / L"set.ini";
  EXPECT_EQ(testing::ReadIniValue(ini, L"Orvanta", L"Orvanta1KeyCode"), L"88");
  EXPECT_EQ(testing::ReadIniValue(ini, L"Orvanta", L"Orvanta1ModKeyCode"), L"2");
  EXPECT_EQ(testing::ReadIniValue(ini, L"Orvanta", L"Orvanta10Text"), L"Press Hotkey");
}

}  // namespace
}  // namespace tarnelle::switcher
