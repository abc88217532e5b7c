// The INI module against real files beside the test program, read and written through the
// platform's profile functions.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/ini.h"
#include "tests/wine/support.h"

namespace tarnelle::settings {
namespace {

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH]{};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring ProgramFolder() {
  return testing::ExeFolder().wstring();
}

std::wstring UniqueName(const wchar_t* prefix) {
  static int counter = 0;
  return prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Puts the process-wide INI path back as it was; a path that was never chosen becomes the
// program's own "set.ini", the closest the module allows.
void RestoreIniPath(const std::wstring& previous) {
  const std::wstring prefix = ProgramFolder() + L"\\";
  if (previous.size() > prefix.size() && previous.compare(0, prefix.size(), prefix) == 0) {
    SetINIFile(previous.substr(prefix.size()));
  } else {
    SetINIFile(L"set.ini");
  }
}

// Each test works in a fresh folder beside the program, chosen through a relative file name.
class SettingsIni : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = INIPath();
    folder_name_ = UniqueName(L"tarnelle-ini-test-");
    folder_ = ProgramFolder() + L"\\" + folder_name_;
    ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr)) << ::GetLastError();
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    RestoreIniPath(previous_);
  }

  [[nodiscard]] std::wstring PathOf(const std::wstring& file) const { return folder_ + L"\\" + file; }
  void Choose(const std::wstring& file) const { SetINIFile(folder_name_ + L"\\" + file); }

  std::wstring previous_;
  std::wstring folder_name_;
  std::wstring folder_;
};

TEST_F(SettingsIni, PathIsTheNameBesideTheProgram) {
  SetINIFile(L"set.ini");
  EXPECT_EQ(INIPath(), ProgramFolder() + L"\\set.ini");
  // The name is taken as it is: no extension is added and its case is kept.
  SetINIFile(L"Other Name");
  EXPECT_EQ(INIPath(), ProgramFolder() + L"\\Other Name");
  EXPECT_EQ(INIPath().find(L"\\\\", 2), std::wstring::npos);
}

TEST_F(SettingsIni, TheLaterChoiceDecidesForEveryCaller) {
  Choose(L"first.ini");
  Choose(L"second.ini");
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1KeyCode", L"88").ok);
  EXPECT_FALSE(Exists(PathOf(L"first.ini")));
  EXPECT_TRUE(Exists(PathOf(L"second.ini")));
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"0"), L"88");
  Choose(L"first.ini");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
}

TEST_F(SettingsIni, MissingFileSectionOrKeyReadsTheDefault) {
  Choose(L"missing.ini");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1Text", L"Press Hotkey"), L"Press Hotkey");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L""), L"");
  EXPECT_FALSE(Exists(PathOf(L"missing.ini")));  // reading creates nothing

  WriteBytes(PathOf(L"other.ini"), "[Elsewhere]\r\nOrvanta1KeyCode=88\r\n");
  Choose(L"other.ini");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L""), L"");
  EXPECT_EQ(ReadINI(L"Elsewhere", L"Orvanta1KeyCode", L"0"), L"88");

  WriteBytes(PathOf(L"keys.ini"), "[Orvanta]\r\nOrvanta2KeyCode=65\r\n");
  Choose(L"keys.ini");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1Text", L""), L"");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta2KeyCode", L"0"), L"65");
}

TEST_F(SettingsIni, PresentButEmptyValueReadsEmptyWhateverTheDefault) {
  WriteBytes(PathOf(L"set.ini"), "[Orvanta]\r\nOrvanta1Text=\r\nOrvanta1KeyCode=\r\n");
  Choose(L"set.ini");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1Text", L"Press Hotkey"), L"");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"0"), L"");

  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta2Text", L"").ok);
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta2Text", L"Press Hotkey"), L"");
}

TEST_F(SettingsIni, LongValueReadsAsItsFirst254Characters) {
  std::string long_value;
  for (int i = 0; i < 300; ++i) {
    long_value += static_cast<char>('a' + i % 26);
  }
  const std::wstring expected(long_value.begin(), long_value.begin() + kIniBufferChars - 1);

  WriteBytes(PathOf(L"hand.ini"), "[Orvanta]\r\nOrvanta1Text=" + long_value + "\r\n");
  Choose(L"hand.ini");
  const std::wstring read = ReadINI(L"Orvanta", L"Orvanta1Text", L"Press Hotkey");
  EXPECT_EQ(read.size(), 254u);
  EXPECT_EQ(read, expected);

  Choose(L"written.ini");
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1Text", std::wstring(long_value.begin(), long_value.end())).ok);
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1Text", L""), expected);
  // The file itself keeps the whole value.
  EXPECT_NE(testing::ReadFileBytes(PathOf(L"written.ini")).find(long_value), std::string::npos);
}

TEST_F(SettingsIni, WrittenValuesReadBackReplaceEarlierOnesInAPlainAnsiFile) {
  Choose(L"set.ini");
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1Text", L"Ctrl + X").ok);
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1KeyCode", L"88").ok);
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1ModKeyCode", L"2").ok);
  EXPECT_EQ(testing::ReadFileBytes(PathOf(L"set.ini")),
            "[Orvanta]\r\nOrvanta1Text=Ctrl + X\r\nOrvanta1KeyCode=88\r\nOrvanta1ModKeyCode=2\r\n");
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta2Text", L"Win + Ctrl + Alt + Shift + F5").ok);
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1Text", L"Press Hotkey"), L"Ctrl + X");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1ModKeyCode", L"0"), L"2");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta2Text", L"Press Hotkey"), L"Win + Ctrl + Alt + Shift + F5");

  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1KeyCode", L"116").ok);
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"0"), L"116");
  const std::string bytes = testing::ReadFileBytes(PathOf(L"set.ini"));
  EXPECT_EQ(bytes.find("Orvanta1KeyCode=88"), std::string::npos) << bytes;
}

// A character of the ANSI code page beyond ASCII, as its byte and as a wide character; none
// when the code page has no single-byte letters to offer.
bool AnsiLetter(char& byte, wchar_t& wide) {
  if (::GetACP() == CP_UTF8) {
    return false;
  }
  for (const char candidate : {'\xE9', '\xE4', '\xC0', '\xB5'}) {
    wchar_t converted = 0;
    if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &candidate, 1, &converted, 1) == 1 &&
        converted > 0x7F && ::IsCharAlphaW(converted)) {
      byte = candidate;
      wide = converted;
      return true;
    }
  }
  return false;
}

TEST_F(SettingsIni, NonAsciiTextTravelsInTheAnsiCodePage) {
  char byte = 0;
  wchar_t wide = 0;
  if (!AnsiLetter(byte, wide)) {
    GTEST_SKIP() << "code page " << ::GetACP() << " has no single-byte letter beyond ASCII";
  }
  // A file written by an ANSI program reads as the same text.
  WriteBytes(PathOf(L"ansi.ini"), std::string("[Orvanta]\r\nOrvanta1Text=Caf") + byte + "\r\n");
  Choose(L"ansi.ini");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1Text", L""), std::wstring(L"Caf") + wide);

  // And a file this module creates carries the same single byte.
  Choose(L"written.ini");
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1Text", std::wstring(L"Caf") + wide).ok);
  const std::string bytes = testing::ReadFileBytes(PathOf(L"written.ini"));
  EXPECT_NE(bytes.find(std::string("Orvanta1Text=Caf") + byte + "\r\n"), std::string::npos) << bytes;
}

TEST_F(SettingsIni, RefusedWriteIsReportedAndLeavesTheFileAlone) {
  const std::string before = "[Orvanta]\r\nOrvanta1KeyCode=88\r\n";
  WriteBytes(PathOf(L"locked.ini"), before);
  Choose(L"locked.ini");
  {
    // Another program holds the file open and shares it with nobody.
    const HANDLE held = ::CreateFileW(PathOf(L"locked.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << ::GetLastError();
    const WriteResult result = WriteINI(L"Orvanta", L"Orvanta1KeyCode", L"116");
    ::CloseHandle(held);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error, static_cast<DWORD>(ERROR_SUCCESS));
  }
  EXPECT_EQ(testing::ReadFileBytes(PathOf(L"locked.ini")), before);
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"0"), L"88");

  // A folder where the file should be.
  ASSERT_TRUE(::CreateDirectoryW(PathOf(L"folder.ini").c_str(), nullptr));
  Choose(L"folder.ini");
  const WriteResult on_folder = WriteINI(L"Orvanta", L"Orvanta1KeyCode", L"116");
  EXPECT_FALSE(on_folder.ok);
  EXPECT_NE(on_folder.error, static_cast<DWORD>(ERROR_SUCCESS));

  // A folder that does not exist.
  Choose(L"no such folder\\set.ini");
  const WriteResult nowhere = WriteINI(L"Orvanta", L"Orvanta1KeyCode", L"116");
  EXPECT_FALSE(nowhere.ok);
  EXPECT_NE(nowhere.error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(Exists(PathOf(L"no such folder")));
}

// Before any file is chosen nothing is read from or written anywhere, least of all the
// Windows folder. Checked in a fresh process, since the path is process-wide.
TEST(SettingsIniDeathTest, BeforeAnyChoiceNothingIsWritten) {
  const std::wstring section = UniqueName(L"TarnelleUnchosen-");
  EXPECT_EXIT(
      {
        bool good = INIPath().empty();
        good = good && ReadINI(section, L"Orvanta1KeyCode", L"0") == L"0";
        const WriteResult result = WriteINI(section, L"Orvanta1KeyCode", L"88");
        good = good && !result.ok && result.error != ERROR_SUCCESS;
        good = good && ReadINI(section, L"Orvanta1KeyCode", L"0") == L"0";
        // Where the profile functions would have put it: win.ini, or a bare name in the
        // Windows folder.
        wchar_t found[16] = {};
        ::GetProfileStringW(section.c_str(), L"Orvanta1KeyCode", L"none", found, 16);
        good = good && std::wstring(found) == L"none";
        std::exit(good ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

constexpr wchar_t kReportVariable[] = L"TARNELLE_INI_PATH_REPORT";

// Runs |copy|, a copy of this program, and returns the INI path it chooses for "set.ini".
std::wstring IniPathChosenBy(const std::wstring& copy, const std::wstring& scratch) {
  const std::wstring report = scratch + L"\\report.txt";
  ::SetEnvironmentVariableW(kReportVariable, report.c_str());
  std::wstring command = L"\"" + copy + L"\" --gtest_filter=SettingsIniCopy.ReportsItsPath";
  // The copy's own test report is of no interest here.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE nul = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = nul;
  si.hStdError = nul;
  PROCESS_INFORMATION pi{};
  const BOOL started =
      ::CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  if (nul != INVALID_HANDLE_VALUE) {
    ::CloseHandle(nul);
  }
  ::SetEnvironmentVariableW(kReportVariable, nullptr);
  if (!started) {
    ADD_FAILURE() << "cannot start the copy: " << ::GetLastError();
    return {};
  }
  ::WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD exit_code = 1;
  ::GetExitCodeProcess(pi.hProcess, &exit_code);
  EXPECT_EQ(exit_code, 0u) << "the copy's test failed";
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  const std::string bytes = testing::ReadFileBytes(report);
  ::DeleteFileW(report.c_str());
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// The copy's side of IniPathChosenBy: a copy started with the report variable set has one
// test more, which writes down the path it chose.
class ReportIniPath : public ::testing::Test {
 public:
  void TestBody() override {
    wchar_t report[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(kReportVariable, report, MAX_PATH), 0u);
    SetINIFile(L"set.ini");
    FILE* f = _wfopen(report, L"wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(INIPath().data(), sizeof(wchar_t), INIPath().size(), f);
    std::fclose(f);
  }
};

[[maybe_unused]] const bool kReportRegistered = [] {
  if (::GetEnvironmentVariableW(kReportVariable, nullptr, 0) == 0) {
    return false;
  }
  ::testing::RegisterTest("SettingsIniCopy", "ReportsItsPath", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> ::testing::Test* { return new ReportIniPath; });
  return true;
}();

TEST_F(SettingsIni, ProgramAtADriveRootGetsNoDoubledSeparator) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 3u);
  const std::wstring root(temp, 3);  // such as "C:\"
  ASSERT_EQ(root.substr(1), L":\\");
  const std::wstring copy = root + UniqueName(L"tarnelle-copy-") + L".exe";
  if (!::CopyFileW(ProgramPath().c_str(), copy.c_str(), TRUE)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      GTEST_SKIP() << "this account may not put a program at the root of " << root;
    }
    FAIL() << "cannot copy the program: " << error;
  }
  const std::wstring chosen = IniPathChosenBy(copy, folder_);
  ::DeleteFileW(copy.c_str());
  EXPECT_EQ(chosen, root + L"set.ini");
}

}  // namespace
}  // namespace tarnelle::settings
