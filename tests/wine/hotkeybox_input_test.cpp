// Real key presses and mouse clicks in a hotkey box: what is captured, what never reaches the
// text box, and which events the host sees.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/wine/hotkeybox_host.h"
#include "tests/wine/support.h"
#include "win32/units.h"

namespace tarnelle::hotkeybox {
namespace {

using host::KeyEvent;
using host::PlatformKeyName;
using host::TestBox;
using host::TypeInto;
using testing::CenterOf;
using testing::ComboIsFree;
using testing::MouseButton;
using testing::PumpFor;
using testing::PumpUntil;
using testing::SendClick;
using testing::TargetWindow;

// Watches for popup menus while it lives, and closes any it finds so that a menu that should
// not have opened cannot hang the test.
class MenuWatcher {
 public:
  MenuWatcher()
      : thread_([this] {
          for (; !stop_; ::Sleep(10)) {
            if (testing::FindShownMenu() != nullptr) {
              seen_ = true;
              testing::PressKey(VK_ESCAPE);
            }
          }
        }) {}
  ~MenuWatcher() {
    stop_ = true;
    thread_.join();
  }
  MenuWatcher(const MenuWatcher&) = delete;
  MenuWatcher& operator=(const MenuWatcher&) = delete;
  [[nodiscard]] bool seen() const { return seen_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  std::thread thread_;
};

class OrvantaInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(box_.created);
    box_.Load();
    ASSERT_TRUE(testing::MakeForeground(host_.hwnd()));
  }
  void TearDown() override { PumpFor(20); }

  void Type(const std::vector<WORD>& mods, WORD vk) { TypeInto(host_.hwnd(), box_, mods, vk); }

  TargetWindow host_{L"Hotkey box input"};
  TestBox box_{host_.hwnd(), true, L"Orvanta1", RECT{10, 10, 210, 40}};
};

TEST_F(OrvantaInput, TypedKeysAreCapturedByNameAndNeverInserted) {
  const WORD keys[] = {'A', 'Z', '7', VK_SPACE, VK_BACK, VK_RETURN, VK_ESCAPE, VK_F5, VK_OEM_COMMA};
  for (const WORD vk : keys) {
    SCOPED_TRACE(vk);
    const std::wstring name = PlatformKeyName(vk);
    ASSERT_FALSE(name.empty());
    Type({}, vk);
    EXPECT_EQ(box_.box.Text(), name);
    EXPECT_EQ(box_.box.KeyCode(), vk);
    EXPECT_EQ(box_.box.ModKeyCode(), 0);
  }
}

TEST_F(OrvantaInput, ModifiersAreNamedInFixedOrderAndTranslatedToHotkeyFlags) {
  Type({VK_SHIFT, VK_MENU, VK_CONTROL}, 'X');
  EXPECT_EQ(box_.box.Text(), L"Ctrl + Alt + Shift + " + PlatformKeyName('X'));
  EXPECT_EQ(box_.box.KeyCode(), 'X');
  EXPECT_EQ(box_.box.ModKeyCode(), MOD_CONTROL | MOD_ALT | MOD_SHIFT);
  // The host hears each key-down with the shift state of its moment, and the key-ups after.
  EXPECT_EQ(box_.events.key_downs,
            (std::vector<KeyEvent>{{VK_SHIFT, 1}, {VK_MENU, 5}, {VK_CONTROL, 7}, {'X', 7}}));
  EXPECT_EQ(box_.events.key_ups,
            (std::vector<KeyEvent>{{'X', 7}, {VK_CONTROL, 5}, {VK_MENU, 1}, {VK_SHIFT, 0}}));
}

TEST_F(OrvantaInput, ModifierAloneShowsItsWordThenPressHotkeyOnRelease) {
  Type({VK_CONTROL}, 'Q');
  ASSERT_EQ(box_.box.KeyCode(), 'Q');
  std::vector<std::wstring> at_key_down;
  box_.events.on_key_down = [&](std::int16_t&, std::int16_t&) { at_key_down.push_back(box_.box.Text()); };
  testing::SendKeyDown(VK_SHIFT);
  ASSERT_TRUE(PumpUntil([&] { return box_.box.Text() == L"Shift + "; }));
  EXPECT_EQ(box_.box.KeyCode(), 0);
  testing::SendKeyUp(VK_SHIFT);
  ASSERT_TRUE(
      PumpUntil([&] { return !box_.events.key_ups.empty() && box_.events.key_ups.back().code == VK_SHIFT; }));
  EXPECT_EQ(box_.box.Text(), L"Press Hotkey");
  EXPECT_EQ(box_.box.ModKeyCode(), 0);
  // The host saw the key-down before the box acted on it.
  EXPECT_EQ(at_key_down, (std::vector<std::wstring>{L"Ctrl + " + PlatformKeyName('Q')}));
}

TEST_F(OrvantaInput, HostMayChangeTheKeyBeforeItIsCaptured) {
  box_.events.on_key_down = [](std::int16_t& code, std::int16_t& shift) {
    if (code == 'Y') {
      code = 'Z';
      shift = 2;
    }
  };
  Type({}, 'Y');
  EXPECT_EQ(box_.box.Text(), L"Ctrl + " + PlatformKeyName('Z'));
  EXPECT_EQ(box_.box.KeyCode(), 'Z');
  EXPECT_EQ(box_.box.ModKeyCode(), MOD_CONTROL);
}

// Named by the layout from the scan code with the extended bit clear (Wine names keys after X
// keysyms, Windows after its own table: the comparison holds for both).
TEST_F(OrvantaInput, ArrowKeysAreNamedLikeTheirKeypadTwins) {
  const auto name_of_scan = [](LONG extended) {
    wchar_t name[255]{};
    ::GetKeyNameTextW((0x4B << 16) | (extended << 24), name, 255);  // keypad 4, or Left
    return std::wstring(name);
  };
  const std::wstring keypad4 = name_of_scan(0);
  ASSERT_FALSE(keypad4.empty());
  ASSERT_NE(keypad4, name_of_scan(1));
  Type({}, VK_LEFT);
  EXPECT_EQ(box_.box.Text(), keypad4);
  EXPECT_EQ(box_.box.KeyCode(), VK_LEFT);
}

TEST_F(OrvantaInput, EditingKeysAreCapturedInsteadOfActedOn) {
  // Shift+Insert would paste, Alt+F4 would close the host, F10 would enter its menu mode.
  ASSERT_TRUE(::OpenClipboard(host_.hwnd()));
  ::EmptyClipboard();
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(L"PASTED"));
  ASSERT_NE(mem, nullptr);
  memcpy(::GlobalLock(mem), L"PASTED", sizeof(L"PASTED"));
  ::GlobalUnlock(mem);
  ::SetClipboardData(CF_UNICODETEXT, mem);
  ::CloseClipboard();
  Type({VK_SHIFT}, VK_INSERT);
  EXPECT_EQ(box_.box.Text(), L"Shift + " + PlatformKeyName(VK_INSERT));
  Type({VK_MENU}, VK_F4);
  EXPECT_EQ(box_.box.Text(), L"Alt + " + PlatformKeyName(VK_F4));
  PumpFor(50);
  EXPECT_TRUE(::IsWindow(host_.hwnd()));
  Type({}, VK_F10);
  EXPECT_EQ(box_.box.Text(), PlatformKeyName(VK_F10));
  Type({VK_CONTROL}, 'V');
  EXPECT_EQ(box_.box.Text(), L"Ctrl + " + PlatformKeyName('V'));
  EXPECT_EQ(::GetFocus(), box_.box.TextBoxWindow());
}

TEST_F(OrvantaInput, AnyKeyDisarmsAnArmedBox) {
  Type({VK_CONTROL, VK_SHIFT}, VK_F3);
  box_.box.SetHotKeyEnabled(true);
  ASSERT_TRUE(box_.box.HotKeyEnabled());
  Type({}, 'B');
  EXPECT_FALSE(box_.box.HotKeyEnabled());
  EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F3));
  // Typed again, the same combination is captured, not pressed as a hotkey.
  Type({VK_CONTROL, VK_SHIFT}, VK_F3);
  EXPECT_EQ(box_.box.Text(), L"Ctrl + Shift + " + PlatformKeyName(VK_F3));
  EXPECT_EQ(box_.events.hotkey_pressed, 0);
  EXPECT_FALSE(box_.box.HotKeyEnabled());
}

TEST_F(OrvantaInput, NoMenuFromTheMenuKeyRightClickOrShiftF10) {
  {
    // Without the hook, the same text box opens its menu: the watcher does see menus.
    TestBox designer(host_.hwnd(), false, L"Orvanta2", RECT{10, 60, 210, 90});
    designer.Load();
    MenuWatcher menus;
    SendClick(CenterOf(designer.box.TextBoxWindow()), MouseButton::kRight);
    EXPECT_TRUE(PumpUntil([&] { return menus.seen(); }));
    PumpFor(100);
  }
  Type({VK_CONTROL}, 'K');
  const std::wstring before = box_.box.Text();
  const std::size_t downs = box_.events.key_downs.size();
  MenuWatcher menus;
  // The menu key is cancelled before the host hears of it, and changes nothing.
  testing::PressKey(VK_APPS);
  ASSERT_TRUE(
      PumpUntil([&] { return !box_.events.key_ups.empty() && box_.events.key_ups.back().code == VK_APPS; }));
  PumpFor(100);
  EXPECT_EQ(box_.events.key_downs.size(), downs);
  EXPECT_EQ(box_.box.Text(), before);
  EXPECT_EQ(box_.box.KeyCode(), 'K');

  SendClick(CenterOf(box_.box.TextBoxWindow()), MouseButton::kRight);
  PumpUntil([&] { return box_.events.mouse.size() >= 2 && box_.events.mouse.back().kind == 'U'; });
  Type({VK_SHIFT}, VK_F10);
  PumpFor(200);
  EXPECT_FALSE(menus.seen());
  EXPECT_EQ(box_.box.Text(), L"Shift + " + PlatformKeyName(VK_F10));
}

TEST_F(OrvantaInput, MouseEventsCarryButtonShiftAndTwips) {
  const HWND text_box = box_.box.TextBoxWindow();
  const POINT at = CenterOf(text_box);
  POINT client = at;
  ::ScreenToClient(text_box, &client);
  const int dpi = static_cast<int>(::GetDpiForWindow(text_box));
  const float x = units::PixelsToTwips(client.x, dpi);
  const float y = units::PixelsToTwips(client.y, dpi);

  SendClick(at, MouseButton::kLeft);
  ASSERT_TRUE(PumpUntil([&] { return box_.events.clicks == 1; }));
  std::vector<host::MouseEvent> presses;
  for (const auto& m : box_.events.mouse) {
    if (m.kind != 'M') {
      presses.push_back(m);
    }
  }
  ASSERT_EQ(presses.size(), 2u);
  EXPECT_EQ(presses[0].kind, 'D');
  EXPECT_EQ(presses[1].kind, 'U');
  for (const auto& m : presses) {
    EXPECT_EQ(m.button, 1);
    EXPECT_EQ(m.shift, 0);
    EXPECT_FLOAT_EQ(m.x, x);
    EXPECT_FLOAT_EQ(m.y, y);
  }

  box_.events.mouse.clear();
  SendClick(at, MouseButton::kRight);
  ASSERT_TRUE(PumpUntil([&] { return !box_.events.mouse.empty() && box_.events.mouse.back().kind == 'U'; }));
  EXPECT_EQ(box_.events.mouse.back().button, 2);
  EXPECT_EQ(box_.events.clicks, 1);  // a right click is no Click

  // A move with no button down reports no button.
  box_.events.mouse.clear();
  testing::MoveMouseTo(POINT{at.x + 5, at.y});
  ASSERT_TRUE(PumpUntil([&] { return !box_.events.mouse.empty(); }));
  EXPECT_EQ(box_.events.mouse.back().kind, 'M');
  EXPECT_EQ(box_.events.mouse.back().button, 0);
  EXPECT_FLOAT_EQ(box_.events.mouse.back().x, units::PixelsToTwips(client.x + 5, dpi));
}

TEST_F(OrvantaInput, DoubleClickRaisesDblClickOnce) {
  testing::MoveMouseTo(CenterOf(box_.box.TextBoxWindow()));
  // Both presses in one batch, well inside the double-click time however busy the machine is.
  INPUT presses[4]{};
  for (int i = 0; i < 4; ++i) {
    presses[i].type = INPUT_MOUSE;
    presses[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  ASSERT_EQ(::SendInput(4, presses, sizeof(INPUT)), 4u);
  ASSERT_TRUE(PumpUntil([&] { return box_.events.double_clicks == 1; }));
  PumpFor(50);
  EXPECT_EQ(box_.events.double_clicks, 1);
  EXPECT_EQ(box_.events.clicks, 1);  // the release of the second press is no new click
}

TEST_F(OrvantaInput, DialogNavigationLeavesEveryKeyButTabToTheBox) {
  const HWND text_box = box_.box.TextBoxWindow();
  const auto code_for = [&](WORD vk) {
    MSG msg{text_box, WM_KEYDOWN, vk, 0, 0, {}};
    return ::SendMessageW(text_box, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(&msg));
  };
  for (const WORD vk : {WORD{VK_RETURN}, WORD{VK_ESCAPE}, WORD{VK_LEFT}, WORD{'A'}}) {
    const LRESULT code = code_for(vk);
    EXPECT_EQ(code & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS) << vk;
    EXPECT_EQ(code & DLGC_WANTMESSAGE, DLGC_WANTMESSAGE) << vk;
  }
  EXPECT_EQ(code_for(VK_TAB) & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_WANTTAB), 0);
}

TEST_F(OrvantaInput, LeavingTheBoxForgetsTheLeftWinKey) {
  ::SetFocus(box_.box.TextBoxWindow());
  testing::SendKeyDown(VK_LWIN);
  ASSERT_TRUE(PumpUntil([&] { return box_.box.WinKeyDown(); }));
  EXPECT_EQ(box_.box.Text(), L"Win + ");
  EXPECT_EQ(box_.box.ModKeyCode(), MOD_WIN);
  ::SetFocus(host_.hwnd());  // the Win key goes up somewhere else
  testing::SendKeyUp(VK_LWIN);
  PumpFor(50);
  EXPECT_FALSE(box_.box.WinKeyDown());
  Type({}, 'W');
  EXPECT_EQ(box_.box.Text(), PlatformKeyName('W'));
  EXPECT_EQ(box_.box.ModKeyCode(), 0);
}

}  // namespace
}  // namespace tarnelle::hotkeybox
