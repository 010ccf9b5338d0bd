#pragma once
// The one-time start of the performance graphs when the main window is
// first shown, and their orderly end when it closes.
#include <cstdint>
#include <memory>

#include "perf/useage.h"

namespace taskmgr {

// The sampler thread as the window sees it.
class ISamplerThread {
 public:
  virtual ~ISamplerThread() = default;
  // Before Resume. From Resume on the thread owns both surfaces and frees
  // them as it ends.
  virtual void SetSurfaces(std::unique_ptr<TUseage> cpuGraph, std::unique_ptr<TUseage> memGraph) = 0;
  virtual void Resume() = 0;
  virtual void Terminate() = 0;
  virtual void WaitFor() = 0;
};

struct TGraphSize {
  int32_t Width = 0;
  int32_t Height = 0;
};

// What the first showing and the close need from the main window.
class IGraphHost {
 public:
  virtual ~IGraphHost() = default;
  virtual bool EnableDebugPrivilege() = 0;
  virtual void SetDoubleBuffered() = 0;
  virtual TGraphSize CpuImageSize() const = 0;
  virtual TGraphSize MemImageSize() const = 0;
  // Puts copies of both surfaces into the image controls.
  virtual void ShowGraphs(const TUseage& cpuGraph, const TUseage& memGraph) = 0;
  // A sampler thread that has not started yet.
  virtual std::unique_ptr<ISamplerThread> CreateSamplerThread() = 0;
  virtual void StopTimer() = 0;
};

class TGraphLifecycle {
 public:
  explicit TGraphLifecycle(IGraphHost& host) : host_(host) {}
  TGraphLifecycle(const TGraphLifecycle&) = delete;
  TGraphLifecycle& operator=(const TGraphLifecycle&) = delete;
  // Stops the thread if Close never ran.
  ~TGraphLifecycle();

  // The first showing: privilege, double buffering, both surfaces with their
  // first grid shown, and the sampler thread started with them. Only the
  // first call does anything (and none after Close); true when it ran.
  bool FirstShow();

  // The close: the timer stops, the thread is told to stop and waited for
  // (it frees the surfaces), and the thread object goes.
  void Close();

  // The surfaces while the thread runs; null before the first showing and
  // from the close on.
  TUseage* CpuGraph() const { return cpuGraph_; }
  TUseage* MemGraph() const { return memGraph_; }
  bool ThreadRunning() const { return thread_ != nullptr; }

 private:
  void StopThread();

  IGraphHost& host_;
  bool shown_ = false;
  bool closed_ = false;
  std::unique_ptr<ISamplerThread> thread_;
  TUseage* cpuGraph_ = nullptr;
  TUseage* memGraph_ = nullptr;
};

}  // namespace taskmgr
