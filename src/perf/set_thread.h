#pragma once
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "perf/graph_sampler.h"
#include "perf/useage.h"

namespace taskmgr {

// The sampler thread: once a second it redraws both graphs from their
// histories and takes a new CPU and memory sample.
//
// Created suspended. The owner sets CpuGraph and MemGraph, then Resume. From
// then on the thread owns the surfaces and frees them as it ends; after
// Terminate the owner must not touch them (nor these two members) until
// WaitFor has returned. While it runs, the owner may copy a surface through
// TUseage::CopyFrame, which only ever sees finished frames.
class TSetThread {
 public:
  TSetThread();                            // real sampling
  explicit TSetThread(SamplerHooks hooks);  // injected sampling and pause
  TSetThread(const TSetThread&) = delete;
  TSetThread& operator=(const TSetThread&) = delete;
  ~TSetThread();  // terminates and joins if still running

  std::unique_ptr<TUseage> CpuGraph;
  std::unique_ptr<TUseage> MemGraph;

  void Resume();     // starts the body; later calls do nothing
  void Terminate();  // asks the body to stop; cuts the pause short
  bool Terminated() const { return terminated_.load(); }
  void WaitFor();    // until the body has ended (at once if never started)

  // An error that escaped the body, once WaitFor has returned; null if none.
  std::exception_ptr FatalError() const { return fatalError_; }

 private:
  void Execute();
  void Pause();

  SamplerHooks hooks_;
  std::atomic<bool> terminated_{false};
  std::mutex stopMutex_;
  std::condition_variable stopSignal_;
  std::thread thread_;
  bool started_ = false;
  std::exception_ptr fatalError_;
};

}  // namespace taskmgr
