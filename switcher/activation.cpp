#include "switcher/activation.h"

#include <optional>
#include <system_error>
#include <thread>
#include <tuple>

#include "win32/trace.h"
#include "win32/unique.h"

namespace tarnelle::switcher {
namespace {

using keyfun::SwitchAttempt;

constexpr UINT_PTR kTimer = 1;
constexpr UINT kTickMs = 15;
// A worker's answer: wParam the generation of its switch, lParam a WorkerResult.
constexpr UINT kWorkerDone = WM_APP + 1;
// How long the worker lets a window's thread take to answer before it calls it hung.
constexpr UINT kAnswerMs = 200;

// The integrity level of |process|'s token; nullopt when it cannot be read.
std::optional<DWORD> IntegrityOf(HANDLE process) {
  win32::unique_handle token;
  if (!::OpenProcessToken(process, TOKEN_QUERY, token.put())) {
    return std::nullopt;
  }
  // The label and the SID it points to; a SID has at most 15 sub-authorities.
  alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE]{};
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenIntegrityLevel, buffer, sizeof(buffer), &size)) {
    return std::nullopt;
  }
  const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
  return *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1U);
}

// A window of a process above ours cannot be attached to, nor given input by us.
bool RunsAboveUs(HWND window) {
  DWORD pid = 0;
  std::ignore = ::GetWindowThreadProcessId(window, &pid);
  const win32::unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) {
    return ::GetLastError() == ERROR_ACCESS_DENIED;
  }
  const auto theirs = IntegrityOf(process.get());
  const auto ours = IntegrityOf(::GetCurrentProcess());
  return theirs && ours && *theirs > *ours;
}

// The attach step, on a thread of its own: whatever it waits for, it waits there.
struct WorkerTask {
  HWND target;
  HWND reply_to;
  unsigned generation;
  keyfun::ForegroundCalls calls;
  std::shared_ptr<const std::atomic<unsigned>> current;  // the generation being followed now
};

using WorkerResult = Activation::WorkerResult;

WorkerResult AttachAndAsk(const WorkerTask& task) {
  // A thread that does not take a message in time would hang whoever attaches to it.
  const auto answers = [](HWND window) {
    DWORD_PTR ignored = 0;
    return window == nullptr ||
           ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &ignored) != 0;
  };
  if (!answers(task.target)) {
    return WorkerResult::kSilent;
  }
  const HWND front = task.calls.get_foreground();
  if (!answers(front)) {
    return WorkerResult::kRefused;
  }
  const DWORD ours = ::GetCurrentThreadId();
  const DWORD theirs = front != nullptr ? ::GetWindowThreadProcessId(front, nullptr) : 0;
  // Sharing the input of the thread in front gives this one its right to set the foreground.
  const bool attached = theirs != 0 && theirs != ours && task.calls.attach_input(ours, theirs, TRUE) != FALSE;
  // And the target's own process may take the foreground in answer to its activation.
  std::ignore = ::AllowSetForegroundWindow(ASFW_ANY);
  BOOL asked = FALSE;
  if (task.current->load() == task.generation) {  // a newer switch must not lose its window
    asked = task.calls.set_foreground(task.target);
  }
  if (attached) {
    std::ignore = task.calls.attach_input(ours, theirs, FALSE);  // the threads part at exit anyway
  }
  return asked != FALSE ? WorkerResult::kAsked : WorkerResult::kRefused;
}

}  // namespace

Activation::~Activation() {
  current_->store(0);
}

bool Activation::Create() {
  static const win32::WindowClass cls({.name = L"Tarnelle.Activation"});
  return CreateFrom(cls, 0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr) != nullptr;
}

void Activation::Follow(const SwitchAttempt& attempt) {
  Stop();
  current_->store(++generation_);
  switch (attempt.result) {
    case SwitchAttempt::Result::kNothing:
    case SwitchAttempt::Result::kInFront:
      return;
    case SwitchAttempt::Result::kNoWindow:
    case SwitchAttempt::Result::kHidden:
      keyfun::Calls().warn();
      return;
    case SwitchAttempt::Result::kRefused:
      Begin(attempt.window);
      return;
  }
}

LRESULT Activation::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kTimer) {
        OnTick();
        return 0;
      }
      break;
    case kWorkerDone:
      OnWorkerDone(static_cast<unsigned>(wp), static_cast<WorkerResult>(lp));
      return 0;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

void Activation::Begin(HWND target) {
  target_ = target;
  // The platform may activate another thread's window a moment after it agreed to.
  Wait(Step::kSettle, kSettleMs);
  if (::SetTimer(hwnd(), kTimer, kTickMs, nullptr) == 0) {
    win32::TraceLastError(L"SetTimer");
    GiveUp();
  }
}

void Activation::Wait(Step step, UINT ms) {
  step_ = step;
  deadline_ = ::GetTickCount64() + ms;
}

void Activation::OnTick() {
  if (step_ == Step::kIdle) {
    return;
  }
  if (!::IsWindow(target_)) {
    keyfun::Calls().warn();  // closed before it could come forward
    Stop();
    return;
  }
  if (keyfun::Calls().get_foreground() == target_) {
    Stop();
    return;
  }
  if (::GetTickCount64() >= deadline_) {
    Next();
  }
}

void Activation::Next() {
  const keyfun::ForegroundCalls& calls = keyfun::Calls();
  switch (step_) {
    case Step::kSettle:
      if (RunsAboveUs(target_)) {
        GiveUp();
        return;
      }
      StartWorker();
      return;
    case Step::kAttach:
      // Refused, or the worker is stuck: input of our own makes us the last to have had some.
      calls.press_unassigned_key();
      std::ignore = calls.set_foreground(target_);  // judged by the window in front
      Wait(Step::kKeyPressed, kSettleMs);
      return;
    case Step::kKeyPressed:
      GiveUp();
      return;
    case Step::kIdle:
      return;
  }
}

void Activation::StartWorker() {
  Wait(Step::kAttach, kWorkerLimitMs);
  WorkerTask task{target_, hwnd(), generation_, keyfun::Calls(), current_};
  try {
    // Detached: a worker stuck on a hung thread is left behind, never waited for.
    std::thread([task = std::move(task)] {
      const WorkerResult result = AttachAndAsk(task);
      std::ignore = ::PostMessageW(task.reply_to, kWorkerDone, task.generation,
                                   static_cast<LPARAM>(result));  // gone at exit
    }).detach();
  } catch (const std::system_error&) {
    win32::TraceError(L"std::thread", ERROR_NOT_ENOUGH_MEMORY);
    deadline_ = 0;  // no worker: on to the next step
  }
}

void Activation::OnWorkerDone(unsigned generation, WorkerResult result) {
  if (generation != generation_ || step_ != Step::kAttach) {
    return;  // an older switch's, or one that was given up on
  }
  switch (result) {
    case WorkerResult::kSilent:
      GiveUp();  // the window's thread does not answer
      return;
    case WorkerResult::kRefused:
      Next();
      return;
    case WorkerResult::kAsked:
      Wait(Step::kAttach, kSettleMs);
      return;
  }
}

void Activation::GiveUp() {
  const keyfun::ForegroundCalls& calls = keyfun::Calls();
  calls.flash(target_);
  calls.warn();
  Stop();
}

void Activation::Stop() {
  if (step_ != Step::kIdle) {
    std::ignore = ::KillTimer(hwnd(), kTimer);  // fails only when there was none
  }
  step_ = Step::kIdle;
  target_ = nullptr;
  current_->store(0);  // a worker still out must not act for a switch that is over
}

}  // namespace tarnelle::switcher
