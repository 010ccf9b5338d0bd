#include "perf/set_thread.h"

#include <utility>

namespace taskmgr {

TSetThread::TSetThread() : TSetThread(SamplerHooks{}) {}

TSetThread::TSetThread(SamplerHooks hooks) : hooks_(CompleteHooks(std::move(hooks))) {}

TSetThread::~TSetThread() {
  Terminate();
  WaitFor();
}

void TSetThread::Resume() {
  if (started_) return;
  started_ = true;
  thread_ = std::thread([this] { Execute(); });
}

void TSetThread::Terminate() {
  {
    // Under the pause's mutex so the wake-up cannot fall between its test
    // of the flag and its wait.
    std::lock_guard lock(stopMutex_);
    terminated_.store(true);
  }
  stopSignal_.notify_all();
}

void TSetThread::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

void TSetThread::Pause() {
  if (hooks_.Pause) {
    hooks_.Pause();
    return;
  }
  std::unique_lock lock(stopMutex_);
  stopSignal_.wait_for(lock, hooks_.PauseLength, [this] { return terminated_.load(); });
}

void TSetThread::Execute() {
  try {
    if (CpuGraph && MemGraph) {
      GraphSampler sampler(*CpuGraph, *MemGraph, hooks_);
      while (!Terminated()) {
        sampler.Pass();
        Pause();
      }
    }
  } catch (...) {
    // Ends the thread quietly; the surfaces stay with the thread object.
    fatalError_ = std::current_exception();
    return;
  }
  CpuGraph.reset();
  MemGraph.reset();
}

}  // namespace taskmgr
