#pragma once
// Helpers for the tests that run under Wine against real windows, hotkeys, files and registry.

#include <windows.h>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/wine/keyboard.h"

namespace tarnelle::testing {

// Dispatches this thread's messages until |done| is true or |timeout_ms| has passed.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000);
// Dispatches this thread's messages for |ms| milliseconds.
void PumpFor(int ms);

// Real keyboard input through SendInput: presses the modifiers (VK codes) in order, the key,
// then releases everything in reverse order.
void PressKey(WORD vk);  // down, then up
// A real mouse click at a screen position (pixels), with the given button.
enum class MouseButton { kLeft, kRight, kMiddle };
void SendClick(POINT screen, MouseButton button = MouseButton::kLeft);
void MoveMouseTo(POINT screen);
// One mouse event (MOUSEEVENTF_ flags, such as LEFTDOWN) that carries its own position, so it
// cannot land where the pointer was before.
void SendMouseAt(POINT screen, DWORD buttons = 0);

// Screen centre of a window, its text, and its font.
POINT CenterOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);
LOGFONTW FontOf(HWND hwnd);
// The first visible popup menu window other than |after|, or null.
HWND FindShownMenu(HWND after = nullptr);

// The folder this test program runs from.
std::filesystem::path ExeFolder();
// One value of an INI file as the platform reads it; |missing| when absent.
std::wstring ReadIniValue(const std::filesystem::path& file, const wchar_t* section, const wchar_t* key,
                          const wchar_t* missing = L"<missing>");
// The whole content of a file, or nothing when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& file);
// True when nobody holds the combination: the test could register it itself.
bool ComboIsFree(UINT mods, UINT vk);

// One message box as shown on screen.
struct ShownMessage {
  std::wstring text;
  std::wstring caption;
  UINT style = 0;
  bool seen_on_screen = false;  // the real dialog was found and read
};

// Lets the program's message boxes be shown for real; a watcher thread finds each one on
// screen, reads its caption and text, and answers OK. Restores the previous handler on exit.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  [[nodiscard]] const std::vector<ShownMessage>& shown() const { return shown_; }
  void clear() { shown_.clear(); }

 private:
  std::vector<ShownMessage> shown_;
  struct State;
  State* state_;
};

// A plain top-level application window for the tests to remember and bring back.
class TargetWindow {
 public:
  explicit TargetWindow(const wchar_t* title = L"Tarnelle test target");
  ~TargetWindow();
  TargetWindow(const TargetWindow&) = delete;
  TargetWindow& operator=(const TargetWindow&) = delete;
  [[nodiscard]] HWND hwnd() const { return hwnd_; }
  void Destroy();

 private:
  HWND hwnd_ = nullptr;
};

// Brings a window to the foreground as reliably as a test can.
bool MakeForeground(HWND hwnd);

}  // namespace tarnelle::testing
