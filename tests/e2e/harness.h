#pragma once
// Drives the real tarnelle.exe from outside, the way a person does: key presses and mouse
// clicks through SendInput, and only what a person can see or find on disk: window texts, check
// marks, positions, pixels on screen, the settings file, the pages a browser was asked to open.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/wine/keyboard.h"

namespace tarnelle::e2e {

// How long to wait for something that is expected to happen before calling it a failure. Not a
// measurement: every wait ends as soon as the awaited state is seen.
inline constexpr int kPatienceMs = 20000;

// Control ids of the main window.
inline constexpr int CheckId(int slot) {
  return 100 + slot;
}
inline constexpr int BoxId(int slot) {
  return 200 + slot;
}
inline constexpr int TextId(int slot) {
  return 300 + slot;
}
inline constexpr int kGetFormId = 400;
inline constexpr int kChangeFormId = 401;
inline constexpr int kLinkLabelId = 402;
inline constexpr wchar_t kMainClass[] = L"Tarnelle.frmSet";
inline constexpr wchar_t kStripClass[] = L"Tarnelle.TitleStrip";
inline constexpr wchar_t kPressHotkey[] = L"Press Hotkey";

// UTF-8 for test messages.
std::string Utf8(std::wstring_view text);

// Dispatches this thread's messages until |done| is true or |timeout_ms| has passed.
bool WaitUntil(const std::function<bool()>& done, int timeout_ms = kPatienceMs);
// Dispatches this thread's messages for |ms| milliseconds.
void PumpFor(int ms);

// ---------------------------------------------------------------------------------------------
// Files.

// The program under test: %TARNELLE_EXE%, else tarnelle.exe in the build folder this test
// program was built in.
std::wstring TarnelleExePath();
// The stand-in browser, built beside this test program.
std::wstring RecorderExePath();

// A fresh folder under %TEMP%, removed with everything in it (read-only files too).
class ScratchFolder {
 public:
  explicit ScratchFolder(std::wstring_view purpose);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] const std::wstring& path() const { return path_; }
  [[nodiscard]] std::wstring File(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

 private:
  std::wstring path_;
};

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);

// ---------------------------------------------------------------------------------------------
// The program.

// One copy of tarnelle.exe in a folder of its own, so that its set.ini belongs to this test.
// The process is started by Start and, if it is still running when the object goes, ended with
// TerminateProcess: only this process, by its handle.
class Program {
 public:
  Program();
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Writes set.ini beside the copy before the start (ASCII text).
  void WriteIni(std::string_view text) const;

  // Starts the copy (from another working folder, as a shortcut would) and waits for its
  // main window to be shown. May be called again once the previous run has ended.
  ::testing::AssertionResult Start();
  // Starts the same copy once more and waits for that second process to end; true when it did.
  ::testing::AssertionResult StartSecondCopyAndWaitForItToEnd();

  [[nodiscard]] HWND window() const { return window_; }
  [[nodiscard]] DWORD pid() const { return pid_; }
  [[nodiscard]] HANDLE process() const { return process_; }
  [[nodiscard]] bool running() const;
  // Waits until the process has ended.
  ::testing::AssertionResult WaitForExit(int timeout_ms = kPatienceMs) const;
  // Lets the program's thread work through everything sent to it so far: returns once a
  // message sent now has been handled.
  bool Sync() const;

  // What the program's window thread is doing, as GetGUIThreadInfo tells any program.
  [[nodiscard]] HWND FocusedControl() const;
  [[nodiscard]] bool InMoveLoop() const;  // or dragging with the mouse held by the program
  // Who has the foreground, the focus, the capture, and what is under the pointer: for failure
  // messages.
  [[nodiscard]] std::string DescribeInput() const;
  // Waits until the platform's move loop (a drag of the window) has ended.
  ::testing::AssertionResult WaitForDragEnd() const;

  [[nodiscard]] HWND Control(int id) const;
  // The text field inside hotkey box |slot|.
  [[nodiscard]] HWND BoxField(int slot) const;
  [[nodiscard]] std::wstring BoxText(int slot) const;
  [[nodiscard]] std::wstring SlotHandleText(int slot) const;
  [[nodiscard]] bool Checked(int id) const;
  [[nodiscard]] bool Visible() const;
  [[nodiscard]] RECT Rect() const;

  // The green title strip, and its pictures from left to right (logo, hide, close).
  [[nodiscard]] HWND Strip() const;
  [[nodiscard]] HWND StripTitle() const;
  [[nodiscard]] std::vector<HWND> StripPictures() const;
  [[nodiscard]] HWND Logo() const;
  [[nodiscard]] HWND HideImage() const;
  [[nodiscard]] HWND CloseImage() const;

  // A point of the window's own background (no child control under it), in screen pixels.
  [[nodiscard]] std::optional<POINT> BackgroundPoint() const;

  [[nodiscard]] const std::wstring& folder() const { return folder_.path(); }
  [[nodiscard]] const std::wstring& exe() const { return exe_; }
  [[nodiscard]] std::wstring IniPath() const { return folder_.File(L"set.ini"); }
  // The value of |key| in section [Orvanta] of set.ini; nothing when the file or key is missing.
  [[nodiscard]] std::optional<std::wstring> Ini(std::wstring_view key) const;

 private:
  void CloseHandles();

  ScratchFolder folder_{L"run"};
  ScratchFolder elsewhere_{L"cwd"};
  std::wstring exe_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND window_ = nullptr;
};

// Every visible main window of the program, of any process.
std::vector<HWND> VisibleMainWindows();

// ---------------------------------------------------------------------------------------------
// Input.

enum class Button { kLeft, kRight, kMiddle };
const char* ButtonName(Button button);
inline void PrintTo(Button button, std::ostream* out) {
  *out << ButtonName(button) << " button";
}

// Puts the pointer at |screen| and waits until it has arrived (Wine moves it asynchronously).
::testing::AssertionResult MoveMouseTo(POINT screen);
void PressButton(Button button);
void ReleaseButton(Button button);
::testing::AssertionResult ClickAt(POINT screen, Button button = Button::kLeft);
POINT CenterOf(HWND window);
::testing::AssertionResult ClickWindow(HWND window, Button button = Button::kLeft);
// Drags |app|'s window the way a person does: presses |button| at |from|, moves to |to| in
// |steps| steps and releases it there. A person's hand is slower than the program: the moves
// follow once the program has taken the mouse for the drag, after the press
// (kOnPress) or after the first step (kOnFirstMove). Fails if no drag starts.
enum class DragStart { kOnPress, kOnFirstMove };
::testing::AssertionResult DragWindow(const Program& app, POINT from, POINT to, Button button,
                                      DragStart start, int steps = 4);

// Releases every mouse button and modifier key still held down, and says which; a test that
// stopped half-way must not leave its keys pressed for the next one.
std::string ReleaseHeldInput();

// Presses the modifiers in order and the key, then releases all in reverse order.
using testing::SendCombo;  // real key presses, shared with the in-process tests
void TapKey(WORD vk);
// The keyboard layout's name of a key, as the platform spells it (GetKeyNameText).
std::wstring KeyName(UINT vk);

// Window texts and states, read the way any other program can.
std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
DWORD ProcessOf(HWND window);
// A window handle as the program writes it: signed 32-bit decimal.
std::wstring HandleText(HWND window);

// ---------------------------------------------------------------------------------------------
// What a user does with the main window.

// The text a hotkey box shows for |modifiers| (VK_LWIN, VK_CONTROL, VK_MENU, VK_SHIFT) and |key|.
std::wstring HotkeyText(const std::vector<WORD>& modifiers, WORD key);
// Clicks into hotkey box |slot|, presses the combination and waits until the box shows it.
::testing::AssertionResult TypeHotkey(const Program& app, int slot, const std::vector<WORD>& modifiers,
                                      WORD key);
// Clicks "Start Hotkey |slot|" and waits until it shows |checked|.
::testing::AssertionResult ClickSlotCheckbox(const Program& app, int slot, bool checked);
// A hotkey as set.ini keeps it.
struct SavedHotkey {
  std::wstring text;
  int key_code = 0;
  int modifiers = 0;
};
// set.ini holds the three keys of every one of the ten boxes: |typed| for the slots named there,
// an empty box ("Press Hotkey", 0, 0) for the others.
::testing::AssertionResult IniHoldsAllTenBoxes(const Program& app, const std::map<int, SavedHotkey>& typed);
// Whether another program may take this combination as its hotkey now (it is free).
bool HotkeyIsFree(UINT modifiers, UINT key);

// ---------------------------------------------------------------------------------------------
// The screen.

// A copy of a rectangle of the screen, as a person sees it.
class ScreenCopy {
 public:
  explicit ScreenCopy(const RECT& screen_rect);
  [[nodiscard]] int width() const { return width_; }
  [[nodiscard]] int height() const { return height_; }
  // 0x00RRGGBB; 0 outside.
  [[nodiscard]] std::uint32_t At(int x, int y) const;
  // Saves the copy as a 24-bit BMP file.
  bool SaveBmp(const std::wstring& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// Whether the text drawn in |label| is underlined on screen: some row carries ink across the
// whole width of the text.
std::optional<bool> DrawnUnderlined(HWND label);
// The underline flag of the font the label is drawn with, when another process may read it.
std::optional<bool> FontUnderlined(HWND label);

// ---------------------------------------------------------------------------------------------
// The notification area of the shell's taskbar.

// Where the taskbar shows the program's icon: every slot of the notification area whose picture
// is the icon of |exe|.
std::vector<RECT> TrayIconsOf(const std::wstring& exe);
// Waits until the taskbar shows exactly |count| icons of |exe|.
::testing::AssertionResult WaitForTrayIconCount(const std::wstring& exe, std::size_t count);
// Clicks the one icon of |exe| in the notification area.
::testing::AssertionResult ClickTrayIcon(const std::wstring& exe, Button button);
// Whether the taskbar has a button for |window|.
bool HasTaskbarButton(HWND window);

// ---------------------------------------------------------------------------------------------
// Popup menus and message boxes of a process.

std::vector<HWND> PopupMenusOf(DWORD pid);
::testing::AssertionResult WaitForPopupMenu(DWORD pid);
::testing::AssertionResult WaitForNoPopupMenu(DWORD pid);

// Keys that pick an item of the tray menu once it is open ("Show", "About" > "About Tarnelle",
// "About" > "Check Verson", "Exit"); none is selected when it opens.
extern const std::vector<WORD> kMenuShow;
extern const std::vector<WORD> kMenuAboutTarnelle;
extern const std::vector<WORD> kMenuCheckVerson;
extern const std::vector<WORD> kMenuExit;
// Right-clicks the tray icon, waits for the menu, and types |keys|.
::testing::AssertionResult ChooseFromTrayMenu(const Program& app, const std::vector<WORD>& keys);

struct ShownDialog {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
};
// The visible dialog boxes ("#32770") of |pid|, with their caption and message text.
std::vector<ShownDialog> DialogsOf(DWORD pid);

// ---------------------------------------------------------------------------------------------
// Other programs the user works with.

// A plain application window of the test's own, to be remembered and brought back.
class TestWindow {
 public:
  TestWindow(const wchar_t* title, POINT position);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  [[nodiscard]] HWND hwnd() const { return hwnd_; }
  // Clicks into the window, as a user who switches to it.
  ::testing::AssertionResult ClickToFront() const;

 private:
  HWND hwnd_ = nullptr;
};

// Stands in for the user's browser: url_recorder.exe becomes the program Wine's browser
// launcher runs, and every page it is asked to open is recorded. Restores the setting after.
class BrowserRecorder {
 public:
  BrowserRecorder();
  ~BrowserRecorder();
  BrowserRecorder(const BrowserRecorder&) = delete;
  BrowserRecorder& operator=(const BrowserRecorder&) = delete;

  [[nodiscard]] bool installed() const { return installed_; }
  [[nodiscard]] std::vector<std::wstring> Urls() const;
  // Waits until at least |count| pages have been opened.
  ::testing::AssertionResult WaitForUrls(std::size_t count) const;

 private:
  ScratchFolder folder_{L"browser"};
  std::wstring log_;
  std::optional<std::wstring> previous_;
  bool installed_ = false;
};

}  // namespace tarnelle::e2e
