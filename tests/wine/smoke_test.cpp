#include <gtest/gtest.h>
#include "tests/wine/support.h"
#include "win32/window.h"
TEST(Smoke, TargetWindowExists) {
  tarnelle::testing::TargetWindow w;
  EXPECT_TRUE(IsWindow(w.hwnd()));
}
