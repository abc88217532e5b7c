// The box's public face toward its host: design-time and run-time loading, property writes,
// and the saved hotkey round trip through a real INI file and the per-user settings store.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "hotkeybox/subclass.h"
#include "settings/ini.h"
#include "tests/wine/hotkeybox_host.h"
#include "tests/wine/support.h"

namespace tarnelle::hotkeybox {
namespace {

using host::TestBox;
using host::TypeInto;
using testing::ComboIsFree;
using testing::ExeFolder;
using testing::MessageBoxWatcher;
using testing::PumpFor;
using testing::TargetWindow;
namespace fs = std::filesystem;

std::wstring ReadIni(const fs::path& file, const wchar_t* key) {
  return testing::ReadIniValue(file, L"Orvanta", key);
}

void WriteIni(const fs::path& file, std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values) {
  for (const auto& [key, value] : values) {
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Orvanta", key, value, file.c_str()));
  }
}

// Each test gets a folder of its own beside the program, so INI names can point into it.
class OrvantaProperties : public ::testing::Test {
 protected:
  void SetUp() override {
    static int count = 0;
    folder_name_ = L"hkb-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++count);
    fs::remove_all(ExeFolder() / folder_name_);
    ASSERT_TRUE(fs::create_directory(ExeFolder() / folder_name_));
  }
  void TearDown() override {
    boxes_.clear();
    std::error_code ignored;
    fs::remove_all(ExeFolder() / folder_name_, ignored);
    PumpFor(20);
  }

  // The INIFileName that puts |file| in this test's folder.
  [[nodiscard]] std::wstring IniName(const wchar_t* file) const { return folder_name_ + L"\\" + file; }
  [[nodiscard]] fs::path IniPath(const wchar_t* file) const { return ExeFolder() / folder_name_ / file; }

  TestBox& NewBox(bool user_mode, const wchar_t* name = L"Orvanta1") {
    const int n = static_cast<int>(boxes_.size());
    boxes_.push_back(
        std::make_unique<TestBox>(host_.hwnd(), user_mode, name, RECT{10, 10 + 30 * n, 170, 34 + 30 * n}));
    EXPECT_TRUE(boxes_.back()->created);
    return *boxes_.back();
  }

  [[nodiscard]] PropertyStore StoreWithIni(const wchar_t* file) const {
    PropertyStore store;
    store.Write(prop::kINIFileName, IniName(file), std::wstring(L"set.ini"));
    return store;
  }

  TargetWindow host_{L"Hotkey box properties"};
  std::wstring folder_name_;
  std::vector<std::unique_ptr<TestBox>> boxes_;
};

TEST_F(OrvantaProperties, DesignerShowsStoredTextWithoutWindowOrSettings) {
  WriteIni(IniPath(L"set.ini"), {{L"Orvanta1Text", L"From the file"}});
  settings::SetINIFile(L"unrelated.ini");
  const std::wstring path_before = settings::INIPath();
  PropertyStore store = StoreWithIni(L"set.ini");
  store.Write(prop::kText, std::wstring(L"Ctrl + Q"), std::wstring(L"Press Hotkey"));
  TestBox& b = NewBox(false);
  b.Load(store);
  EXPECT_EQ(b.box.Text(), L"Ctrl + Q");
  EXPECT_EQ(b.box.HotKeyWindow(), nullptr);
  EXPECT_EQ(::GetPropW(b.box.TextBoxWindow(), kPropWinProc), nullptr);
  EXPECT_EQ(settings::INIPath(), path_before);
  EXPECT_EQ(b.site.name_reads, 0);
  EXPECT_EQ(b.box.INIFileName(), IniName(L"set.ini"));

  TestBox& fresh = NewBox(false, L"Orvanta2");
  fresh.Load();
  EXPECT_EQ(fresh.box.Text(), L"Press Hotkey");
}

TEST_F(OrvantaProperties, RunTimeLoadHooksAHiddenWindowAndReadsTheSavedHotkey) {
  // Hand-edited: the text does not match the codes, and is shown as it is.
  WriteIni(IniPath(L"set.ini"), {{L"Orvanta1Text", L"Ctrl + X"},
                                 {L"Orvanta1KeyCode", L"89"},
                                 {L"Orvanta1ModKeyCode", L"3"},
                                 {L"Orvanta2Text", L""},
                                 {L"Orvanta2KeyCode", L"55zz"},
                                 {L"Orvanta2ModKeyCode", L""}});
  TestBox& b = NewBox(true);
  b.Load(StoreWithIni(L"set.ini"));
  EXPECT_EQ(b.box.Text(), L"Ctrl + X");
  EXPECT_EQ(b.box.KeyCode(), 89);
  EXPECT_EQ(b.box.ModKeyCode(), 3);
  EXPECT_FALSE(b.box.HotKeyEnabled());
  EXPECT_EQ(b.site.name_reads, 3);  // the instance name is asked for every key
  ASSERT_TRUE(::IsWindow(b.box.HotKeyWindow()));
  EXPECT_EQ(::GetPropW(b.box.HotKeyWindow(), kPropObject), &b.box);
  EXPECT_NE(::GetPropW(b.box.HotKeyWindow(), kPropWinProc), nullptr);
  EXPECT_NE(::GetPropW(b.box.TextBoxWindow(), kPropWinProc), nullptr);
  EXPECT_EQ(settings::INIPath(), IniPath(L"set.ini").wstring());
  // Registration goes by the codes, not by the text shown.
  b.box.SetHotKeyEnabled(true);
  ASSERT_TRUE(b.box.HotKeyEnabled());
  EXPECT_FALSE(ComboIsFree(MOD_ALT | MOD_CONTROL, 'Y'));
  EXPECT_TRUE(ComboIsFree(MOD_CONTROL, 'X'));
  b.box.SetHotKeyEnabled(false);

  // Empty and malformed values: an empty text, and 0 for the numbers.
  TestBox& odd = NewBox(true, L"Orvanta2");
  odd.Load(StoreWithIni(L"set.ini"));
  EXPECT_EQ(odd.box.Text(), L"");
  EXPECT_EQ(odd.box.KeyCode() | odd.box.ModKeyCode(), 0);
  // No file at all: a first start.
  TestBox& first = NewBox(true, L"Orvanta3");
  first.Load(StoreWithIni(L"missing.ini"));
  EXPECT_EQ(first.box.Text(), L"Press Hotkey");
  EXPECT_EQ(first.box.KeyCode() | first.box.ModKeyCode(), 0);
  EXPECT_FALSE(fs::exists(IniPath(L"missing.ini")));
}

TEST_F(OrvantaProperties, SaveSettingsThenLoadRoundTripsThroughTheIniFile) {
  TestBox& b = NewBox(true);
  b.Load(StoreWithIni(L"set.ini"));
  TypeInto(host_.hwnd(), b, {VK_CONTROL}, 'X');
  ASSERT_EQ(b.box.KeyCode(), 88);
  const std::wstring text = b.box.Text();
  b.site.name_reads = 0;
  const SaveResult saved = b.box.SaveSettings();
  EXPECT_TRUE(saved.ok);
  EXPECT_EQ(b.site.name_reads, 3);
  EXPECT_EQ(ReadIni(IniPath(L"set.ini"), L"Orvanta1Text"), text);
  EXPECT_EQ(ReadIni(IniPath(L"set.ini"), L"Orvanta1KeyCode"), L"88");
  EXPECT_EQ(ReadIni(IniPath(L"set.ini"), L"Orvanta1ModKeyCode"), L"2");
  EXPECT_EQ(ReadIni(IniPath(L"set.ini"), L"Orvanta1HotKeyEnabled"), L"<missing>");
  boxes_.clear();

  TestBox& next = NewBox(true);
  next.Load(StoreWithIni(L"set.ini"));
  EXPECT_EQ(next.box.Text(), text);
  EXPECT_EQ(next.box.KeyCode(), 88);
  EXPECT_EQ(next.box.ModKeyCode(), 2);
  EXPECT_FALSE(next.box.HotKeyEnabled());
}

TEST_F(OrvantaProperties, EachBoxSavesIntoItsOwnFile) {
  TestBox& a = NewBox(true, L"Orvanta1");
  a.Load(StoreWithIni(L"a.ini"));
  TestBox& b = NewBox(true, L"Orvanta2");
  b.Load(StoreWithIni(L"b.ini"));  // loaded last: the process-wide file is now b.ini
  ASSERT_TRUE(a.box.SaveSettings().ok);
  EXPECT_EQ(ReadIni(IniPath(L"a.ini"), L"Orvanta1Text"), L"Press Hotkey");
  EXPECT_EQ(ReadIni(IniPath(L"b.ini"), L"Orvanta1Text"), L"<missing>");
}

TEST_F(OrvantaProperties, RefusedRegistrationIsSavedAsNoHotkey) {
  WriteIni(
      IniPath(L"set.ini"),
      {{L"Orvanta1Text", L"Ctrl + Alt + F2"}, {L"Orvanta1KeyCode", L"113"}, {L"Orvanta1ModKeyCode", L"3"}});
  TargetWindow other(L"Other program");
  ASSERT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_ALT, VK_F2));
  TestBox& b = NewBox(true);
  b.Load(StoreWithIni(L"set.ini"));
  {
    MessageBoxWatcher messages;
    b.box.SetHotKeyEnabled(true);
    ASSERT_EQ(messages.shown().size(), 1u);
  }
  ::UnregisterHotKey(other.hwnd(), 1);
  // Forgotten in memory only, until the next save.
  EXPECT_EQ(ReadIni(IniPath(L"set.ini"), L"Orvanta1KeyCode"), L"113");
  ASSERT_TRUE(b.box.SaveSettings().ok);
  EXPECT_EQ(ReadIni(IniPath(L"set.ini"), L"Orvanta1Text"), L"Press Hotkey");
  EXPECT_EQ(ReadIni(IniPath(L"set.ini"), L"Orvanta1KeyCode"), L"0");
  EXPECT_EQ(ReadIni(IniPath(L"set.ini"), L"Orvanta1ModKeyCode"), L"0");
}

TEST_F(OrvantaProperties, RefusedWriteIsReportedWithTheFile) {
  fs::create_directory(IniPath(L"taken.ini"));  // a folder where the file should be
  TestBox& b = NewBox(true);
  b.Load(StoreWithIni(L"taken.ini"));
  const SaveResult saved = b.box.SaveSettings();
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(saved.where, IniPath(L"taken.ini").wstring());
  EXPECT_NE(saved.error, static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(OrvantaProperties, SettingsStoreKeepsTheHotkeyUnderTheApplicationName) {
  const std::wstring app = L"TarnelleTest" + folder_name_;
  const std::wstring key = L"Software\\" + app;
  PropertyStore store = StoreWithIni(L"set.ini");
  store.Write(prop::kSettingLocation, std::int32_t{1}, std::int32_t{0});
  store.Write(prop::kRegKeyName, app, std::wstring(L"Orvanta"));
  TestBox& b = NewBox(true);
  b.Load(store);
  EXPECT_EQ(b.box.Text(), L"Press Hotkey");
  TypeInto(host_.hwnd(), b, {VK_MENU}, VK_F5);
  const SaveResult saved = b.box.SaveSettings();
  EXPECT_TRUE(saved.ok);
  wchar_t value[64]{};
  DWORD bytes = sizeof(value);
  EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, (key + L"\\Orvanta").c_str(), L"Orvanta1KeyCode", RRF_RT_REG_SZ,
                           nullptr, value, &bytes),
            ERROR_SUCCESS);
  EXPECT_STREQ(value, L"116");
  EXPECT_FALSE(fs::exists(IniPath(L"set.ini")));
  boxes_.clear();

  TestBox& next = NewBox(true);
  next.Load(store);
  EXPECT_EQ(next.box.Text(), L"Alt + " + host::PlatformKeyName(VK_F5));
  EXPECT_EQ(next.box.KeyCode(), VK_F5);
  EXPECT_EQ(next.box.ModKeyCode(), MOD_ALT);
  EXPECT_FALSE(fs::exists(IniPath(L"set.ini")));
  ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

TEST_F(OrvantaProperties, StorageCanBeSetOnlyInTheDesigner) {
  TestBox& running = NewBox(true);
  running.Load();
  for (const auto& write : std::initializer_list<std::function<void()>>{
           [&] { running.box.SetINIFileName(L"other.ini"); }, [&] { running.box.SetSettingLocation(1); },
           [&] { running.box.SetRegKeyName(L"Other"); }}) {
    try {
      write();
      ADD_FAILURE() << "no error";
    } catch (const ControlError& e) {
      EXPECT_EQ(e.number(), 382);
    }
  }
  EXPECT_EQ(running.box.INIFileName(), L"set.ini");
  EXPECT_EQ(running.box.SettingLocation(), 0);
  EXPECT_EQ(running.box.RegKeyName(), L"Orvanta");
  EXPECT_TRUE(running.site.changed.empty());

  TestBox& designed = NewBox(false, L"Orvanta2");
  designed.box.InitDefaults();
  designed.box.SetINIFileName(IniName(L"chosen.ini"));
  designed.box.SetSettingLocation(1);
  designed.box.SetRegKeyName(L"Other");
  EXPECT_EQ(designed.box.INIFileName(), IniName(L"chosen.ini"));
  EXPECT_EQ(designed.box.SettingLocation(), 1);
  EXPECT_EQ(designed.box.RegKeyName(), L"Other");
  EXPECT_EQ(settings::INIPath(), IniPath(L"chosen.ini").wstring());  // the designer picks the file
  EXPECT_EQ(designed.site.changed,
            (std::vector<std::wstring>{L"INIFileName", L"SettingLocation", L"RegKeyName"}));
}

TEST_F(OrvantaProperties, StorePropertiesKeepsWhatDiffersFromItsDefaultAndNeverText) {
  TestBox& plain = NewBox(false);
  plain.box.InitDefaults();
  PropertyStore empty;
  plain.box.StoreProperties(empty);
  EXPECT_EQ(empty.size(), 0u);

  PropertyStore designed;
  designed.Write(prop::kBackColor, std::int32_t{0x00336699}, static_cast<std::int32_t>(kSysWindowBackground));
  designed.Write(prop::kEnabled, false, true);
  const FontDesc font{L"Arial", 10.5, 700, 0, true, false, false};
  designed.Write(prop::kFont, font, FontDesc{});
  designed.Write(prop::kBorderStyle, std::int32_t{0}, std::int32_t{1});
  designed.Write(prop::kToolTipText, std::wstring(L"Type a combination"), std::wstring());
  designed.Write(prop::kRegKeyName, std::wstring(L"Other"), std::wstring(L"Orvanta"));
  designed.Write(prop::kText, std::wstring(L"Ctrl + Q"), std::wstring(L"Press Hotkey"));
  TestBox& b = NewBox(false, L"Orvanta2");
  b.Load(designed);
  PropertyStore stored;
  b.box.StoreProperties(stored);
  EXPECT_EQ(stored.size(), 6u);
  EXPECT_FALSE(stored.Contains(prop::kText));
  EXPECT_EQ(stored.ReadFont(prop::kFont, FontDesc{}), font);
  EXPECT_EQ(stored.ReadText(prop::kToolTipText, L""), L"Type a combination");
  EXPECT_TRUE(b.site.changed.empty());  // loading notifies nobody
}

COLORREF BrushColor(HBRUSH brush) {
  LOGBRUSH lb{};
  ::GetObjectW(brush, sizeof(lb), &lb);
  return lb.lbColor;
}

TEST_F(OrvantaProperties, ColoursPaintTheTextBox) {
  TestBox& b = NewBox(false);
  b.Load();
  const HWND text_box = b.box.TextBoxWindow();
  const HDC dc = ::GetDC(text_box);
  const auto paint = [&](UINT msg) {
    return reinterpret_cast<HBRUSH>(
        ::SendMessageW(b.box.hwnd(), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(text_box)));
  };
  EXPECT_EQ(BrushColor(paint(WM_CTLCOLOREDIT)), ::GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(::GetTextColor(dc), ::GetSysColor(COLOR_WINDOWTEXT));

  b.box.SetBackColor(0x00336699);
  b.box.SetForeColor(0x80000012);  // the system's button text colour
  EXPECT_EQ(b.box.BackColor(), 0x00336699u);
  EXPECT_EQ(BrushColor(paint(WM_CTLCOLOREDIT)), RGB(0x99, 0x66, 0x33));
  EXPECT_EQ(::GetBkColor(dc), RGB(0x99, 0x66, 0x33));
  EXPECT_EQ(::GetTextColor(dc), ::GetSysColor(COLOR_BTNTEXT));
  b.box.SetEnabled(false);
  EXPECT_FALSE(::IsWindowEnabled(text_box));
  EXPECT_FALSE(b.box.Enabled());
  EXPECT_EQ(BrushColor(paint(WM_CTLCOLORSTATIC)), RGB(0x99, 0x66, 0x33));
  ::ReleaseDC(text_box, dc);
  EXPECT_EQ(b.site.changed, (std::vector<std::wstring>{L"BackColor", L"ForeColor", L"Enabled"}));
}

BOOL CALLBACK FindToolTip(HWND h, LPARAM lp) {
  wchar_t cls[64]{};
  ::GetClassNameW(h, cls, 64);
  if (std::wstring_view(cls) == TOOLTIPS_CLASSW) {
    *reinterpret_cast<HWND*>(lp) = h;
  }
  return TRUE;
}

TEST_F(OrvantaProperties, FontBorderAndToolTipReachTheTextBox) {
  TestBox& b = NewBox(false);
  b.Load();
  const HWND text_box = b.box.TextBoxWindow();
  EXPECT_STREQ(testing::FontOf(text_box).lfFaceName, L"Tahoma");  // the host's ambient font by default

  b.box.SetFont(FontDesc{L"Arial", 7.5, 700, 0, true, false, false});
  const LOGFONTW lf = testing::FontOf(text_box);
  const UINT dpi = ::GetDpiForWindow(text_box);
  EXPECT_EQ(lf.lfHeight, -static_cast<LONG>((7.5 * dpi) / 72.0 + 0.5));
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_STREQ(lf.lfFaceName, L"Arial");

  const auto style = [&] { return ::GetWindowLongPtrW(text_box, GWL_STYLE) & WS_BORDER; };
  const auto ex_style = [&] { return ::GetWindowLongPtrW(text_box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE; };
  EXPECT_EQ(style(), 0);
  EXPECT_EQ(ex_style(), WS_EX_CLIENTEDGE);  // fixed single, 3D
  b.box.SetAppearance(0);
  EXPECT_EQ(style(), WS_BORDER);
  EXPECT_EQ(ex_style(), 0);
  b.box.SetBorderStyle(0);
  EXPECT_EQ(style(), 0);
  EXPECT_EQ(ex_style(), 0);
  EXPECT_EQ(b.box.BorderStyle(), 0);
  EXPECT_EQ(b.box.Appearance(), 0);

  b.box.SetToolTipText(L"Type a combination");
  HWND tooltip = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindToolTip, reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_NE(tooltip, nullptr);
  wchar_t tip[64]{};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = b.box.hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(text_box);
  tool.lpszText = tip;
  ::SendMessageW(tooltip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(tip, L"Type a combination");
  EXPECT_EQ(b.box.ToolTipText(), L"Type a combination");
  EXPECT_EQ(b.site.changed,
            (std::vector<std::wstring>{L"Font", L"Appearance", L"BorderStyle", L"ToolTipText"}));
}

TEST_F(OrvantaProperties, TextBoxFollowsTheBoxSize) {
  TestBox& b = NewBox(false);
  ::MoveWindow(b.box.hwnd(), 10, 10, 230, 41, TRUE);
  RECT box{};
  RECT text{};
  ::GetClientRect(b.box.hwnd(), &box);
  ::GetWindowRect(b.box.TextBoxWindow(), &text);
  ::MapWindowPoints(nullptr, b.box.hwnd(), reinterpret_cast<POINT*>(&text), 2);
  EXPECT_TRUE(::EqualRect(&text, &box));
  EXPECT_EQ(box.right, 230);
}

}  // namespace
}  // namespace tarnelle::hotkeybox
