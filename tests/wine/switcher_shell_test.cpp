// The main window's tray, link, hiding, exit and end-of-session behaviour, in process.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/links.h"
#include "shell/tray.h"
#include "switcher/frmset.h"
#include "tests/wine/support.h"

namespace tarnelle::switcher {
namespace {

using testing::CenterOf;
using testing::ExeFolder;
using testing::MessageBoxWatcher;
using testing::MoveMouseTo;
using testing::PumpFor;
using testing::PumpUntil;
using testing::SendClick;

std::wstring ReadSaved(const wchar_t* key) {
  return testing::ReadIniValue(testing::ExeFolder() / L"set.ini", L"Orvanta", key);
}

// True while the shell holds the program's icon: only a held icon can be modified.
bool IconIsThere(const frmSet& form) {
  NOTIFYICONDATAW nid = form.tray().TrayIconData();
  nid.uFlags = 0;
  return ::Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

class FormShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(ExeFolder() / L"set.ini");
    previous_opener_ = shell::SetLinkOpener([this](HWND parent, std::wstring_view url) {
      opened_.push_back({parent, std::wstring(url)});
    });
    form_ = std::make_unique<frmSet>();
    form_->quit_on_destroy = false;
    form_->end_program = [this] { ++ended_; };
    ASSERT_TRUE(form_->Create());
    form_->ShowCentered();
    PumpFor(100);
  }
  void TearDown() override {
    if (form_ && form_->tray().added()) {
      NOTIFYICONDATAW nid = form_->tray().TrayIconData();
      ::Shell_NotifyIconW(NIM_DELETE, &nid);
    }
    form_.reset();
    shell::SetLinkOpener(std::move(previous_opener_));
    std::error_code ignored;
    std::filesystem::remove_all(ExeFolder() / L"set.ini", ignored);
  }

  std::unique_ptr<frmSet> form_;
  int ended_ = 0;
  struct Opened {
    HWND parent;
    std::wstring url;
  };
  std::vector<Opened> opened_;
  shell::LinkOpener previous_opener_;
};

TEST_F(FormShellTest, LeftReleaseOnTheIconShowsTheHiddenWindowInPlace) {
  EXPECT_TRUE(IconIsThere(*form_));
  RECT before{};
  ::GetWindowRect(form_->hwnd(), &before);
  SendClick(CenterOf(form_->HideImage()));
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(form_->hwnd()); }));
  EXPECT_TRUE(IconIsThere(*form_));
  // Presses, hovering and double-clicks do nothing.
  for (LPARAM other : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN}) {
    ::SendMessageW(form_->hwnd(), shell::kTrayMessage, 0, other);
    EXPECT_FALSE(::IsWindowVisible(form_->hwnd())) << other;
  }
  ::SendMessageW(form_->hwnd(), shell::kTrayMessage, 0, WM_LBUTTONUP);
  EXPECT_TRUE(::IsWindowVisible(form_->hwnd()));
  RECT after{};
  ::GetWindowRect(form_->hwnd(), &after);
  EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(FormShellTest, ALinkHoverUnderlinesUntilThePointerCrossesTheBackground) {
  ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
  MoveMouseTo(CenterOf(form_->LinkLabel()));
  ASSERT_TRUE(PumpUntil([&] { return form_->LinkUnderlined(); }));
  EXPECT_TRUE(testing::FontOf(form_->LinkLabel()).lfUnderline);
  // Straight onto a checkbox: still underlined.
  MoveMouseTo(CenterOf(form_->Check(9).control()));
  PumpFor(100);
  EXPECT_TRUE(form_->LinkUnderlined());
  // A tray notification clears it, as does the bare background.
  ::SendMessageW(form_->hwnd(), shell::kTrayMessage, 0, WM_MOUSEMOVE);
  EXPECT_FALSE(form_->LinkUnderlined());
  // Back onto the label, away from where its tip may stand.
  RECT label{};
  ::GetWindowRect(form_->LinkLabel(), &label);
  MoveMouseTo(POINT{label.left + 8, (label.top + label.bottom) / 2});
  ASSERT_TRUE(PumpUntil([&] { return form_->LinkUnderlined(); }));
  MoveMouseTo(POINT{label.left + 5, label.bottom + 12});
  EXPECT_TRUE(PumpUntil([&] { return !form_->LinkUnderlined(); }));
}

TEST_F(FormShellTest, LinksOpenTheirFixedPagesFromTheMainWindow) {
  ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
  SendClick(CenterOf(form_->LinkLabel()));
  ASSERT_TRUE(PumpUntil([&] { return opened_.size() == 1; }));
  SendClick(CenterOf(form_->Logo()));
  ASSERT_TRUE(PumpUntil([&] { return opened_.size() == 2; }));
  EXPECT_EQ(opened_[0].url, L"http://www.mossgate.example/");
  EXPECT_EQ(opened_[1].url, L"http://www.orvanta.example/");
  EXPECT_EQ(opened_[0].parent, form_->hwnd());
  EXPECT_EQ(opened_[1].parent, form_->hwnd());
  // The hide and close images open nothing.
  EXPECT_EQ(opened_.size(), 2u);
}

TEST_F(FormShellTest, ExitSavesEveryBoxRemovesTheIconAndEnds) {
  ASSERT_TRUE(IconIsThere(*form_));
  SendClick(CenterOf(form_->CloseImage()));
  ASSERT_TRUE(PumpUntil([&] { return ended_ == 1; }));
  EXPECT_FALSE(IconIsThere(*form_));
  for (int n = 1; n <= 10; ++n) {
    const std::wstring name = L"Orvanta" + std::to_wstring(n);
    EXPECT_EQ(ReadSaved((name + L"Text").c_str()), L"Press Hotkey") << n;
    EXPECT_EQ(ReadSaved((name + L"KeyCode").c_str()), L"0") << n;
    EXPECT_EQ(ReadSaved((name + L"ModKeyCode").c_str()), L"0") << n;
  }
}

TEST_F(FormShellTest, AnExitThatCannotSaveSaysWhereBeforeEnding) {
  // A folder where the file should be: every write is refused.
  std::filesystem::create_directory(ExeFolder() / L"set.ini");
  MessageBoxWatcher boxes;
  form_->Image3_Click();
  EXPECT_EQ(ended_, 1);
  ASSERT_EQ(boxes.shown().size(), 1u);
  const auto& shown = boxes.shown().front();
  EXPECT_EQ(shown.caption, L"error");
  EXPECT_EQ(shown.style, static_cast<UINT>(MB_OK | MB_ICONHAND));
  EXPECT_NE(shown.text.find((ExeFolder() / L"set.ini").wstring()), std::wstring::npos) << shown.text.c_str();
  EXPECT_TRUE(shown.seen_on_screen);
  EXPECT_FALSE(IconIsThere(*form_));
}

TEST_F(FormShellTest, ALogoffIsAllowedAndSavesTheHotkeys) {
  ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
  ::SetFocus(form_->Box(4).TextBoxWindow());
  testing::SendCombo({VK_CONTROL}, 'K');
  ASSERT_TRUE(PumpUntil([&] { return form_->Box(4).KeyCode() == 'K'; }));
  EXPECT_EQ(::SendMessageW(form_->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(ReadSaved(L"Orvanta4KeyCode"), L"<missing>");  // asking saves nothing yet
  ::SendMessageW(form_->hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(ReadSaved(L"Orvanta4KeyCode"), L"75");
  EXPECT_EQ(ReadSaved(L"Orvanta4ModKeyCode"), L"2");
  EXPECT_EQ(ended_, 0);  // the session ends the process, not us
}

TEST_F(FormShellTest, TheIconComesBackWhenTheTaskbarIsRecreated) {
  NOTIFYICONDATAW nid = form_->tray().TrayIconData();
  ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &nid));  // as if Explorer had gone away
  ASSERT_FALSE(IconIsThere(*form_));
  ::SendMessageW(form_->hwnd(), shell::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(IconIsThere(*form_));
}

TEST_F(FormShellTest, HotkeysKeepWorkingWhileTheWindowIsHidden) {
  testing::TargetWindow target(L"target");
  ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
  ::SetFocus(form_->Box(2).TextBoxWindow());
  testing::SendCombo({VK_CONTROL, VK_SHIFT}, 'H');
  ASSERT_TRUE(PumpUntil([&] { return form_->Box(2).KeyCode() == 'H'; }));
  SendClick(CenterOf(form_->Check(2).control()));
  ASSERT_TRUE(PumpUntil([&] { return form_->Box(2).HotKeyEnabled(); }));
  SendClick(CenterOf(form_->HideImage()));
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(form_->hwnd()); }));
  ASSERT_TRUE(testing::MakeForeground(target.hwnd()));
  testing::SendCombo({VK_CONTROL, VK_SHIFT}, 'H');
  const std::wstring want =
      std::to_wstring(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(target.hwnd())));
  EXPECT_TRUE(PumpUntil([&] { return form_->SlotText(2) == want; }));
}

}  // namespace
}  // namespace tarnelle::switcher

namespace tarnelle::switcher {
namespace {

TEST_F(FormShellTest, RightAndMiddleButtonsDragTheBackgroundUntilTheirOwnRelease) {
  for (const auto& [down, up] : {std::pair{MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
                                 std::pair{MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP}}) {
    ASSERT_TRUE(testing::MakeForeground(form_->hwnd()));
    RECT before{};
    ::GetWindowRect(form_->hwnd(), &before);
    RECT label{};
    ::GetWindowRect(form_->LinkLabel(), &label);
    const POINT grab{label.left + 5, label.bottom + 15};  // bare background below the link
    MoveMouseTo(grab);
    testing::SendMouseAt(grab, down);
    ASSERT_TRUE(PumpUntil([&] { return ::GetCapture() == form_->hwnd(); }));
    for (int step = 1; step <= 4; ++step) {
      testing::SendMouseAt(POINT{grab.x + 10 * step, grab.y - 5 * step}, 0);
      PumpFor(30);
    }
    testing::SendMouseAt(POINT{grab.x + 40, grab.y - 20}, up);
    ASSERT_TRUE(PumpUntil([&] { return ::GetCapture() == nullptr; }));
    RECT after{};
    ::GetWindowRect(form_->hwnd(), &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, -20);
    // Once the button is up the window stays put.
    MoveMouseTo(POINT{grab.x + 80, grab.y + 30});
    PumpFor(100);
    RECT later{};
    ::GetWindowRect(form_->hwnd(), &later);
    EXPECT_TRUE(::EqualRect(&after, &later));
  }
}

}  // namespace
}  // namespace tarnelle::switcher
