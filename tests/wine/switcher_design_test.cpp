// The main window as it stands on screen, read back from the real windows at 96 dots per inch.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "switcher/design.h"
#include "switcher/frmset.h"
#include "tests/wine/support.h"
#include "win32/units.h"

namespace tarnelle::switcher {
namespace {

using testing::FontOf;
using testing::PumpFor;
using testing::TextOf;

// A child's rectangle in its parent's client area.
RECT RectInParent(HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT Expected(const design::Twips& t, int dpi) {
  const int left = units::TwipsToPixels(t.left, dpi);
  const int top = units::TwipsToPixels(t.top, dpi);
  return RECT{left, top, left + units::TwipsToPixels(t.width, dpi),
              top + units::TwipsToPixels(t.height, dpi)};
}

void ExpectRect(HWND h, const design::Twips& t, int dpi, const char* what) {
  const RECT got = RectInParent(h);
  const RECT want = Expected(t, dpi);
  EXPECT_EQ(got.left, want.left) << what;
  EXPECT_EQ(got.top, want.top) << what;
  EXPECT_EQ(got.right, want.right) << what;
  EXPECT_EQ(got.bottom, want.bottom) << what;
}

class DesignTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<frmSet>();
    form_->quit_on_destroy = false;
    form_->end_program = [] {};
    ASSERT_TRUE(form_->Create());
    form_->ShowCentered();
    PumpFor(100);
    dpi_ = static_cast<int>(::GetDpiForWindow(form_->hwnd()));
  }
  std::unique_ptr<frmSet> form_;
  int dpi_ = 96;
};

TEST_F(DesignTest, TheWindowIsBorderlessCentredAndOffTheTaskbar) {
  const HWND h = form_->hwnd();
  EXPECT_EQ(TextOf(h), L"\u8bbe\u7f6e");
  const LONG style = ::GetWindowLongW(h, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
  EXPECT_NE(::GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  EXPECT_NE(::GetWindow(h, GW_OWNER), nullptr);  // owned windows get no taskbar button
  EXPECT_FALSE(::IsWindowVisible(::GetWindow(h, GW_OWNER)));
  RECT client{};
  ::GetClientRect(h, &client);
  EXPECT_EQ(client.right, units::TwipsToPixels(design::kClient.width, dpi_));
  EXPECT_EQ(client.bottom, units::TwipsToPixels(design::kClient.height, dpi_));
  if (dpi_ == 96) {
    EXPECT_EQ(client.right, 483);
    EXPECT_EQ(client.bottom, 303);
  }
  RECT window{};
  ::GetWindowRect(h, &window);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(::MonitorFromWindow(h, MONITOR_DEFAULTTOPRIMARY), &mi);
  EXPECT_NEAR((window.left + window.right) / 2, (mi.rcMonitor.left + mi.rcMonitor.right) / 2, 1);
  EXPECT_NEAR((window.top + window.bottom) / 2, (mi.rcMonitor.top + mi.rcMonitor.bottom) / 2, 1);
}

TEST_F(DesignTest, EveryControlSitsWhereItWasDesigned) {
  ExpectRect(form_->Strip(), design::kStrip, dpi_, "strip");
  ExpectRect(form_->Logo(), design::kLogo, dpi_, "logo");
  ExpectRect(form_->HideImage(), design::kHideImage, dpi_, "Image2");
  ExpectRect(form_->CloseImage(), design::kCloseImage, dpi_, "Image3");
  ExpectRect(form_->ModeButton(0), design::kModeGet, dpi_, "selemode(0)");
  ExpectRect(form_->ModeButton(1), design::kModeChange, dpi_, "selemode(1)");
  ExpectRect(form_->LinkLabel(), design::kLinkLabel, dpi_, "Label1");
  for (int n = 1; n <= design::kSlotCount; ++n) {
    const auto d = design::Slot(n);
    const std::string slot = std::to_string(n);
    ExpectRect(form_->Box(n).hwnd(), d.box, dpi_, ("Orvanta" + slot).c_str());
    ExpectRect(form_->Check(n).control(), d.check, dpi_, ("chkCheck" + slot).c_str());
    ExpectRect(form_->TextBox(n), d.text, dpi_, ("Text" + slot).c_str());
    // The box's text box fills the box.
    RECT box{};
    RECT edit{};
    ::GetClientRect(form_->Box(n).hwnd(), &box);
    ::GetWindowRect(form_->Box(n).TextBoxWindow(), &edit);
    EXPECT_EQ(edit.right - edit.left, box.right) << n;
    EXPECT_EQ(edit.bottom - edit.top, box.bottom) << n;
    EXPECT_EQ(form_->Box(n).BackColor(), d.box_color) << n;
  }
  EXPECT_EQ(TextOf(form_->ModeButton(0)), L"Get Form");
  EXPECT_EQ(TextOf(form_->ModeButton(1)), L"Start Change Form");
  EXPECT_EQ(TextOf(form_->LinkLabel()), L"Orvanta:  Mossgate is Search Guides!");
  EXPECT_EQ(TextOf(::FindWindowExW(form_->Strip(), nullptr, L"STATIC", nullptr)), L"Orvanta Tarnelle");
}

TEST_F(DesignTest, TabOrderFollowsTheDesignedIndexes) {
  // The focusable controls in z-order must come in design tab order: checks 1-5, the option
  // buttons, the slot texts, checks 6, 8, 9, 10, 7, then the ten boxes.
  std::vector<HWND> want;
  for (int n = 1; n <= 5; ++n) {
    want.push_back(form_->Check(n).control());
  }
  want.push_back(form_->ModeButton(0));
  want.push_back(form_->ModeButton(1));
  for (int n = 1; n <= 10; ++n) {
    want.push_back(form_->TextBox(n));
  }
  for (int n : {6, 8, 9, 10, 7}) {
    want.push_back(form_->Check(n).control());
  }
  for (int n = 1; n <= 10; ++n) {
    want.push_back(form_->Box(n).hwnd());
  }
  std::vector<HWND> got;
  for (HWND c = ::GetWindow(form_->hwnd(), GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (std::find(want.begin(), want.end(), c) != want.end()) {
      got.push_back(c);
    }
  }
  EXPECT_EQ(got, want);
  // Tab moves from checkbox 5 to "Get Form" the way the dialog manager walks it.
  EXPECT_EQ(::GetNextDlgTabItem(form_->hwnd(), form_->Check(5).control(), FALSE), form_->ModeButton(0));
}

TEST_F(DesignTest, FontsAreTheDesignedOnes) {
  const LOGFONTW check = FontOf(form_->Check(1).control());
  EXPECT_STREQ(check.lfFaceName, L"\u5fae\u8f6f\u96c5\u9ed1");
  EXPECT_EQ(check.lfCharSet, 134);
  EXPECT_EQ(check.lfHeight, -MulDiv(9, dpi_, 72));
  const LOGFONTW text = FontOf(form_->TextBox(1));
  EXPECT_STREQ(text.lfFaceName, L"\u5b8b\u4f53");
  const LOGFONTW title = FontOf(::FindWindowExW(form_->Strip(), nullptr, L"STATIC", nullptr));
  EXPECT_EQ(title.lfWeight, FW_BOLD);
  EXPECT_EQ(title.lfHeight, -MulDiv(12, dpi_, 72));
  EXPECT_EQ(form_->Box(1).Font().name, L"\u5fae\u8f6f\u96c5\u9ed1");
  EXPECT_EQ(form_->Box(1).Font().charset, 134);
}

}  // namespace
}  // namespace tarnelle::switcher
