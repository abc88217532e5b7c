// The per-user settings store against the real registry of the current user.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "settings/ini.h"
#include "settings/user_store.h"

namespace tarnelle::settings {
namespace {

std::wstring ProgramFolder() {
  std::wstring buffer(32768, L'\0');
  buffer.resize(::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size())));
  return buffer.substr(0, buffer.find_last_of(L'\\'));
}

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  if (FILE* f = _wfopen(path.c_str(), L"rb")) {
    char chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
      bytes.append(chunk, n);
    }
    std::fclose(f);
  }
  return bytes;
}

// Each test keeps its values under an application name of its own and removes it afterwards.
class SettingsUserStore : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    application_ =
        L"TarnelleTest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    ASSERT_FALSE(KeyExists(AppKey()));
  }
  void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, AppKey().c_str()); }

  [[nodiscard]] std::wstring AppKey() const { return L"Software\\" + application_; }
  [[nodiscard]] std::wstring SectionKey() const { return AppKey() + L"\\Orvanta"; }

  // The value as the registry holds it, read without the store.
  bool RawValue(const wchar_t* name, DWORD& type, std::wstring& data) const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey().c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return false;
    }
    DWORD bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes);
    if (status == ERROR_SUCCESS) {
      data.assign(bytes / sizeof(wchar_t), L'\0');
      status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
      if (!data.empty() && data.back() == L'\0') {
        data.pop_back();
      }
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
  }

  void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) const {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    ::RegCloseKey(key);
  }

  std::wstring application_;
};

TEST_F(SettingsUserStore, MissingKeyOrValueReadsTheDefault) {
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1Text", L"Press Hotkey"), L"Press Hotkey");
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L""), L"");
  EXPECT_FALSE(KeyExists(AppKey())) << "reading must not create the key";

  ASSERT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta2KeyCode", L"65").ok);
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
  EXPECT_EQ(ReadUserSetting(application_, L"Elsewhere", L"Orvanta2KeyCode", L"0"), L"0");
}

TEST_F(SettingsUserStore, ValueThatIsNotTextReadsTheDefault) {
  const DWORD number = 88;
  PutRaw(L"Orvanta1KeyCode", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
  const wchar_t expandable[] = L"%TEMP%";
  PutRaw(L"Orvanta1Text", REG_EXPAND_SZ, expandable, sizeof expandable);
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1Text", L"Press Hotkey"), L"Press Hotkey");
}

TEST_F(SettingsUserStore, WrittenValuesAreTextUnderSoftwareApplicationSection) {
  ASSERT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta1Text", L"Ctrl + X").ok);
  ASSERT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"88").ok);
  ASSERT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta1ModKeyCode", L"2").ok);
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1Text", L"Press Hotkey"), L"Ctrl + X");
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"0"), L"88");
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1ModKeyCode", L"0"), L"2");

  DWORD type = 0;
  std::wstring data;
  ASSERT_TRUE(RawValue(L"Orvanta1Text", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, L"Ctrl + X");
  ASSERT_TRUE(RawValue(L"Orvanta1KeyCode", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, L"88");

  ASSERT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"116").ok);
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"0"), L"116");
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1Text", L"Press Hotkey"), L"Ctrl + X");
}

TEST_F(SettingsUserStore, EmptyAndLongValuesComeBackWhole) {
  ASSERT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta1Text", L"").ok);
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1Text", L"Press Hotkey"), L"");

  std::wstring long_value;
  for (int i = 0; i < 5000; ++i) {
    long_value += static_cast<wchar_t>(L'a' + i % 26);
  }
  long_value += L"\x00E9\x4E2D";  // beyond any ANSI code page
  ASSERT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta1Text", long_value).ok);
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1Text", L""), long_value);
}

TEST_F(SettingsUserStore, ApplicationOrSectionMissingIsRefused) {
  EXPECT_EQ(ReadUserSetting(L"", L"Orvanta", L"Orvanta1KeyCode", L"0"), L"0");
  const WriteResult no_application = WriteUserSetting(L"", L"Orvanta", L"Orvanta1KeyCode", L"88");
  EXPECT_FALSE(no_application.ok);
  EXPECT_NE(no_application.error, static_cast<DWORD>(ERROR_SUCCESS));
  const WriteResult no_section = WriteUserSetting(application_, L"", L"Orvanta1KeyCode", L"88");
  EXPECT_FALSE(no_section.ok);
  EXPECT_NE(no_section.error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(KeyExists(AppKey()));
}

TEST_F(SettingsUserStore, NeverTouchesTheIniFile) {
  const std::wstring previous = INIPath();
  const std::wstring name = application_ + L".ini";
  const std::wstring path = ProgramFolder() + L"\\" + name;
  SetINIFile(name);
  ASSERT_TRUE(WriteINI(L"Orvanta", L"Orvanta1KeyCode", L"65").ok);
  const std::string before = FileBytes(path);
  ASSERT_FALSE(before.empty());

  EXPECT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"88").ok);
  EXPECT_TRUE(WriteUserSetting(application_, L"Orvanta", L"Orvanta2KeyCode", L"77").ok);
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta1KeyCode", L"0"), L"88");
  EXPECT_EQ(ReadUserSetting(application_, L"Orvanta", L"Orvanta3KeyCode", L"0"), L"0");
  EXPECT_EQ(FileBytes(path), before);
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta1KeyCode", L"missing"), L"65");
  EXPECT_EQ(ReadINI(L"Orvanta", L"Orvanta2KeyCode", L"missing"), L"missing");

  ::DeleteFileW(path.c_str());
  // Back to the path in use before; a path never chosen becomes the program's "set.ini".
  const std::wstring prefix = ProgramFolder() + L"\\";
  SetINIFile(previous.compare(0, prefix.size(), prefix) == 0 ? previous.substr(prefix.size())
                                                             : std::wstring(L"set.ini"));
}

}  // namespace
}  // namespace tarnelle::settings
