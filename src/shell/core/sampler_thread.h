#pragma once
// The real sampler thread behind the window's ISamplerThread.
#include <memory>

#include "perf/set_thread.h"
#include "shell/core/graph_lifecycle.h"

namespace taskmgr {

class TSetThreadSampler : public ISamplerThread {
 public:
  TSetThreadSampler() : thread_(std::make_unique<TSetThread>()) {}
  explicit TSetThreadSampler(std::unique_ptr<TSetThread> thread) : thread_(std::move(thread)) {}

  void SetSurfaces(std::unique_ptr<TUseage> cpuGraph, std::unique_ptr<TUseage> memGraph) override {
    thread_->CpuGraph = std::move(cpuGraph);
    thread_->MemGraph = std::move(memGraph);
  }
  void Resume() override { thread_->Resume(); }
  void Terminate() override { thread_->Terminate(); }
  void WaitFor() override { thread_->WaitFor(); }

  TSetThread& Thread() { return *thread_; }

 private:
  std::unique_ptr<TSetThread> thread_;
};

}  // namespace taskmgr
