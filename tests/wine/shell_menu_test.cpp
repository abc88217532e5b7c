#include "shell/menu_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "shell/links.h"
#include "tests/wine/support.h"
#include "win32/units.h"

namespace tarnelle::shell {
namespace {

using testing::FindShownMenu;
using testing::PressKey;

struct Item {
  std::wstring text;
  UINT id = 0;
  HMENU submenu = nullptr;
  UINT type = 0;
  UINT state = 0;
};

Item ReadItem(HMENU menu, UINT position) {
  wchar_t text[128]{};
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 128;
  Item item;
  if (::GetMenuItemInfoW(menu, position, TRUE, &info)) {
    item = Item{text, info.wID, info.hSubMenu, info.fType, info.fState};
  }
  return item;
}

// Records what OpenLink is asked to open instead of starting a browser.
class LinkRecorder {
 public:
  struct Call {
    HWND parent;
    std::wstring url;
  };
  LinkRecorder() {
    previous_ = SetLinkOpener([this](HWND parent, std::wstring_view url) {
      calls.push_back({parent, std::wstring(url)});
    });
  }
  ~LinkRecorder() { SetLinkOpener(std::move(previous_)); }
  LinkRecorder(const LinkRecorder&) = delete;
  LinkRecorder& operator=(const LinkRecorder&) = delete;

  std::vector<Call> calls;

 private:
  LinkOpener previous_;
};

// Waits until |done| holds, polling from a thread that has no windows of its own.
bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    ::Sleep(10);
  }
  return true;
}

bool Highlighted(HMENU menu, UINT position) {
  return (::GetMenuState(menu, position, MF_BYPOSITION) & MF_HILITE) != 0;
}

// Plays real input on the popup menu from a thread of its own while the test's thread is inside
// the menu's modal loop. If the menu never shows, Escape is pressed so that the test goes on.
class MenuDriver {
 public:
  explicit MenuDriver(std::function<void(HWND menu)> act)
      : thread_([this, act = std::move(act)] {
          if (!WaitFor([this] { return (menu_ = FindShownMenu()) != nullptr; })) {
            PressKey(VK_ESCAPE);
            return;
          }
          ::GetWindowRect(menu_, &rect_);
          foreground_ = ::GetForegroundWindow();
          act(menu_);
          // A menu that is still open ignored what was done to it: close it, let the test fail.
          for (int i = 0; i < 3 && !WaitFor([] { return FindShownMenu() == nullptr; }); ++i) {
            still_open_ = true;
            PressKey(VK_ESCAPE);
          }
        }) {}
  ~MenuDriver() { Join(); }
  MenuDriver(const MenuDriver&) = delete;
  MenuDriver& operator=(const MenuDriver&) = delete;

  void Join() {
    if (thread_.joinable()) {
      thread_.join();
    }
  }
  [[nodiscard]] bool shown() const { return menu_ != nullptr; }
  [[nodiscard]] RECT rect() const { return rect_; }
  [[nodiscard]] HWND foreground() const { return foreground_; }
  [[nodiscard]] bool still_open() const { return still_open_; }

 private:
  HWND menu_ = nullptr;
  RECT rect_{};
  HWND foreground_ = nullptr;
  bool still_open_ = false;
  std::thread thread_;
};

class ShellMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = std::make_unique<testing::TargetWindow>(L"Tarnelle menu owner");
    menu_.on_show = [this] { ++shows_; };
    menu_.on_exit = [this] { ++exits_; };
    testing::MoveMouseTo(POINT{300, 250});
  }

  // Pops the menu up and lets |act| choose; returns once the menu has closed.
  void PopupWith(std::function<void(HWND)> act) {
    Drain();
    MenuDriver driver(std::move(act));
    menu_.Popup(owner_->hwnd());
    driver.Join();
    shown_ = driver.shown();
    EXPECT_FALSE(driver.still_open()) << "the menu stayed open";
    rect_ = driver.rect();
    foreground_ = driver.foreground();
  }

  // Removes whatever the owner has queued, and tells whether a WM_NULL was among it.
  bool Drain() {
    bool null_seen = false;
    MSG msg;
    while (::PeekMessageW(&msg, owner_->hwnd(), 0, 0, PM_REMOVE)) {
      null_seen = null_seen || msg.message == WM_NULL;
      ::DispatchMessageW(&msg);
    }
    return null_seen;
  }

  std::unique_ptr<testing::TargetWindow> owner_;
  MenuWindow menu_;
  int shows_ = 0;
  int exits_ = 0;
  bool shown_ = false;
  RECT rect_{};
  HWND foreground_ = nullptr;
};

TEST_F(ShellMenu, OpensAtThePointerFromAHiddenWindowAndEscapeClosesIt) {
  LinkRecorder links;
  EXPECT_EQ(menu_.hwnd(), nullptr);  // made on first use
  EXPECT_EQ(menu_.popup(), nullptr);
  testing::TargetWindow elsewhere(L"Tarnelle other window");
  ASSERT_TRUE(testing::MakeForeground(elsewhere.hwnd()));
  POINT pointer{};
  ::GetCursorPos(&pointer);
  PopupWith([](HWND) { PressKey(VK_ESCAPE); });
  ASSERT_TRUE(shown_);
  EXPECT_EQ(foreground_, owner_->hwnd());
  EXPECT_EQ(rect_.left, pointer.x);
  EXPECT_EQ(rect_.top, pointer.y);
  // Escape chooses nothing, and the owner gets a WM_NULL to leave the menu mode.
  EXPECT_TRUE(Drain());
  EXPECT_EQ(shows_ + exits_, 0);
  EXPECT_TRUE(links.calls.empty());
  EXPECT_EQ(FindShownMenu(), nullptr);

  const HWND window = menu_.hwnd();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_EQ(::GetParent(window), nullptr);
  EXPECT_EQ(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_EQ(testing::TextOf(window), L"Form1");
  EXPECT_EQ(::GetClassLongPtrW(window, GCLP_HICON), 0);
  EXPECT_EQ(::GetClassLongPtrW(window, GCLP_HICONSM), 0);
  EXPECT_EQ(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
  RECT client{};
  ::GetClientRect(window, &client);
  const int dpi = static_cast<int>(::GetDpiForWindow(window));
  EXPECT_EQ(client.right, units::TwipsToPixels(4560, dpi));
  EXPECT_EQ(client.bottom, units::TwipsToPixels(3030, dpi));

  // The same window serves every later popup.
  PopupWith([](HWND) { PressKey(VK_ESCAPE); });
  EXPECT_EQ(menu_.hwnd(), window);
  EXPECT_FALSE(::IsWindowVisible(window));
}

TEST_F(ShellMenu, ItemsAreShowAboutAndExit) {
  ASSERT_TRUE(menu_.Create());
  EXPECT_EQ(menu_.menu_bar(), ::GetMenu(menu_.hwnd()));
  ASSERT_EQ(::GetMenuItemCount(menu_.menu_bar()), 1);
  const Item cd = ReadItem(menu_.menu_bar(), 0);
  EXPECT_EQ(cd.text, L"cd");
  ASSERT_NE(cd.submenu, nullptr);
  EXPECT_EQ(cd.submenu, menu_.popup());
  const HMENU popup = menu_.popup();
  const HMENU about = ReadItem(popup, 1).submenu;
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(::GetMenuItemCount(popup), 3);
  EXPECT_EQ(::GetMenuItemCount(about), 2);
  const struct {
    HMENU menu;
    UINT position;
    const wchar_t* text;
    UINT id;  // 0 for the submenu
  } want[] = {{popup, 0, L"Show", MenuWindow::kShow},
              {popup, 1, L"About", 0},
              {popup, 2, L"Exit", MenuWindow::kExit},
              {about, 0, L"About Tarnelle", MenuWindow::kAboutTarnelle},
              {about, 1, L"Check Verson", MenuWindow::kCheckVerson}};
  for (const auto& w : want) {
    const Item item = ReadItem(w.menu, w.position);
    EXPECT_EQ(item.text, w.text);
    EXPECT_EQ(item.submenu != nullptr, w.id == 0) << item.text;
    if (w.id != 0) {
      EXPECT_EQ(item.id, w.id) << item.text;
    }
    // Plain text items, all enabled, none checked, none the default.
    EXPECT_EQ(item.type, static_cast<UINT>(MFT_STRING)) << item.text;
    EXPECT_EQ(item.state & (MFS_DISABLED | MFS_GRAYED | MFS_CHECKED | MFS_DEFAULT), 0u) << item.text;
  }
  EXPECT_EQ(::GetMenuDefaultItem(popup, FALSE, 0), static_cast<UINT>(-1));

  // Creating again keeps the window.
  const HWND window = menu_.hwnd();
  EXPECT_TRUE(menu_.Create());
  EXPECT_EQ(menu_.hwnd(), window);
}

TEST_F(ShellMenu, EachItemRunsItsOwnAction) {
  LinkRecorder links;
  ASSERT_TRUE(menu_.Create());
  menu_.Run(MenuWindow::kShow);
  EXPECT_EQ(shows_, 1);
  EXPECT_EQ(exits_, 0);
  EXPECT_TRUE(links.calls.empty());

  menu_.Run(MenuWindow::kAboutTarnelle);
  ASSERT_EQ(links.calls.size(), 1u);
  EXPECT_EQ(links.calls[0].url, std::wstring(kAboutUrl));
  EXPECT_EQ(links.calls[0].parent, menu_.hwnd());

  menu_.Run(MenuWindow::kCheckVerson);
  ASSERT_EQ(links.calls.size(), 2u);
  EXPECT_EQ(links.calls[1].url, std::wstring(kVersionUrl));
  EXPECT_EQ(links.calls[1].parent, menu_.hwnd());

  menu_.Run(MenuWindow::kExit);
  EXPECT_EQ(exits_, 1);

  // Nothing chosen.
  menu_.Run(0);
  EXPECT_EQ(shows_, 1);
  EXPECT_EQ(exits_, 1);
  EXPECT_EQ(links.calls.size(), 2u);
}

TEST_F(ShellMenu, ClickingElsewhereClosesWithoutAction) {
  LinkRecorder links;
  PopupWith([](HWND menu) {
    RECT r{};
    ::GetWindowRect(menu, &r);
    testing::SendClick(POINT{r.right + 40, r.bottom + 40});
  });
  ASSERT_TRUE(shown_);
  EXPECT_EQ(shows_ + exits_, 0);
  EXPECT_TRUE(links.calls.empty());
}

TEST_F(ShellMenu, KeyboardPicksShow) {
  PopupWith([this](HWND) {
    PressKey(VK_DOWN);
    if (WaitFor([this] { return Highlighted(menu_.popup(), 0); })) {
      PressKey(VK_RETURN);
    } else {
      PressKey(VK_ESCAPE);
    }
  });
  ASSERT_TRUE(shown_);
  EXPECT_EQ(shows_, 1);
  EXPECT_EQ(exits_, 0);
  EXPECT_TRUE(Drain());
}

TEST_F(ShellMenu, RightButtonPicksExit) {
  PopupWith([this](HWND) {
    RECT item{};
    if (!::GetMenuItemRect(nullptr, menu_.popup(), 2, &item)) {
      PressKey(VK_ESCAPE);
      return;
    }
    testing::SendClick(POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2},
                       testing::MouseButton::kRight);
  });
  ASSERT_TRUE(shown_);
  EXPECT_EQ(exits_, 1);
  EXPECT_EQ(shows_, 0);
}

TEST_F(ShellMenu, SubmenuItemOpensTheVersionPage) {
  LinkRecorder links;
  PopupWith([this](HWND first) {
    const HMENU about = ::GetSubMenu(menu_.popup(), 1);
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    if (!WaitFor([this] { return Highlighted(menu_.popup(), 1); })) {
      PressKey(VK_ESCAPE);
      return;
    }
    PressKey(VK_RIGHT);
    if (!WaitFor([first] { return FindShownMenu(first) != nullptr; }) ||
        !WaitFor([about] { return Highlighted(about, 0); })) {
      PressKey(VK_ESCAPE);
      PressKey(VK_ESCAPE);
      return;
    }
    PressKey(VK_DOWN);
    if (WaitFor([about] { return Highlighted(about, 1); })) {
      PressKey(VK_RETURN);
    } else {
      PressKey(VK_ESCAPE);
      PressKey(VK_ESCAPE);
    }
  });
  ASSERT_TRUE(shown_);
  ASSERT_EQ(links.calls.size(), 1u);
  EXPECT_EQ(links.calls[0].url, std::wstring(kVersionUrl));
  EXPECT_EQ(links.calls[0].parent, menu_.hwnd());
  EXPECT_EQ(shows_, 0);
  EXPECT_EQ(exits_, 0);
  EXPECT_FALSE(::IsWindowVisible(menu_.hwnd()));
}

}  // namespace
}  // namespace tarnelle::shell
