// The window's own chrome: dragging it, hiding it, its icon and menu, its links, and its look.

#include "tests/windows/tarnelle_test.h"

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <numeric>
#include <tuple>

namespace tarnelle::driver {
namespace {

// Presses |button| at |from|, moves by (dx, dy) in four steps and lets go; tells how far the window
// went. As a hand does, each step waits until the window has followed. Every drag starts at the
// press, and the program answers messages once it has its start.
std::optional<SIZE> Drag(const Program& app, POINT from, int dx, int dy, Button button) {
  const RECT before = RectOf(app.window());
  bool moved = MoveTo(from);
  SendMouse({ButtonFlag(button, true)});
  for (int step = 1; step <= 4 && moved; ++step) {
    const LONG left = RectOf(app.window()).left;
    moved = WaitFor([&] { return app.Dragging() && app.Sync(); });
    moved = moved && MoveTo(Offset(from, dx * step / 4, dy * step / 4), button != Button::kLeft);
    moved = moved && WaitFor([&] { return RectOf(app.window()).left != left; });
  }
  SendMouse({ButtonFlag(button, false)});
  const RECT after = RectOf(app.window());
  return moved && WaitFor([&] { return !app.Dragging(); })
             ? std::optional(SIZE{after.left - before.left, after.top - before.top})
             : std::nullopt;
}

TEST_F(Tarnelle, DraggingMovesTheWindowWhichComesBackThereFromHidingWithItsHotkeysWorking) {
  Start(IniWith({5}));
  ASSERT_TRUE(app.Tick(5));
  const RECT start = RectOf(app.window());
  const POINT strip{(RectOf(app.Title()).right + RectOf(app.Pictures()[1]).left) / 2, Centre(app.Strip()).y};
  ASSERT_EQ(::WindowFromPoint(strip), app.Strip());
  // The window follows the pointer exactly from the press: on the background with any button, on
  // the strip and its title with the left one.
  const std::pair<POINT, Button> drags[] = {{app.Background(), Button::kLeft},
                                            {app.Background(), Button::kRight},
                                            {app.Background(), Button::kMiddle},
                                            {strip, Button::kLeft},
                                            {Centre(app.Title()), Button::kLeft}};
  for (const auto& [from, button] : drags) {  // each from where it was at the start
    const RECT now = RectOf(app.window());
    const std::optional<SIZE> moved =
        Drag(app, Offset(from, now.left - start.left, now.top - start.top), -30, 20, button);
    ASSERT_TRUE(moved.has_value()) << "no drag from " << from.x << "," << from.y;
    EXPECT_TRUE(moved->cx == -30 && moved->cy == 20)
        << moved->cx << "," << moved->cy << " from " << from.x << "," << from.y;
  }
  const RECT placed = RectOf(app.window());
  for (const POINT over :
       {app.Background(), Offset(strip, placed.left - start.left, placed.top - start.top),
        Centre(app.Title())}) {  // the drag is over: moves with no button held move nothing
    ASSERT_TRUE(MoveTo(Offset(over, 30, 1), true));
    EXPECT_TRUE(app.Sync() && !app.Dragging() && RectOf(app.window()).left == placed.left &&
                RectOf(app.window()).top == placed.top);
  }
  Hide();
  ASSERT_TRUE(WaitForTrayIcons(1));
  const unique_hwnd editor = TestWindow(L"Editor", {20, 20});
  Remember(5, editor.get());  // its hotkeys go on working
  EXPECT_FALSE(app.Visible()) << "a hotkey showed the hidden window";
  for (int twice = 0; twice < 2; ++twice) {  // the second changes nothing
    ASSERT_TRUE(ClickTrayIcon(Button::kLeft));
    EXPECT_TRUE(WaitFor([&] { return app.Visible(); }));
    ASSERT_TRUE(app.Sync());
    EXPECT_TRUE(RectOf(app.window()).left == placed.left && RectOf(app.window()).top == placed.top);
    EXPECT_TRUE(app.Menus().empty());
  }
}

TEST_F(Tarnelle, TheIconsMenuOpensAtThePointerClosesChoosingNothingAndEachLinkOpensItsPageOnce) {
  const Browser browser;
  Start();
  Hide();
  for (const bool by_escape : {true, false}) {
    ASSERT_TRUE(ChooseFromMenu({}));
    const LONG at = Centre(TrayIcons().at(0)).x;
    const RECT menu = RectOf(app.Menus().front());  // above the taskbar
    EXPECT_TRUE(at >= menu.left - 2 && at <= menu.right + 2 &&
                std::abs(menu.bottom - RectOf(::FindWindowW(L"Shell_TrayWnd", nullptr)).top) <= 2);
    if (by_escape) {
      Press({}, {VK_ESCAPE, 0x01});
    } else {
      ASSERT_TRUE(ClickAt(POINT{700, 120}));  // the bare desktop
    }
    EXPECT_TRUE(WaitFor([&] { return app.Menus().empty() && app.Sync() && !app.Visible(); }));
  }
  ASSERT_TRUE(ChooseFromMenu({kDown, kEnter}));
  EXPECT_TRUE(WaitFor([&] { return app.Visible(); })) << "Show did not show the window";
  EXPECT_TRUE(browser.Urls().empty());
  const Key right{VK_RIGHT, 0x4D, true};
  const auto press_off_label = [&] {  // let go off the label: no click
    const bool on = MoveTo(Centre(app.Link()));
    SendMouse({ButtonFlag(Button::kLeft, true)});
    const bool off = MoveTo(app.Background());
    SendMouse({ButtonFlag(Button::kLeft, false)});
    return on && off;
  };
  ASSERT_TRUE(press_off_label() && MoveTo(Centre(app.Pictures()[0])));
  SendMouse({ButtonFlag(Button::kLeft, true), ButtonFlag(Button::kLeft, false),  // a double-click: one click
             ButtonFlag(Button::kLeft, true), ButtonFlag(Button::kLeft, false)});
  ASSERT_TRUE(browser.WaitForUrls(1));
  // Clicked again at once where a press was let go off it, the label counts that second press.
  ASSERT_TRUE(press_off_label() && Click(app.Link()) && browser.WaitForUrls(2));
  ASSERT_TRUE(ChooseFromMenu({kDown, kDown, right, kEnter}) && browser.WaitForUrls(3));
  ASSERT_TRUE(ChooseFromMenu({kDown, kDown, right, kDown, kEnter}) && app.Sync());
  std::vector<std::string> urls;  // the version page, asked for last, is there after all the others
  ASSERT_TRUE(
      WaitFor([&] { return (urls = browser.Urls()).size() >= 4 && urls.back().ends_with("?verson=1.0"); }));
  ASSERT_EQ(urls.size(), 4u) << ::testing::PrintToString(urls);
  const auto site = [](const std::string& url) { return url.substr(0, url.find('/', 7) + 1); };
  // The logo: the maker's site; the label: the other product's; About: the maker's pages on this
  // product, the version page asked for version 1.0.
  EXPECT_TRUE(urls[0].starts_with("http://") && urls[0] == site(urls[0]) && urls[1] == site(urls[1]));
  EXPECT_NE(urls[0], urls[1]);
  EXPECT_TRUE(site(urls[2]) == urls[0] && site(urls[3]) == urls[0] && urls[3].ends_with("?verson=1.0"));
}

TEST_F(Tarnelle, ARestartedShellGetsTheIconBackExactlyOnce) {
  Start();
  ASSERT_TRUE(WaitForTrayIcons(1));
  // The test plays the restarted shell: its notification area, above the real one, is the one
  // programs find, and it counts the icons added (the program's is the only one there).
  static int adds;
  adds = 0;
  WNDCLASSEXW shell{};
  shell.cbSize = sizeof(shell);
  shell.lpfnWndProc = [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    adds += msg == WM_COPYDATA && reinterpret_cast<COPYDATASTRUCT*>(lp)->dwData == NIM_ADD ? 1 : 0;
    return msg == WM_COPYDATA ? TRUE : ::DefWindowProcW(h, msg, wp, lp);
  };
  shell.hInstance = ::GetModuleHandleW(nullptr);
  shell.lpszClassName = L"Shell_TrayWnd";
  ::RegisterClassExW(&shell);
  unique_hwnd restarted(::CreateWindowExW(WS_EX_TOPMOST, shell.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, shell.hInstance, nullptr));
  ::SendNotifyMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitFor([] { return adds > 0; }));
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(adds, 1);
  restarted.reset();
  EXPECT_EQ(TrayIcons().size(), 1u);
}

// Per row of |r| on screen, the pixels clearly off its paper (its top right corner).
std::vector<int> InkRows(const RECT& r) {
  const std::vector<COLORREF> pixels = Pixels(r);
  const auto width = static_cast<std::size_t>(r.right - r.left);
  std::vector<int> rows(pixels.size() / width);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const COLORREF p = pixels[i], paper = pixels.at(width - 1);
    rows[i / width] +=
        std::abs(GetRValue(p) - GetRValue(paper)) + std::abs(GetBValue(p) - GetBValue(paper)) > 120;
  }
  return rows;
}

// The ink of the label: an underline adds a row of it as long as the text.
int Ink(HWND label) {
  const std::vector<int> rows = InkRows(RectOf(label));
  return std::accumulate(rows.begin(), rows.end(), 0);
}

// From the first row with ink to the last in the right half of |control| less |border|, where
// only its text is.
int InkHeight(HWND control, int border = 0) {
  const RECT r = RectOf(control);
  const std::vector<int> rows =
      InkRows(RECT{(r.left + r.right) / 2, r.top + border, r.right - border, r.bottom - border});
  const auto inked = [](int n) { return n > 0; };
  return static_cast<int>(std::find_if(rows.rbegin(), rows.rend(), inked).base() -
                          std::find_if(rows.begin(), rows.end(), inked));
}

// The pointer's shape, as the window in front sets it.
HCURSOR Pointer() {
  CURSORINFO info{};
  info.cbSize = sizeof(info);
  return ::GetCursorInfo(&info) ? info.hCursor : nullptr;
}

TEST_F(Tarnelle, HoveringTheLinkUnderlinesItUntilThePointerCrossesTheBackground) {
  Start();
  ASSERT_TRUE(MoveTo(app.Background()) && app.Sync());
  const int plain = Ink(app.Link());
  const HCURSOR arrow = Pointer();
  ASSERT_TRUE(MoveTo(Offset(Centre(app.Link()), -40, 0)) && MoveTo(Centre(app.Link())));
  EXPECT_TRUE(WaitFor([&] { return Ink(app.Link()) > plain + 100; }));  // a line under the text
  EXPECT_TRUE(WaitFor([&] { return Pointer() != arrow && Pointer() != nullptr; })) << "no hand over the link";
  EXPECT_TRUE(WaitFor([&] {  // and, resting there, its tip about the other product
    const std::vector<HWND> tips = WindowsOf(app.pid(), L"tooltips_class32");
    return !tips.empty() && TextOf(tips.front()).find(L"Mossgate") != std::wstring::npos;
  }));
  ASSERT_TRUE(MoveTo(Centre(app.Check(9))));  // straight onto a checkbox
  EXPECT_TRUE(app.Sync() && Ink(app.Link()) > plain + 100);
  ASSERT_TRUE(MoveTo(app.Background()));
  EXPECT_TRUE(WaitFor([&] { return Ink(app.Link()) == plain; }));
  EXPECT_TRUE(WaitFor([&] {
    return Pointer() == arrow && WindowsOf(app.pid(), L"tooltips_class32").empty();
  })) << "the hand or the tip stayed";
}

// The designed place of every control in twips (left, top, width, height) within the window, or
// within the strip at its top left, in pixels at |dpi| rounded to the nearest, as the window is.
void ExpectDesign(const Program& app, int dpi) {
  const std::vector<HWND> pictures = app.Pictures();
  std::vector<std::tuple<std::string, HWND, std::array<int, 4>>> design{
      {"window", app.window(), {0, 0, 7245, 4545}},
      {"strip", app.Strip(), {0, 0, 12735, 375}},
      {"logo", pictures[0], {120, 0, 330, 330}},
      {"title", app.Title(), {480, 0, 3495, 375}},
      {"hide", pictures[1], {5880, 0, 585, 255}},
      {"close", pictures[2], {6480, 0, 720, 285}},
      {"Get Form", app.Mode(false), {240, 480, 1695, 255}},
      {"Change", app.Mode(true), {2280, 480, 1935, 255}},
      {"link", app.Link(), {240, 3480, 3615, 255}}};
  const int check_width[] = {1605, 1605, 1575, 1695, 1575, 1575, 1575, 1575, 1575, 1695};
  for (int n = 1; n <= 10; ++n) {  // odd slots on the left, even ones on the right, two a row
    const int top = 960 + 480 * ((n - 1) / 2);
    design.push_back(
        {"box " + std::to_string(n), app.Box(n), {n % 2 ? 240 : 3600, top, n % 2 ? 1335 : 1455, 375}});
    design.push_back(
        {"check " + std::to_string(n), app.Check(n), {n % 2 ? 1680 : 5160, top, check_width[n - 1], 255}});
  }
  const RECT window = RectOf(app.window());  // no frame: its client area starts at its corner
  for (const auto& [name, control, twips] : design) {
    const RECT r = RectOf(control);
    const std::array<int, 4> pixels{r.left - window.left, r.top - window.top, r.right - r.left,
                                    r.bottom - r.top};
    std::array<int, 4> designed{};
    std::transform(twips.begin(), twips.end(), designed.begin(),
                   [&](int t) { return ::MulDiv(t, dpi, 1440); });
    EXPECT_EQ(pixels, designed) << name << " at " << dpi << " dpi";
  }
}

// Tells the window that its screen now has |dpi| and suggests a place at |at|, as the platform does
// when it is moved onto such a screen (Wine never does): the rectangle goes in the program's memory.
bool MoveToScreenOf(Program& app, int dpi, POINT at) {
  const RECT suggested{at.x, at.y, at.x + ::MulDiv(7245, dpi, 1440), at.y + ::MulDiv(4545, dpi, 1440)};
  const HANDLE process = app.process().handle();
  void* remote = ::VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD_PTR ignored = 0;
  return remote != nullptr && ::WriteProcessMemory(process, remote, &suggested, sizeof(RECT), nullptr) &&
         ::SendMessageTimeoutW(app.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                               reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, kPatienceMs, &ignored) != 0;
}

TEST_F(Tarnelle, WindowIsTheDesignAtEachDpiCentredFramelessOffTheTaskbarAndTabbedInOrder) {
  Start();
  const unique_hwnd ordinary = TestWindow(L"Ordinary", {20, 20});
  ASSERT_TRUE(WaitFor([&] { return HasTaskbarButton(ordinary.get()); }))
      << "the taskbar shows no buttons at all";
  EXPECT_FALSE(HasTaskbarButton(app.window()));
  EXPECT_EQ(TextOf(app.window()), L"\x8bbe\x7f6e");
  const int dpi = static_cast<int>(::GetDpiForSystem());
  ExpectDesign(app, dpi);
  const RECT r = RectOf(app.window());
  EXPECT_LE(std::abs(r.left + r.right - ::GetSystemMetrics(SM_CXSCREEN)), 1);
  EXPECT_LE(std::abs(r.top + r.bottom - ::GetSystemMetrics(SM_CYSCREEN)), 1);
  const auto colour = [](POINT p) { return Pixels(RECT{p.x, p.y, p.x + 1, p.y + 1}).at(0); };
  for (int n = 1; n <= 10; ++n) {  // odd slots' boxes light yellow, even ones light green
    EXPECT_EQ(colour(POINT{RectOf(app.Box(n)).right - 6, Centre(app.Box(n)).y}),
              n % 2 == 1 ? RGB(255, 255, 128) : RGB(128, 255, 128));
  }
  const COLORREF strip = RGB(0, 153, 102);
  EXPECT_EQ(colour(Offset(POINT{RectOf(app.Title()).right, r.top}, 10, 3)), strip);
  // Its pictures: the logo and the hide sign let the strip through their corners, the hide sign's
  // bar is white, the close sign a white cross on red.
  const std::vector<HWND> pictures = app.Pictures();
  const auto in = [&](std::size_t picture, int dx, int dy) {
    return colour(Offset(POINT{RectOf(pictures.at(picture)).left, RectOf(pictures.at(picture)).top}, dx, dy));
  };
  const COLORREF close_corner = in(2, 1, 1);
  EXPECT_TRUE(in(0, 0, 0) == strip && in(1, 1, 1) == strip && in(1, 19, 11) == RGB(255, 255, 255));
  EXPECT_TRUE(GetRValue(close_corner) > 180 && GetGValue(close_corner) < 80 && GetBValue(close_corner) < 80);
  EXPECT_GT(GetGValue(in(2, 24, 9)), 200) << "no white cross";
  // Nothing it shows at start needs a picture codec or the COM automation one pulls in.
  const std::vector<std::wstring> modules = ModulesOf(app.pid());
  EXPECT_NE(std::find(modules.begin(), modules.end(), L"comctl32.dll"), modules.end()) << "no module list";
  for (const wchar_t* unwanted : {L"windowscodecs.dll", L"oleaut32.dll", L"propsys.dll"}) {
    EXPECT_EQ(std::find(modules.begin(), modules.end(), unwanted), modules.end()) << unwanted;
  }
  // Design tab indexes: the checkboxes, the chosen option, the slots' texts, the boxes.
  const int check_index[] = {0, 1, 2, 3, 4, 20, 24, 21, 22, 23};
  std::vector<std::pair<int, HWND>> order{{8, app.Mode(false)}};
  for (int n = 1; n <= 10; ++n) {
    order.insert(order.end(),
                 {{check_index[n - 1], app.Check(n)}, {9 + n, app.SlotText(n)}, {24 + n, app.Box(n)}});
  }
  std::sort(order.begin(), order.end());
  ASSERT_TRUE(app.ClickBox(10));
  for (const auto& [index, control] : order) {
    Press({}, {VK_TAB, 0x0F});
    EXPECT_TRUE(WaitFor([&, c = control] { return app.Focus() == c; })) << "tab index " << index;
  }
  // Moved onto a screen of 144 dpi, the window is laid out as designed there, at the place the
  // platform suggests, the text of a caption and of a box as much taller; moved back, as it was.
  const auto text = [&] { return std::pair(InkHeight(app.Check(2)), InkHeight(app.Box(2), 2)); };
  const auto [caption, hotkey] = text();
  ASSERT_TRUE(MoveToScreenOf(app, 144, {200, 100}));
  EXPECT_TRUE(RectOf(app.window()).left == 200 && RectOf(app.window()).top == 100);
  ExpectDesign(app, 144);
  EXPECT_TRUE(WaitFor([&] {
    return text().first >= caption * 144 / dpi - 1 && text().second >= hotkey * 144 / dpi - 1;
  })) << text().first
      << " and " << text().second << " rows of ink, before " << caption << " and " << hotkey;
  ASSERT_TRUE(MoveToScreenOf(app, dpi, {r.left, r.top}));
  EXPECT_TRUE(RectOf(app.window()).left == r.left && RectOf(app.window()).top == r.top);
  ExpectDesign(app, dpi);
  EXPECT_TRUE(WaitFor([&] { return text() == std::pair(caption, hotkey); }));
}

}  // namespace
}  // namespace tarnelle::driver
