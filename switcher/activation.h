#pragma once
// A switch that lands. The platform limits who may set the foreground window, and the answer of
// SetForegroundWindow is not always the truth, so a switch is checked against the window really
// in front. A refused one is escalated step by step, never on this thread where a step can block
// (attaching to a hung thread hangs the caller), and the user hears it when nothing helped. A
// newer switch supersedes an escalation still running.

#include <windows.h>
#include <atomic>
#include <memory>

#include "switcher/keyfun.h"
#include "win32/window.h"

namespace tarnelle::switcher {

// Follows up switches: an escalation for a refused one, the warning sound for one that cannot
// be. Lives on a message-only window of the user-interface thread.
class Activation final : public win32::Window {
 public:
  Activation() = default;
  ~Activation() override;

  [[nodiscard]] bool Create();

  // Takes over after a switch was asked for. Ends any escalation still running for an older one.
  void Follow(const keyfun::SwitchAttempt& attempt);

  // The longest a step waits for the window to come forward, and for a worker to finish.
  static constexpr UINT kSettleMs = 250;
  static constexpr UINT kWorkerLimitMs = 500;

  // What the worker of the attach step came to.
  enum class WorkerResult : LPARAM { kAsked, kRefused, kSilent };

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  enum class Step { kIdle, kSettle, kAttach, kKeyPressed };
  void Begin(HWND target);
  void Wait(Step step, UINT ms);
  void StartWorker();
  void OnWorkerDone(unsigned generation, WorkerResult result);
  void OnTick();
  void Next();
  void GiveUp();
  void Stop();

  HWND target_ = nullptr;
  Step step_ = Step::kIdle;
  ULONGLONG deadline_ = 0;
  unsigned generation_ = 0;  // of the switch being followed
  // Shared with the workers, so that one of an older switch keeps its hands off the foreground.
  std::shared_ptr<std::atomic<unsigned>> current_ = std::make_shared<std::atomic<unsigned>>(0);
};

}  // namespace tarnelle::switcher
