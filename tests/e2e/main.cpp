#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "tests/e2e/harness.h"

namespace {

// Starts the program with a few hotkeys set, switches one on, and saves its window as seen on
// screen to |path| (BMP). For the picture in the README.
int TakeScreenshot(const std::wstring& path) {
  using namespace tarnelle::e2e;
  Program app;
  app.WriteIni(
      "[Orvanta]\r\n"
      "Orvanta1Text=Ctrl + Alt + 1\r\nOrvanta1KeyCode=49\r\nOrvanta1ModKeyCode=3\r\n"
      "Orvanta2Text=Ctrl + Alt + 2\r\nOrvanta2KeyCode=50\r\nOrvanta2ModKeyCode=3\r\n"
      "Orvanta3Text=Shift + F9\r\nOrvanta3KeyCode=120\r\nOrvanta3ModKeyCode=4\r\n");
  if (!app.Start()) {
    std::fprintf(stderr, "screenshot: the program did not start\n");
    return 1;
  }
  if (!ClickWindow(app.Control(CheckId(1))) || !WaitUntil([&] { return app.Checked(CheckId(1)); })) {
    std::fprintf(stderr, "screenshot: could not switch slot 1 on\n");
    return 1;
  }
  // Keep the pointer off the window so that nothing shows a hover state.
  const RECT r = app.Rect();
  MoveMouseTo(POINT{r.right + 40, r.bottom + 40});
  app.Sync();
  PumpFor(300);
  app.Sync();
  if (!ScreenCopy(app.Rect()).SaveBmp(path)) {
    std::fprintf(stderr, "screenshot: cannot write the picture\n");
    return 1;
  }
  return 0;
}

// Input left held by a test that stopped half-way is released before the next test starts.
class HeldInputGuard : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { Report("before"); }
  void OnTestEnd(const ::testing::TestInfo&) override { Report("after"); }
  static void Report(const char* when) {
    const std::string held = tarnelle::e2e::ReleaseHeldInput();
    if (!held.empty()) {
      std::printf("note: released %s held %s the test\n", held.c_str(), when);
    }
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  constexpr std::wstring_view kScreenshot = L"--screenshot=";
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view arg = argv[i];
    if (arg.substr(0, kScreenshot.size()) == kScreenshot) {
      return TakeScreenshot(std::wstring(arg.substr(kScreenshot.size())));
    }
  }
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new HeldInputGuard);
  return RUN_ALL_TESTS();
}
