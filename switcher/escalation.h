#pragma once
// A switch that lands. The platform limits who may set the foreground window, and the answer of
// SetForegroundWindow is not always the truth, so a switch is checked against the window really
// in front. A refused one is escalated step by step: a moment to settle, the attach step on a
// worker thread (attaching to a hung thread hangs the caller), a key press of our own; and the
// user hears it when nothing helped. It belongs to the press that began it: the next press, or
// the user moving to another window, ends it. Pure: driven by the slots' timer and calls.

#include <atomic>
#include <cstdint>
#include <memory>

#include "switcher/keyfun.h"
#include "switcher/slot_calls.h"

namespace tarnelle::switcher {

class Escalation {
 public:
  explicit Escalation(const SlotCalls& calls) : calls_(calls) {}
  ~Escalation();
  Escalation(const Escalation&) = delete;
  Escalation& operator=(const Escalation&) = delete;

  // The longest a step waits for the window to come forward, and for a worker to finish.
  static constexpr unsigned kSettleMs = 250;
  static constexpr unsigned kWorkerLimitMs = 500;
  static constexpr unsigned kTickMs = 15;

  // Takes over after a switch was asked for while |front| was in front: escalates a refusal,
  // warns of a window that cannot be had. Ends any escalation before it.
  void Follow(const keyfun::SwitchAttempt& attempt, Handle front);
  // Ends the escalation, if one runs, silently.
  void Stop();

  void OnTick();
  void OnWorkerDone(unsigned generation, WorkerResult result);

 private:
  enum class Step { kIdle, kSettle, kAttach, kKeyPressed };
  void Wait(Step step, unsigned ms);
  void Next();
  void GiveUp();

  const SlotCalls& calls_;
  Step step_ = Step::kIdle;
  Handle target_ = 0;
  Handle remembered_ = 0;
  Handle front_ = 0;  // in front at the press
  std::uint64_t deadline_ = 0;
  unsigned generation_ = 0;  // of the switch being followed
  // Shared with the workers, so that one of an older switch keeps its hands off the foreground.
  std::shared_ptr<std::atomic<unsigned>> current_ = std::make_shared<std::atomic<unsigned>>(0);
};

// The attach step, on the worker's thread: shares the input of the thread in front, which gives
// this one its right to set the foreground, and asks for |task|'s window.
[[nodiscard]] WorkerResult AttachAndAsk(const SlotCalls& calls, const WorkerTask& task);

}  // namespace tarnelle::switcher
