#pragma once
// Drives the real tarnelle.exe from outside, the way a person does: real keys and clicks, and
// only what a person can see on screen or find on disk. The tests and the benchmark share it, so
// it knows nothing of any test framework: a step tells whether it went as asked, or why not.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tarnelle::driver {

// How long a state that must come is awaited (every wait ends as soon as it is seen); a missing
// message box fails sooner.
inline constexpr int kPatienceMs = 15000;
inline constexpr int kMessageMs = 5000;

// A step that can go wrong in more than one way: empty when it went as asked.
struct [[nodiscard]] Result {
  std::string error;
  explicit operator bool() const { return error.empty(); }
};

struct HandleCloser {
  void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using unique_handle = std::unique_ptr<void, HandleCloser>;
struct WindowDestroyer {
  void operator()(HWND h) const { ::DestroyWindow(h); }
};
using unique_hwnd = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

std::string Utf8(std::wstring_view text);
std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
RECT RectOf(HWND window);
POINT Centre(const RECT& r);
inline POINT Centre(HWND window) {
  return Centre(RectOf(window));
}
POINT Offset(POINT p, int dx, int dy);
// A window handle as the program writes it: signed 32-bit decimal.
std::wstring HandleText(HWND window);
// Visible top-level windows of |pid| of the class |kind|: "#32770" message boxes, "#32768" menus.
std::vector<HWND> WindowsOf(DWORD pid, std::wstring_view kind = {});
// Dispatches this thread's messages (its windows keep answering) until |done| or the time is up.
bool WaitFor(const std::function<bool()>& done, int ms = kPatienceMs);
std::wstring BesideMe(std::wstring_view name);  // a file built beside this program
std::string ReadBytes(const std::wstring& path);

// A fresh folder under %TEMP%, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] std::wstring File(std::wstring_view name) const { return path + L"\\" + std::wstring(name); }
  std::wstring path;
};

// A process this driver started; still running when its owner goes, it is ended by its handle.
class Process {
 public:
  Process() = default;
  Process(Process&&) = default;
  Process& operator=(Process&&) = default;
  ~Process() { End(); }
  bool Start(const std::wstring& exe, const std::wstring& arguments = {}, const std::wstring& folder = {});
  [[nodiscard]] bool Running() const;
  [[nodiscard]] bool Wait(int ms = kPatienceMs) const;
  [[nodiscard]] DWORD ExitCode() const;
  [[nodiscard]] DWORD pid() const { return pid_; }
  [[nodiscard]] HANDLE handle() const { return handle_.get(); }
  void End();  // by its handle, if it is still running

 private:
  unique_handle handle_;
  DWORD pid_ = 0;
};

// A key as the keyboard sends it; the scan codes are the tests' own table, never the program's.
struct Key {
  WORD vk;
  WORD scan;
  bool extended = false;
};
inline constexpr Key kCtrl{VK_CONTROL, 0x1D};
inline constexpr Key kAlt{VK_MENU, 0x38};
inline constexpr Key kShift{VK_SHIFT, 0x2A};
inline constexpr Key kWin{VK_LWIN, 0x5B, true};
inline constexpr Key kF(int n) {
  return Key{static_cast<WORD>(VK_F1 + n - 1), static_cast<WORD>(n <= 10 ? 0x3A + n : 0x4C + n)};
}

// The name the keyboard layout gives the key's scan code, with the extended bit clear.
std::wstring KeyName(Key key);
void KeyDown(Key key);
void KeyUp(Key key);
// The held keys go down in order, the key is pressed and released, the held keys go up.
void Press(const std::vector<Key>& held, Key key);
// Whether another program could take this combination (MOD_* bits) as its hotkey now.
bool HotkeyFree(UINT modifiers, UINT vk);

enum class Button { kLeft, kRight, kMiddle };
// Puts the X pointer at |to|, as a mouse does, and waits until Wine has it there. A window that
// follows the mouse by its own capture hears of the move only |as_input| as well.
bool MoveTo(POINT to, bool as_input = false);
void Down(Button button);
void Up(Button button);
bool ClickAt(POINT at, Button button = Button::kLeft);
bool Click(HWND window, Button button = Button::kLeft);
// Clicks into |window|, as a user switching to it, and waits until it is in front.
bool ToFront(HWND window);
// Lets go of every button and modifier a step that stopped half-way may have left down.
void ReleaseHeld();

// The colours of a part of the screen within it, row by row, as RGB() makes them; or, given an
// icon, of the icon drawn over |paper|.
std::vector<COLORREF> Pixels(const RECT& screen, HICON icon = nullptr, COLORREF paper = 0);
// The icons of the notification area, from the right end; the program's is the only one there.
std::vector<RECT> TrayIcons();
bool WaitForTrayIcons(std::size_t count);
bool ClickTrayIcon(Button button);
bool HasTaskbarButton(HWND window);

struct Message {
  std::wstring caption;
  std::wstring text;
};
// Waits up to |ms| for a message box of |pid|, reads it and answers it with a click on its button.
std::optional<Message> Answer(DWORD pid, int ms = kMessageMs);

// tarnelle.exe: %TARNELLE_EXE%, else the one in the build folder above this program's.
std::wstring ProgramPath();

// A private copy of tarnelle.exe in a scratch folder of its own (so set.ini is its own), started
// from another folder as a shortcut would.
class Program {
 public:
  explicit Program(const std::wstring& exe = ProgramPath());
  Result Start();
  // Takes on a copy of this program started another way, once it shows its window.
  Result Adopt(Process&& started);
  [[nodiscard]] Process& process() { return process_; }
  [[nodiscard]] bool Sync() const;  // once the program has handled everything sent to it so far
  // Returns once the program has handled every hotkey pressed so far: a press is posted to its
  // queue at once, and a mark posted after it comes out after it.
  [[nodiscard]] bool Settled() const;
  [[nodiscard]] HWND window() const { return window_; }
  [[nodiscard]] DWORD pid() const { return process_.pid(); }
  [[nodiscard]] const std::wstring& exe() const { return exe_; }
  [[nodiscard]] const std::wstring& folder() const { return folder_.path; }

  [[nodiscard]] std::wstring IniPath() const { return folder_.File(L"set.ini"); }
  bool WriteIni(std::string_view bytes) const;  // byte by byte, as a hand-edited file may be
  // A value of [Orvanta] as the platform's profile functions read it; nothing when it is missing.
  [[nodiscard]] std::optional<std::wstring> Saved(const std::wstring& key) const;

  // The controls, found as a person finds them: by their captions and places.
  [[nodiscard]] HWND Check(int slot) const { return Captioned(L"Start Hotkey " + std::to_wstring(slot)); }
  [[nodiscard]] HWND Box(int slot) const;       // the text field of hotkey box |slot|
  [[nodiscard]] HWND SlotText(int slot) const;  // the slot's remembered window, beyond the edge
  [[nodiscard]] HWND Mode(bool change) const {
    return Captioned(change ? L"Start Change Form" : L"Get Form");
  }
  [[nodiscard]] HWND Title() const { return Captioned(L"Orvanta Tarnelle"); }
  [[nodiscard]] HWND Strip() const { return ::GetParent(Title()); }
  [[nodiscard]] std::vector<HWND> Pictures() const;  // logo, hide, close
  [[nodiscard]] HWND Link() const { return Captioned(L"Orvanta:  Mossgate is Search Guides!"); }
  // A point of the window's own background: its bottom right corner, where no control is.
  [[nodiscard]] POINT Background() const;

  [[nodiscard]] bool Checked(HWND button) const;
  [[nodiscard]] bool Visible() const { return ::IsWindowVisible(window_) != FALSE; }
  [[nodiscard]] HWND Focus() const;
  [[nodiscard]] bool Dragging() const;  // in its own loop or the platform's

  bool ClickBox(int slot) const;  // and waits until keys typed now reach the box
  // Clicks into box |slot|, types the combination and waits until the box shows |shows|.
  Result Type(int slot, const std::vector<Key>& held, Key key, const std::wstring& shows) const;
  // Clicks "Start Hotkey |slot|" and waits until that is handled: the tick turned, or a message came.
  bool Tick(int slot) const;
  bool ChooseMode(bool change) const;

 private:
  [[nodiscard]] HWND Captioned(std::wstring_view caption) const;
  [[nodiscard]] std::vector<HWND> Controls() const;

  ScratchFolder folder_;
  ScratchFolder elsewhere_;
  std::wstring exe_;
  Process process_;
  HWND window_ = nullptr;
};

// A plain window of this process to be remembered and brought back. A hotkey with Alt held over
// it opens no system menu, which would leave the desktop's input in a menu loop.
unique_hwnd TestWindow(const wchar_t* title, POINT at);

// A window of another process (target.exe beside this program), which can be made to hang.
class Target {
 public:
  bool Start(const std::wstring& title);
  [[nodiscard]] HWND window() const { return window_; }
  void Hang() const { ::PostMessageW(window_, WM_APP, 0, 0); }  // until the process is ended

 private:
  Process process_;
  HWND window_ = nullptr;
};

// Stands in for the user's browser (url_recorder.exe, through Wine's browser setting, which is
// removed again afterwards) and records the pages the program asks to open.
class Browser {
 public:
  Browser();
  ~Browser();
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;
  [[nodiscard]] std::vector<std::string> Urls() const;
  bool WaitForUrls(std::size_t count) const;

 private:
  ScratchFolder folder_;
};

}  // namespace tarnelle::driver
