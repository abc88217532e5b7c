#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/reliability/rig.h"

int wmain(int argc, wchar_t** argv) {
  // The cases that host the program's own hotkey box need the common controls, as the program does.
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();

  using tarnelle::reliability::Tried;
  std::printf("\nreliability: tried %ld bad inputs, %ld faults, %ld hotkey presses\n",
              Tried().bad_inputs.load(), Tried().faults.load(), Tried().presses.load());
  std::printf("figures:\n");
  tarnelle::reliability::PrintFigures();
  std::fflush(stdout);
  return result;
}
