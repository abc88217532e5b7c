// Finding a remembered window again, and keeping who it is in the settings file.

#include <gtest/gtest.h>

#include <vector>

#include "shell/run_value.h"
#include "switcher/identity.h"

namespace tarnelle::switcher {
namespace {

const WindowIdentity kNotepad{L"C:\\Windows\\notepad.exe", L"Notepad", L"notes.txt - Notepad"};

// Which window stands for a remembered one, as the slots' following tables use it; here what they
// do not show: paths and classes compare without regard to case, and a window of the same title wins
// wherever it stands.
TEST(WindowLike, TheSameTitleFirstElseTheOnlyOneOfItsProgramAndClass) {
  const WindowIdentity other_title{L"c:\\windows\\NOTEPAD.EXE", L"notepad", L"Untitled - Notepad"};
  const WindowIdentity other_program{L"C:\\Tools\\notepad.exe", L"Notepad", kNotepad.title};
  const std::vector<WindowIdentity> open = {other_title, other_program, kNotepad, other_title};
  EXPECT_EQ(FindWindowLike(kNotepad, open).found, 2u);
  EXPECT_EQ(FindWindowLike(kNotepad, std::vector{other_program, other_title}).found, 1u);
  EXPECT_FALSE(FindWindowLike(kNotepad, std::vector{other_title, other_title}).found.has_value());
}

TEST(IdentityLine, EveryIdentityComesBackAsItWasWrittenInPrintableAscii) {
  const WindowIdentity identities[] = {
      kNotepad,
      {L"D:\\a b\\p.exe", L"C|ass", L""},
      {L"C:\\x.exe", L"K", L"100% \"quoted\"; | =  spaced  "},
      {L"C:\\\u6587\u4ef6\\\u8bb0\u4e8b.exe", L"\u7a97", L"\u8bbe\u7f6e \u2014 tab\there"},
      {L"C:\\x.exe", L"K", L"\U0001F600 beyond the first plane: a surrogate pair where wchar_t is 16 bits"},
  };
  for (const WindowIdentity& identity : identities) {
    const std::wstring line = EncodeIdentity(identity);
    for (const wchar_t c : line) {
      ASSERT_TRUE(c > L' ' && c < 0x7F && c != L'"' && c != L';') << "in a line of " << line.size();
    }
    EXPECT_EQ(DecodeIdentity(line), identity);
  }
}

TEST(IdentityLine, LinesNotWrittenByTheProgramAreNoIdentity) {
  for (const std::wstring_view junk :
       {L"", L"C:\\x.exe", L"C:\\x.exe|K", L"C:\\x.exe|K|t|more", L"|K|t", L"C:\\x.exe||t",
        L"C:\\x.exe|K|50%", L"C:\\x.exe|K|%zz", L"C:\\x.exe|K|%C3", L"C:\\x.exe|K|%FF%FE",
        L"C:\\x.exe|K|two words", L"C:\\x.exe|K|%ED%A0%80",
        // The longer forms of '/' and of U+20AC, and a NUL: no field of ours holds them.
        L"C:\\x.exe|K|%C0%AF", L"C:\\x.exe|K|%E0%82%AC", L"C:\\x.exe|K|%F0%82%82%AC", L"C:\\x.exe|K|a%00b"}) {
    EXPECT_EQ(DecodeIdentity(junk), std::nullopt) << std::wstring(junk).size() << " characters";
  }
}

TEST(StartablePath, OnlyPathsOnALocalDriveToAnExeThatMeanWhatTheySayAndShowTheirOwnWindow) {
  for (const std::wstring_view good : {L"C:\\Windows\\notepad.exe", L"d:\\A B\\Tool.EXE",
                                       L"C:\\Tools\\explorer++.exe", L"C:\\Tools\\console.exe"}) {
    EXPECT_TRUE(IsStartablePath(good));
  }
  for (const std::wstring_view bad :
       {L"", L"notepad.exe", L"C:notepad.exe", L"\\Windows\\notepad.exe", L"C:\\Windows\\notepad.com",
        L"C:\\Windows\\", L"C:\\Windows\\..\\x.exe", L"C:\\.\\x.exe", L"C:\\a\\\\x.exe", L"\"C:\\x.exe\"",
        L"C:/Windows/notepad.exe", L"C:\\x.exe\n", L"C:\\x.exe\\",
        // Another computer's, a stream of a file, the platform's own namespaces, devices.
        L"\\\\server\\share\\t.exe", L"C:\\notes.txt:x.exe", L"\\\\?\\C:\\x.exe", L"\\\\.\\C:\\x.exe",
        L"C:\\dir\\con.exe", L"C:\\LPT1\\x.exe", L"C:\\dir.\\x.exe", L"C:\\dir \\x.exe",
        // Hosts of other content, and a store package's programs.
        L"C:\\Windows\\explorer.exe", L"C:\\Windows\\System32\\MMC.EXE",
        L"C:\\Windows\\System32\\rundll32.exe", L"C:\\Windows\\System32\\dllhost.exe",
        L"C:\\Java\\bin\\java.exe", L"C:\\Java\\bin\\javaw.exe",
        L"C:\\Windows\\System32\\ApplicationFrameHost.exe",
        L"C:\\Program Files\\WindowsApps\\Maker.App_1.0_x64__abc\\App.exe"}) {
    EXPECT_FALSE(IsStartablePath(bad)) << std::wstring(bad).size() << " characters";
  }
  EXPECT_EQ(FolderOf(L"C:\\Tools\\t.exe"), L"C:\\Tools");
  EXPECT_EQ(FolderOf(L"D:\\t.exe"), L"D:\\");
}

TEST(WindowsMenu, SlotHotkeyAndTitleShownAsTheyAreCutWholeOrWhyThereIsNone) {
  const std::wstring long_title(100, L'x');
  // A title whose cut would fall inside a character written as two code units.
  std::wstring smiles(kMenuTitleChars - 2, L'x');
  smiles += {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00), L'y', L'y'};
  const struct {
    std::wstring hotkey;
    MenuWindowState state;
    std::wstring title;
    std::wstring item;
  } cases[] = {
      {L"Ctrl + Alt + 1", MenuWindowState::kWindow, L"Untitled - Notepad",
       L"1   Ctrl + Alt + 1   Untitled - Notepad"},
      {L"Press Hotkey", MenuWindowState::kNoWindow, L"", L"1   Press Hotkey   (no window)"},
      {L"F5", MenuWindowState::kNotRunning, L"", L"1   F5   (not running)"},
      {L"F5", MenuWindowState::kWindow, long_title,
       L"1   F5   " + std::wstring(kMenuTitleChars - 1, L'x') + L"\u2026"},
      {L"F5", MenuWindowState::kWindow, L"Tom & Jerry\tS01\r\n", L"1   F5   Tom && Jerry S01  "},
      {L"A&B", MenuWindowState::kNoWindow, L"", L"1   A&&B   (no window)"},
      {L"F5", MenuWindowState::kWindow, smiles,
       L"1   F5   " + std::wstring(kMenuTitleChars - 2, L'x') + L"\u2026"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WindowsMenuItem(1, c.hotkey, c.state, c.title), c.item);
  }
}

TEST(Options, OnlyOneIsOn) {
  EXPECT_TRUE(ParseOption(L"1"));
  for (const std::wstring_view off : {L"", L"0", L"2", L"01", L" 1", L"true", L"yes", L"-1"}) {
    EXPECT_FALSE(ParseOption(off));
  }
}

}  // namespace
}  // namespace tarnelle::switcher

namespace tarnelle::shell {
namespace {

TEST(RunValue, NamesThisProgramQuotedOrNot) {
  const std::wstring exe = L"C:\\Program Files\\Tarnelle\\tarnelle.exe";
  EXPECT_EQ(RunValueFor(exe), L"\"" + exe + L"\"");
  EXPECT_TRUE(RunValueNames(RunValueFor(exe), exe));
  EXPECT_TRUE(RunValueNames(L"c:\\program files\\tarnelle\\TARNELLE.EXE", exe));
  EXPECT_FALSE(RunValueNames(L"\"D:\\other\\tarnelle.exe\"", exe));
  EXPECT_FALSE(RunValueNames(L"", exe));
}

}  // namespace
}  // namespace tarnelle::shell
