// What the user is told when the hotkeys cannot be saved on the way out.

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>

#include "tests/e2e/harness.h"

namespace tarnelle::e2e {
namespace {

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return text;
}

// Makes |path| refuse writes: read-only, as a user would mark it. Accounts that may write to a
// read-only file anyway (root, under Wine) are kept out by holding the file open without
// letting anybody else write to it. Undone when the object goes.
class UnwritableFile {
 public:
  explicit UnwritableFile(const std::wstring& path) : path_(path) {
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE probe = ::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      ::CloseHandle(probe);
      hold_ = ::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    }
  }
  ~UnwritableFile() {
    if (hold_ != INVALID_HANDLE_VALUE) {
      ::CloseHandle(hold_);
    }
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  UnwritableFile(const UnwritableFile&) = delete;
  UnwritableFile& operator=(const UnwritableFile&) = delete;

  [[nodiscard]] bool refuses_writes() const {
    HANDLE probe = ::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
      return true;
    }
    ::CloseHandle(probe);
    return false;
  }

 private:
  std::wstring path_;
  HANDLE hold_ = INVALID_HANDLE_VALUE;
};

TEST(SaveFailure, ExitWithReadOnlySettingsShowsOneErrorNamingTheFileThenEnds) {
  Program app;
  constexpr char kBefore[] =
      "[Orvanta]\r\nOrvanta1Text=Ctrl + Alt + Z\r\nOrvanta1KeyCode=90\r\nOrvanta1ModKeyCode=3\r\n";
  app.WriteIni(kBefore);
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(app.BoxText(1), L"Ctrl + Alt + Z");
  ASSERT_TRUE(TypeHotkey(app, 1, {VK_CONTROL, VK_MENU}, 'Y'));
  UnwritableFile locked(app.IniPath());
  ASSERT_TRUE(locked.refuses_writes());

  ASSERT_TRUE(ClickWindow(app.CloseImage()));
  // Every message box that comes up is read and answered with Enter, until the program ends.
  std::set<HWND> answered;
  std::vector<ShownDialog> seen;
  const bool ended = WaitUntil([&] {
    for (const ShownDialog& dialog : DialogsOf(app.pid())) {
      if (answered.count(dialog.window) != 0) {
        continue;
      }
      if (::GetForegroundWindow() != dialog.window) {
        RECT r{};
        ::GetWindowRect(dialog.window, &r);
        ClickAt(POINT{(r.left + r.right) / 2, r.top + 8});  // its title bar
        if (!WaitUntil([&] { return ::GetForegroundWindow() == dialog.window; })) {
          continue;
        }
      }
      seen.push_back(dialog);
      answered.insert(dialog.window);
      TapKey(VK_RETURN);
    }
    return !app.running();
  });
  ASSERT_TRUE(ended) << "the program did not end after its message was answered";
  ASSERT_EQ(seen.size(), 1u) << "one message, not one per value";
  EXPECT_EQ(seen.front().caption, L"error");
  EXPECT_NE(Lower(seen.front().text).find(Lower(app.IniPath())), std::wstring::npos)
      << "the message does not name the file: \"" << Utf8(seen.front().text) << "\"";
  EXPECT_EQ(ReadFileBytes(app.IniPath()), kBefore) << "the read-only file was changed";
}

}  // namespace
}  // namespace tarnelle::e2e
