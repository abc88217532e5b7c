// The program's life: the ways out (logging off among them) and back in, the settings file in
// every state it can be found in, more copies than one, and DLLs planted beside it.

#include "tests/windows/tarnelle_test.h"

#include <map>

namespace tarnelle::driver {
namespace {

struct Saved {
  std::wstring text;
  int key = 0;
  int mods = 0;
};

class Exit : public Tarnelle, public ::testing::WithParamInterface<std::string_view> {};

// A log-off asks every process that has windows and then ends it: that case runs in a process of
// its own that never makes one (the test command runs it alone).
TEST_P(Exit, SavesAllTenBoxesFreesTheHotkeysRemovesTheIconAndTheNextStartShowsThemSwitchedOff) {
  const bool log_off = GetParam() == "LoggingOff";
  ASSERT_TRUE(!log_off || WindowsOf(::GetCurrentProcessId()).empty())
      << "run this case alone: --gtest_filter=*LoggingOff*";
  Start(IniWith({3}));
  const Key w{'W', 0x11};
  std::map<int, Saved> saved{{3, {L"Ctrl + Shift + F3", VK_F3, 6}},
                             {4, {Shows({kCtrl, kAlt}, w), 'W', MOD_CONTROL | MOD_ALT}},
                             {9, {Shows({kCtrl, kShift}, kF(2)), VK_F2, MOD_CONTROL | MOD_SHIFT}}};
  ASSERT_DONE(app.Type(4, {kCtrl, kAlt}, w, saved[4].text));
  ASSERT_DONE(app.Type(9, {kCtrl, kShift}, kF(2), saved[9].text));
  ASSERT_TRUE(app.Tick(9));
  if (log_off) {
    Hide();  // not held up by a hidden window either
    Process logoff;
    ASSERT_TRUE(logoff.Start(L"wineboot.exe", L"--end-session") && logoff.Wait()) << "held up";
    EXPECT_EQ(logoff.ExitCode(), 0u) << "the log-off was refused";
  } else if (GetParam() == "ClosePicture") {
    const POINT close = Centre(app.Pictures()[2]);
    ASSERT_TRUE(MoveTo(close));
    SendMouse({ButtonFlag(Button::kLeft, true)});
    ASSERT_TRUE(MoveTo(Offset(close, -80, 80)));
    SendMouse({ButtonFlag(Button::kLeft, false)});
    // Input is handled in order: the option button turns only if the program is still there.
    ASSERT_TRUE(app.ChooseMode(true)) << "a press let go off the picture was taken for a click";
    ASSERT_TRUE(Click(app.Pictures()[2]));
  } else if (GetParam() == "MenuExit") {  // the menu's last item, picked with the right button
    ASSERT_TRUE(ChooseFromMenu({}));
    const RECT menu = RectOf(app.Menus().front());
    ASSERT_TRUE(ClickAt(POINT{(menu.left + menu.right) / 2, menu.bottom - 8}, Button::kRight));
  } else if (GetParam().starts_with("AltF4")) {  // the focus on the checkbox just ticked, or an option
    ASSERT_TRUE(GetParam() == "AltF4OnACheckbox" || app.ChooseMode(true));
    ASSERT_EQ(app.Focus(), GetParam() == "AltF4OnACheckbox" ? app.Check(9) : app.Mode(true));
    Press({kAlt}, kF(4));
  } else if (GetParam() == "Taskkill") {  // without /f: it asks the program's windows to close
    Process taskkill;
    ASSERT_TRUE(taskkill.Start(L"taskkill.exe", L"/pid " + std::to_wstring(app.pid())) && taskkill.Wait());
  } else {  // a close message to the window, or to the hidden window that owns it
    const HWND to = GetParam() == "CloseMessage" ? app.window() : ::GetWindow(app.window(), GW_OWNER);
    ASSERT_TRUE(to != nullptr && ::PostMessageW(to, WM_CLOSE, 0, 0));
  }
  ASSERT_TRUE(app.process().Wait());
  EXPECT_TRUE(WaitForTrayIcons(0) && SlotFree(2));
  for (int n = 1; n <= 10; ++n) {
    const Saved box = saved.contains(n) ? saved[n] : Saved{kPressHotkey};
    ExpectSaved(n, box.text, box.key, box.mods);
  }
  if (log_off) {
    return;  // the session is over
  }
  ASSERT_DONE(app.Start());
  for (int n = 1; n <= 10; ++n) {
    EXPECT_EQ(TextOf(app.Box(n)), saved.contains(n) ? saved[n].text : kPressHotkey);
    EXPECT_TRUE(!app.Checked(app.Check(n)) && TextOf(app.SlotText(n)).empty()) << "slot " << n;
  }
  EXPECT_TRUE(app.Checked(app.Mode(false)) && SlotFree(2));
  ASSERT_TRUE(app.Tick(9));  // a tick brings a saved hotkey back
  EXPECT_FALSE(SlotFree(2));
}

INSTANTIATE_TEST_SUITE_P(WaysOut, Exit,
                         ::testing::Values("ClosePicture", "MenuExit", "CloseMessage", "AltF4OnACheckbox",
                                           "AltF4OnAnOption", "CloseToTheOwner", "Taskkill", "LoggingOff"),
                         [](const auto& way) { return std::string(way.param); });

std::string Lines(int n, const std::string& text, const std::string& key, const std::string& mods) {
  const std::string box = "Orvanta" + std::to_string(n);
  return box + "Text=" + text + "\r\n" + box + "KeyCode=" + key + "\r\n" + box + "ModKeyCode=" + mods +
         "\r\n";
}

// A hand-edited file: what is no number loads as no key (a tick then says so) and is written as
// one at exit; a number the platform reads with blanks around it, and a modifier mask of bits no
// modifier has, are kept as they are; other sections stay.
TEST_F(Tarnelle, HandEditedHotkeysLoadWhatTheyCanAndAreWrittenSaneAtExit) {
  Start("[Orvanta]\r\n" + Lines(1, "K1", "55zz", "6") + Lines(2, "K2", " 66 ", "6") +
        Lines(3, "M3", "114", "-1") + "[Other]\r\nkeep=1\r\n");
  for (const auto& [n, text] : {std::pair{1, L"K1"}, {2, L"K2"}, {3, L"M3"}}) {
    EXPECT_EQ(TextOf(app.Box(n)), text);
  }
  ExpectRefused(1, kNotSet);
  ASSERT_TRUE(app.Tick(2));
  EXPECT_FALSE(HotkeyFree(MOD_CONTROL | MOD_SHIFT, 66));
  Close();
  ExpectSaved(1, L"K1", 0, 6);
  ExpectSaved(2, L"K2", 66, 6);
  ExpectSaved(3, L"M3", 114, -1);
  EXPECT_EQ(app.Saved(L"keep", L"Other"), L"1");
}

// The file cannot be written (a folder has its name): one message, naming it, and the end.
TEST_F(Tarnelle, UnsaveableSettingsGiveOneErrorNamingTheFile) {
  Start(IniWith({1}));
  ASSERT_DONE(app.Type(1, {kCtrl, kAlt}, {'U', 0x16}, Shows({kCtrl, kAlt}, {'U', 0x16})));
  ASSERT_TRUE(::DeleteFileW(app.IniPath().c_str()) && ::CreateDirectoryW(app.IniPath().c_str(), nullptr));
  ASSERT_TRUE(Click(app.Pictures()[2]) && WaitFor([&] { return !app.MessageBoxes().empty(); }));
  ASSERT_TRUE(ChooseFromMenu({}));  // a second Exit, from the icon's menu, is ignored
  const RECT menu = RectOf(app.Menus().front());
  ASSERT_TRUE(ClickAt(POINT{(menu.left + menu.right) / 2, menu.bottom - 8}));
  ASSERT_TRUE(WaitFor([&] { return app.Menus().empty(); }) && app.Settled());
  EXPECT_EQ(app.MessageBoxes().size(), 1u);
  const std::optional<std::wstring> message = Answer(app.pid());
  ASSERT_TRUE(message.has_value() && message->starts_with(L"error: ")) << message.value_or(L"no message");
  std::wstring text = *message, path = app.IniPath();
  ::CharLowerW(text.data());  // the message names the file, whatever the case of its letters
  ::CharLowerW(path.data());
  EXPECT_NE(text.find(path), std::wstring::npos) << text;
  ASSERT_TRUE(app.process().Wait());  // a second message would hold it up
}

TEST_F(Tarnelle, OfTenCopiesStartedAtOnceOneStaysAndAnotherStartShowsItsHiddenWindow) {
  ASSERT_TRUE(app.WriteIni(IniWith({1})));
  std::vector<Process> copies(10);
  for (Process& copy : copies) {
    ASSERT_TRUE(copy.Start(app.exe()));
  }
  const auto running = [](const Process& p) { return p.Running(); };
  ASSERT_TRUE(WaitFor([&] { return std::count_if(copies.begin(), copies.end(), running) == 1; }));
  ASSERT_DONE(app.Adopt(std::move(*std::find_if(copies.begin(), copies.end(), running))));
  ASSERT_TRUE(WaitForTrayIcons(1));
  Hide();
  Process another;
  ASSERT_TRUE(another.Start(app.exe()));
  EXPECT_TRUE(another.Wait()) << "the second copy kept running";
  EXPECT_TRUE(WaitFor([&] { return app.Visible(); })) << "the running window was not shown";
  EXPECT_TRUE(app.Sync() && TrayIcons().size() == 1);
  Close();
  ExpectSaved(1, L"Ctrl + Shift + F1", VK_F1, 6);
}

TEST_F(Tarnelle, DllsPlantedBesideTheProgramAreNeverLoaded) {
  const std::wstring names[] = {L"version",   L"dwmapi",  L"uxtheme",  L"propsys",
                                L"shcore",    L"shlwapi", L"oleaut32", L"windowscodecs",
                                L"cryptbase", L"msimg32", L"winmm",    L"dbghelp"};
  std::wstring arguments;
  for (const std::wstring& name : names) {
    ASSERT_TRUE(::CopyFileW(BesideMe(L"planted_dll.dll").c_str(),
                            (app.folder() + L"\\" + name + L".dll").c_str(), FALSE));
    arguments += name + L".dll ";
  }
  const auto ran = [&] {  // each planted DLL that ran left "<name>.dll.loaded"
    std::wstring list;
    for (const std::wstring& name : names) {
      list += ::DeleteFileW((app.folder() + L"\\" + name + L".dll.loaded").c_str()) ? name + L" " : L"";
    }
    return list;
  };
  // A careless program in the same folder shows which of them this platform hands out.
  const std::wstring careless = app.folder() + L"\\dll_probe.exe";
  Process probe;
  ASSERT_TRUE(::CopyFileW(BesideMe(L"dll_probe.exe").c_str(), careless.c_str(), FALSE) &&
              probe.Start(careless, arguments, app.folder()) && probe.Wait());
  ASSERT_NE(ran(), L"") << "this platform hands a careless program no planted DLL: the case proves nothing";
  const Browser browser;  // the program, used: a tick, a link (the shell is loaded then), the icon
  Start(IniWith({1}));
  ASSERT_TRUE(app.Tick(1) && Click(app.Link()) && browser.WaitForUrls(1) && ClickTrayIcon(Button::kLeft));
  Close();
  EXPECT_EQ(ran(), L"") << "planted DLLs ran inside the program";
}

}  // namespace
}  // namespace tarnelle::driver
