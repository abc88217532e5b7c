#include "shell/tray.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>

#include "app/resource.h"
#include "shell/picture.h"
#include "tests/wine/support.h"
#include "win32/module.h"

namespace tarnelle::shell {
namespace {

// The shell's answer for a record as it stands, without changing anything.
bool ShellHasIcon(const NOTIFYICONDATAW& record) {
  NOTIFYICONDATAW probe = record;
  return ::Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

class ShellTray : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = std::make_unique<testing::TargetWindow>(L"Tarnelle tray owner");
    icon_ = LoadProgramIcon(win32::ThisModule(), ::GetSystemMetrics(SM_CXSMICON));
    ASSERT_TRUE(icon_);
  }
  void TearDown() override {
    // Never leave an icon behind for the next test.
    NOTIFYICONDATAW record = tray_.TrayIconData();
    if (record.hWnd != nullptr) {
      ::Shell_NotifyIconW(NIM_DELETE, &record);
    }
  }

  std::unique_ptr<testing::TargetWindow> owner_;
  win32::unique_hicon icon_;
  Tray tray_;
};

TEST_F(ShellTray, RecordIsTheFirstVersionWithAnEmptyTip) {
  tray_.Fill(owner_->hwnd(), icon_.get());
  const NOTIFYICONDATAW& r = tray_.TrayIconData();
  // The first version ends with a 64-character tip.
  EXPECT_EQ(r.cbSize, offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(WCHAR));
  EXPECT_EQ(r.hWnd, owner_->hwnd());
  EXPECT_EQ(r.hIcon, icon_.get());
  EXPECT_EQ(r.uID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(icon_.get())));
  EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(r.uCallbackMessage, kTrayMessage);
  EXPECT_EQ(r.szTip[0], L'\0');
  EXPECT_FALSE(tray_.added());
  // The callback is a message of the program's own; TaskbarCreated is the shell's.
  EXPECT_GE(kTrayMessage, static_cast<UINT>(WM_APP));
  EXPECT_LE(kTrayMessage, 0xBFFFu);
  EXPECT_EQ(TaskbarCreatedMessage(), ::RegisterWindowMessageW(L"TaskbarCreated"));
}

TEST_F(ShellTray, AddAndDeleteWithTheSameRecord) {
  tray_.Fill(owner_->hwnd(), icon_.get());
  const NOTIFYICONDATAW before = tray_.TrayIconData();
  ASSERT_FALSE(ShellHasIcon(before));

  ASSERT_TRUE(tray_.Add());
  EXPECT_TRUE(tray_.added());
  EXPECT_TRUE(ShellHasIcon(before));
  // The shell now knows this (window, id) pair: a second add of it is refused.
  NOTIFYICONDATAW again = before;
  EXPECT_FALSE(::Shell_NotifyIconW(NIM_ADD, &again));

  EXPECT_TRUE(tray_.Delete());
  EXPECT_FALSE(tray_.added());
  EXPECT_FALSE(ShellHasIcon(before));
  EXPECT_FALSE(tray_.Delete());  // gone already

  // Nothing in the record changed on the way.
  EXPECT_EQ(std::memcmp(&tray_.TrayIconData(), &before, sizeof before), 0);
}

TEST_F(ShellTray, ReAddBringsBackOnlyAnIconThatWasAdded) {
  tray_.Fill(owner_->hwnd(), icon_.get());
  NOTIFYICONDATAW record = tray_.TrayIconData();

  // Never added: a restarted shell gets nothing.
  EXPECT_FALSE(tray_.ReAdd());
  EXPECT_FALSE(ShellHasIcon(record));

  ASSERT_TRUE(tray_.Add());
  // The shell loses the icon, as it does when it restarts.
  ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &record));
  ASSERT_FALSE(ShellHasIcon(record));
  EXPECT_TRUE(tray_.ReAdd());
  EXPECT_TRUE(ShellHasIcon(record));

  // Deleted on purpose: it stays away.
  ASSERT_TRUE(tray_.Delete());
  EXPECT_FALSE(tray_.ReAdd());
  EXPECT_FALSE(ShellHasIcon(record));
}

}  // namespace
}  // namespace tarnelle::shell
