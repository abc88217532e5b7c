// The per-user settings store against the real registry of the current user.

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "settings/ini.h"
#include "settings/user_store.h"
#include "tests/wine/support.h"

namespace tarnelle::settings {
namespace {

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

// Each test keeps its values under an application name of its own and removes it afterwards.
class SettingsUserStore : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    app_ = L"TarnelleTest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    ASSERT_FALSE(KeyExists(AppKey()));
  }
  void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, AppKey().c_str()); }

  [[nodiscard]] std::wstring AppKey() const { return L"Software\\" + app_; }
  [[nodiscard]] std::wstring Read(const wchar_t* key, const wchar_t* fallback) const {
    return ReadUserSetting(app_, L"Orvanta", key, fallback);
  }
  [[nodiscard]] bool Write(const wchar_t* key, const std::wstring& value) const {
    return WriteUserSetting(app_, L"Orvanta", key, value).ok;
  }
  // The value as the registry holds it, read without the store: text (REG_SZ) only.
  [[nodiscard]] std::wstring RawText(const wchar_t* name) const {
    wchar_t data[64]{};
    DWORD bytes = sizeof(data);
    const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, (AppKey() + L"\\Orvanta").c_str(), name,
                                          RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, data, &bytes);
    return status == ERROR_SUCCESS ? data : L"<not text>";
  }

  std::wstring app_;
};

TEST_F(SettingsUserStore, MissingOrNonTextValueReadsTheDefault) {
  EXPECT_EQ(Read(L"Orvanta1Text", L"Press Hotkey"), L"Press Hotkey");
  EXPECT_EQ(Read(L"Orvanta1KeyCode", L""), L"");
  EXPECT_FALSE(KeyExists(AppKey())) << "reading must not create the key";

  ASSERT_TRUE(Write(L"Orvanta2KeyCode", L"65"));
  EXPECT_EQ(Read(L"Orvanta1KeyCode", L"0"), L"0");
  EXPECT_EQ(ReadUserSetting(app_, L"Elsewhere", L"Orvanta2KeyCode", L"0"), L"0");

  const std::wstring section = AppKey() + L"\\Orvanta";
  const DWORD number = 88;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"Orvanta1KeyCode", REG_DWORD, &number,
                              sizeof number),
            ERROR_SUCCESS);
  EXPECT_EQ(Read(L"Orvanta1KeyCode", L"0"), L"0");
  const wchar_t expandable[] = L"%TEMP%";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"Orvanta1Text", REG_EXPAND_SZ, expandable,
                              sizeof expandable),
            ERROR_SUCCESS);
  EXPECT_EQ(Read(L"Orvanta1Text", L"Press Hotkey"), L"Press Hotkey");
}

TEST_F(SettingsUserStore, WrittenValuesAreTextUnderSoftwareApplicationSection) {
  ASSERT_TRUE(Write(L"Orvanta1Text", L"Ctrl + X"));
  ASSERT_TRUE(Write(L"Orvanta1KeyCode", L"88"));
  EXPECT_EQ(Read(L"Orvanta1Text", L"Press Hotkey"), L"Ctrl + X");
  EXPECT_EQ(Read(L"Orvanta1KeyCode", L"0"), L"88");
  EXPECT_EQ(RawText(L"Orvanta1Text"), L"Ctrl + X");
  EXPECT_EQ(RawText(L"Orvanta1KeyCode"), L"88");
  ASSERT_TRUE(Write(L"Orvanta1KeyCode", L"116"));
  EXPECT_EQ(Read(L"Orvanta1KeyCode", L"0"), L"116");
  EXPECT_EQ(Read(L"Orvanta1Text", L"Press Hotkey"), L"Ctrl + X");

  // Empty and long values come back whole.
  ASSERT_TRUE(Write(L"Orvanta1Text", L""));
  EXPECT_EQ(Read(L"Orvanta1Text", L"Press Hotkey"), L"");
  std::wstring long_value;
  for (int i = 0; i < 5000; ++i) {
    long_value += static_cast<wchar_t>(L'a' + i % 26);
  }
  long_value += L"\x00E9\x4E2D";  // beyond any ANSI code page
  ASSERT_TRUE(Write(L"Orvanta1Text", long_value));
  EXPECT_EQ(Read(L"Orvanta1Text", L""), long_value);
}

TEST_F(SettingsUserStore, ApplicationOrSectionMissingIsRefused) {
  EXPECT_EQ(ReadUserSetting(L"", L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
  for (const WriteResult& refused : {WriteUserSetting(L"", L"Orvanta", L"Orvanta1KeyCode", L"88"),
                                     WriteUserSetting(app_, L"", L"Orvanta1KeyCode", L"88")}) {
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error, static_cast<DWORD>(ERROR_SUCCESS));
  }
  EXPECT_FALSE(KeyExists(AppKey()));
}

TEST_F(SettingsUserStore, NeverTouchesTheIniFile) {
  const std::wstring previous = INIPath();
  const std::wstring name = app_ + L".ini";
  const auto path = testing::ExeFolder() / name;
  SetINIFile(name);
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1KeyCode", L"65").ok);
  const std::string before = testing::ReadFileBytes(path);
  ASSERT_FALSE(before.empty());

  EXPECT_TRUE(Write(L"Orvanta1KeyCode", L"88"));
  EXPECT_TRUE(Write(L"Orvanta2KeyCode", L"77"));
  EXPECT_EQ(Read(L"Orvanta1KeyCode", L"0"), L"88");
  EXPECT_EQ(testing::ReadFileBytes(path), before);
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"missing"), L"65");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta2KeyCode", L"missing"), L"missing");

  ::DeleteFileW(path.c_str());
  // Back to the path in use before; a path never chosen becomes the program's "set.ini".
  const std::wstring prefix = testing::ExeFolder().wstring() + L"\\";
  SetINIFile(previous.compare(0, prefix.size(), prefix) == 0 ? previous.substr(prefix.size())
                                                             : std::wstring(L"set.ini"));
}

}  // namespace
}  // namespace tarnelle::settings
