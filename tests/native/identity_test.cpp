// Finding a remembered window again, and keeping who it is in the settings file.

#include <gtest/gtest.h>

#include <vector>

#include "shell/run_value.h"
#include "switcher/identity.h"

namespace tarnelle::switcher {
namespace {

const WindowIdentity kNotepad{L"C:\\Windows\\notepad.exe", L"Notepad", L"notes.txt - Notepad"};

TEST(WindowLike, SameProgramAndClassWithTheSameTitleFirstElseTheMostRecentlyActive) {
  const WindowIdentity other_title{L"c:\\windows\\NOTEPAD.EXE", L"notepad", L"Untitled - Notepad"};
  const WindowIdentity other_class{kNotepad.program, L"Edit", kNotepad.title};
  const WindowIdentity other_program{L"C:\\Tools\\notepad.exe", L"Notepad", kNotepad.title};
  struct Case {
    std::vector<WindowIdentity> open;
    std::optional<std::size_t> found;
  };
  const Case cases[] = {
      {{}, std::nullopt},
      {{other_class, other_program}, std::nullopt},
      {{other_title}, 0},  // paths and classes without regard to case
      {{other_program, other_title, kNotepad}, 2},
      {{other_title, other_title}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindWindowLike(kNotepad, c.open), c.found) << "among " << c.open.size() << " windows";
  }
}

TEST(IdentityLine, EveryIdentityComesBackAsItWasWrittenInPrintableAscii) {
  const WindowIdentity identities[] = {
      kNotepad,
      {L"D:\\a b\\p.exe", L"C|ass", L""},
      {L"C:\\x.exe", L"K", L"100% \"quoted\"; | =  spaced  "},
      {L"C:\\\u6587\u4ef6\\\u8bb0\u4e8b.exe", L"\u7a97", L"\u8bbe\u7f6e \u2014 tab\there"},
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
        L"C:\\x.exe|K|two words", L"C:\\x.exe|K|%ED%A0%80"}) {
    EXPECT_EQ(DecodeIdentity(junk), std::nullopt) << std::wstring(junk).size() << " characters";
  }
}

TEST(StartablePath, OnlyAbsolutePathsToAnExeThatMeanWhatTheySay) {
  for (const std::wstring_view good :
       {L"C:\\Windows\\notepad.exe", L"d:\\A B\\Tool.EXE", L"\\\\server\\share\\t.exe"}) {
    EXPECT_TRUE(IsStartablePath(good));
  }
  for (const std::wstring_view bad :
       {L"", L"notepad.exe", L"C:notepad.exe", L"\\Windows\\notepad.exe", L"C:\\Windows\\notepad.com",
        L"C:\\Windows\\", L"C:\\Windows\\..\\x.exe", L"C:\\.\\x.exe", L"C:\\a\\\\x.exe", L"\"C:\\x.exe\"",
        L"C:/Windows/notepad.exe", L"C:\\x.exe\n", L"C:\\x.exe\\"}) {
    EXPECT_FALSE(IsStartablePath(bad)) << std::wstring(bad).size() << " characters";
  }
  EXPECT_EQ(FolderOf(L"C:\\Tools\\t.exe"), L"C:\\Tools");
  EXPECT_EQ(FolderOf(L"D:\\t.exe"), L"D:\\");
}

TEST(WindowsMenu, SlotHotkeyAndShortenedTitleOrNoWindow) {
  EXPECT_EQ(WindowsMenuItem(1, L"Ctrl + Alt + 1", L"Untitled - Notepad"),
            L"1   Ctrl + Alt + 1   Untitled - Notepad");
  EXPECT_EQ(WindowsMenuItem(10, L"Press Hotkey", std::nullopt), L"10   Press Hotkey   (no window)");
  const std::wstring long_title(100, L'x');
  const std::wstring item = WindowsMenuItem(2, L"F5", long_title);
  EXPECT_EQ(item, L"2   F5   " + std::wstring(kMenuTitleChars - 1, L'x') + L"\u2026");
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
