#include "switcher/escalation.h"

#include <tuple>

namespace tarnelle::switcher {

using keyfun::SwitchAttempt;

Escalation::~Escalation() {
  current_->store(0);  // a worker still out must not act for us any more
}

void Escalation::Follow(const SwitchAttempt& attempt, Handle front) {
  Stop();
  current_->store(++generation_);
  switch (attempt.result) {
    case SwitchAttempt::Result::kNothing:
    case SwitchAttempt::Result::kInFront:
      return;
    case SwitchAttempt::Result::kNoWindow:
    case SwitchAttempt::Result::kHidden:
      calls_.warn();
      return;
    case SwitchAttempt::Result::kRefused:
      target_ = attempt.window;
      remembered_ = attempt.remembered;
      front_ = front;
      // The platform may activate another thread's window a moment after it agreed to.
      Wait(Step::kSettle, kSettleMs);
      calls_.set_timer(Timer::kEscalation, kTickMs);
      return;
  }
}

void Escalation::Wait(Step step, unsigned ms) {
  step_ = step;
  deadline_ = calls_.now_ms() + ms;
}

void Escalation::OnTick() {
  if (step_ == Step::kIdle) {
    return;
  }
  if (!calls_.state(target_).exists) {
    calls_.warn();  // closed before it could come forward
    Stop();
    return;
  }
  const Handle now = calls_.foreground();
  if (now == target_) {
    Stop();
    return;
  }
  // The user went on to another window: the switch is no longer wanted.
  if (now != 0 && now != front_ && now != remembered_) {
    Stop();
    return;
  }
  if (calls_.now_ms() >= deadline_) {
    Next();
  }
}

void Escalation::Next() {
  switch (step_) {
    case Step::kSettle:
      // Input cannot be shared with, nor given to, a window of a process above ours.
      if (calls_.integrity(calls_.foreground()) == Integrity::kAbove) {
        GiveUp();
        return;
      }
      Wait(Step::kAttach, kWorkerLimitMs);
      calls_.start_worker(WorkerTask{target_, generation_, current_});
      return;
    case Step::kAttach:
      // Refused, or the worker is stuck: input of our own makes us the last to have had some.
      calls_.press_unassigned_key();
      std::ignore = calls_.set_foreground(target_);  // judged by the window in front
      Wait(Step::kKeyPressed, kSettleMs);
      return;
    case Step::kKeyPressed:
      GiveUp();
      return;
    case Step::kIdle:
      return;
  }
}

void Escalation::OnWorkerDone(unsigned generation, WorkerResult result) {
  if (generation != generation_ || step_ != Step::kAttach) {
    return;  // an older switch's, or one that was given up on
  }
  if (result == WorkerResult::kAsked) {
    Wait(Step::kAttach, kSettleMs);
  } else {
    Next();  // a window busy for a moment may still come: the key step tries again
  }
}

void Escalation::GiveUp() {
  calls_.flash(target_);
  calls_.warn();
  Stop();
}

void Escalation::Stop() {
  if (step_ != Step::kIdle) {
    calls_.kill_timer(Timer::kEscalation);
  }
  step_ = Step::kIdle;
  target_ = 0;
  current_->store(0);
}

WorkerResult AttachAndAsk(const SlotCalls& calls, const WorkerTask& task) {
  if (!calls.answers(task.target)) {
    return WorkerResult::kSilent;
  }
  const Handle front = calls.foreground();
  // A thread that does not take a message in time would hang whoever attaches to it.
  if (front != 0 && !calls.answers(front)) {
    return WorkerResult::kRefused;
  }
  const std::uint32_t ours = calls.current_thread();
  const std::uint32_t theirs = front != 0 ? calls.thread_of(front) : 0;
  const bool attached = theirs != 0 && theirs != ours && calls.attach_input(ours, theirs, true);
  // The target's own process may then take the foreground for a window of its own.
  calls.allow_foreground(task.target);
  bool asked = false;
  if (task.current->load() == task.generation) {  // a newer switch must not lose its window
    asked = calls.set_foreground(task.target);
  }
  if (attached) {
    std::ignore = calls.attach_input(ours, theirs, false);  // the threads part at exit anyway
  }
  return asked ? WorkerResult::kAsked : WorkerResult::kRefused;
}

}  // namespace tarnelle::switcher
