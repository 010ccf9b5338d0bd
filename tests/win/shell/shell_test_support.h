#pragma once
// Sampler threads for driving the main window in tests.
#include <chrono>
#include <memory>

#include "perf/set_thread.h"
#include "shell/core/graph_lifecycle.h"
#include "shell/core/sampler_thread.h"
#include "shell/main_form.h"

namespace taskmgr::testing {

struct SamplerLog {
  int created = 0;
  int running = 0;
  bool surfacesFreedAfterWait = false;
  // From Terminate to the end of WaitFor.
  std::chrono::milliseconds stopTook{-1};
};

// The real sampler thread, watched.
class RecordingSampler : public ISamplerThread {
 public:
  explicit RecordingSampler(SamplerLog& log) : log_(log) { ++log_.created; }
  void SetSurfaces(std::unique_ptr<TUseage> cpu, std::unique_ptr<TUseage> mem) override {
    inner_.SetSurfaces(std::move(cpu), std::move(mem));
  }
  void Resume() override {
    ++log_.running;
    inner_.Resume();
  }
  void Terminate() override {
    terminatedAt_ = std::chrono::steady_clock::now();
    inner_.Terminate();
  }
  void WaitFor() override {
    inner_.WaitFor();
    log_.stopTook = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - terminatedAt_);
    log_.surfacesFreedAfterWait = !inner_.Thread().CpuGraph && !inner_.Thread().MemGraph;
    --log_.running;
  }

 private:
  SamplerLog& log_;
  TSetThreadSampler inner_;
  std::chrono::steady_clock::time_point terminatedAt_;
};

// Holds the surfaces and never draws: the test draws and sets the samples.
class StillSampler : public ISamplerThread {
 public:
  explicit StillSampler(SamplerLog& log) : log_(log) { ++log_.created; }
  void SetSurfaces(std::unique_ptr<TUseage> cpu, std::unique_ptr<TUseage> mem) override {
    cpu_ = std::move(cpu);
    mem_ = std::move(mem);
  }
  void Resume() override { ++log_.running; }
  void Terminate() override {}
  void WaitFor() override {
    cpu_.reset();
    mem_.reset();
    log_.surfacesFreedAfterWait = true;
    --log_.running;
  }

 private:
  SamplerLog& log_;
  std::unique_ptr<TUseage> cpu_, mem_;
};

template <class Sampler>
TMainFormDeps DepsWith(SamplerLog& log) {
  TMainFormDeps deps;
  deps.EnableDebugPrivilege = [] { return true; };
  deps.CreateSamplerThread = [&log] { return std::make_unique<Sampler>(log); };
  return deps;
}

}  // namespace taskmgr::testing
