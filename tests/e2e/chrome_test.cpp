// The window's own title strip and background: hiding, closing and dragging it.

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace tarnelle::e2e {
namespace {

const std::vector<WORD> kCtrlAlt = {VK_CONTROL, VK_MENU};

TEST(Chrome, CloseImageSavesAllTenBoxesAndEndsTheProgram) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 4, kCtrlAlt, 'W'));
  ASSERT_TRUE(TypeHotkey(app, 9, {VK_CONTROL, VK_SHIFT}, VK_F2));
  ASSERT_TRUE(ClickSlotCheckbox(app, 9, true));
  ASSERT_TRUE(ClickWindow(app.CloseImage()));
  ASSERT_TRUE(app.WaitForExit());
  EXPECT_TRUE(IniHoldsAllTenBoxes(
      app, {{4, {HotkeyText(kCtrlAlt, 'W'), 'W', MOD_CONTROL | MOD_ALT}},
            {9, {HotkeyText({VK_CONTROL, VK_SHIFT}, VK_F2), VK_F2, MOD_CONTROL | MOD_SHIFT}}}));
  EXPECT_TRUE(WaitForTrayIconCount(app.exe(), 0));
}

TEST(Chrome, HideImageHidesTheWindowAndItsHotkeysKeepWorking) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 5, kCtrlAlt, '5'));
  ASSERT_TRUE(ClickSlotCheckbox(app, 5, true));
  ASSERT_TRUE(ClickWindow(app.HideImage()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Visible(); })) << "the hide image did not hide the window";
  EXPECT_TRUE(app.running());
  EXPECT_TRUE(WaitForTrayIconCount(app.exe(), 1)) << "the icon stays while the window is hidden";

  TestWindow editor(L"Some editor", POINT{20, 20});
  ASSERT_TRUE(editor.ClickToFront());
  SendCombo(kCtrlAlt, '5');
  EXPECT_TRUE(WaitUntil([&] { return app.SlotHandleText(5) == HandleText(editor.hwnd()); }))
      << "the hotkey did nothing while the window was hidden";
  EXPECT_FALSE(app.Visible());
}

class BackgroundDrag : public ::testing::TestWithParam<Button> {};

TEST_P(BackgroundDrag, PressingAnyButtonOnTheBackgroundDragsTheWindow) {
  Program app;
  ASSERT_TRUE(app.Start());
  const auto from = app.BackgroundPoint();
  ASSERT_TRUE(from.has_value()) << "no bare background found";
  const RECT before = app.Rect();
  const POINT to{from->x + 70, from->y - 50};
  ASSERT_TRUE(DragWindow(app, *from, to, GetParam(), DragStart::kOnPress));
  EXPECT_TRUE(WaitUntil([&] {
    const RECT now = app.Rect();
    return now.left == before.left + 70 && now.top == before.top - 50;
  })) << "the window is at ("
      << app.Rect().left << "," << app.Rect().top << "), expected (" << before.left + 70 << ","
      << before.top - 50 << ")";
  // Releasing the button ends the drag: moving the pointer further leaves the window where it is.
  EXPECT_TRUE(app.WaitForDragEnd()) << "the drag goes on after the " << ButtonName(GetParam())
                                    << " button was released";
  ASSERT_TRUE(MoveMouseTo(POINT{to.x + 30, to.y + 30}));
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(app.Rect().left, before.left + 70);
  EXPECT_EQ(app.Rect().top, before.top - 50);
}

INSTANTIATE_TEST_SUITE_P(EveryButton, BackgroundDrag,
                         ::testing::Values(Button::kLeft, Button::kRight, Button::kMiddle),
                         [](const ::testing::TestParamInfo<Button>& param_info) {
                           return ButtonName(param_info.param);
                         });

TEST(Chrome, TitleStripDragsTheWindowOnlyWithTheLeftButtonHeld) {
  Program app;
  ASSERT_TRUE(app.Start());
  const HWND strip = app.Strip();
  const HWND title = app.StripTitle();
  const HWND hide = app.HideImage();
  ASSERT_NE(strip, nullptr);
  ASSERT_NE(title, nullptr);
  ASSERT_NE(hide, nullptr);
  RECT title_rect{};
  RECT hide_rect{};
  ::GetWindowRect(title, &title_rect);
  ::GetWindowRect(hide, &hide_rect);
  // Bare strip between the title text and the hide image, and the title text itself.
  const POINT bare{(title_rect.right + hide_rect.left) / 2, (hide_rect.top + hide_rect.bottom) / 2};
  ASSERT_EQ(::WindowFromPoint(bare), strip);
  const POINT on_title{(title_rect.left + title_rect.right) / 2, (title_rect.top + title_rect.bottom) / 2};
  const RECT before = app.Rect();

  // Passing over it without a button moves nothing.
  for (const POINT p : {POINT{bare.x - 10, bare.y}, bare, POINT{bare.x + 10, bare.y + 2}, on_title,
                        POINT{on_title.x + 20, on_title.y}}) {
    ASSERT_TRUE(MoveMouseTo(p));
  }
  ASSERT_TRUE(app.Sync());
  EXPECT_FALSE(app.InMoveLoop()) << "hovering started a drag";
  EXPECT_EQ(app.Rect().left, before.left);
  EXPECT_EQ(app.Rect().top, before.top);

  // With the left button held it drags, from the bare strip and from the title text.
  ASSERT_TRUE(
      DragWindow(app, bare, POINT{bare.x - 120, bare.y + 80}, Button::kLeft, DragStart::kOnFirstMove, 8));
  ASSERT_TRUE(WaitUntil([&] { return app.Rect().left < before.left && app.Rect().top > before.top; }))
      << "dragging the strip did not move the window";
  ASSERT_TRUE(app.WaitForDragEnd());
  ASSERT_TRUE(app.Sync());
  const RECT moved = app.Rect();
  EXPECT_GE(moved.left, before.left - 120);
  EXPECT_LE(moved.top, before.top + 80);

  ::GetWindowRect(title, &title_rect);
  const POINT title_now{(title_rect.left + title_rect.right) / 2, (title_rect.top + title_rect.bottom) / 2};
  ASSERT_TRUE(DragWindow(app, title_now, POINT{title_now.x + 100, title_now.y - 60}, Button::kLeft,
                         DragStart::kOnFirstMove, 8));
  EXPECT_TRUE(WaitUntil([&] { return app.Rect().left > moved.left && app.Rect().top < moved.top; }))
      << "dragging the title text did not move the window";
  EXPECT_TRUE(app.WaitForDragEnd());
}

}  // namespace
}  // namespace tarnelle::e2e
