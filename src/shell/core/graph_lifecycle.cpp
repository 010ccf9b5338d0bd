#include "shell/core/graph_lifecycle.h"

#include <stdexcept>
#include <utility>

#include "perf/mem_info.h"

namespace taskmgr {

TGraphLifecycle::~TGraphLifecycle() { StopThread(); }

bool TGraphLifecycle::FirstShow() {
  if (shown_ || closed_) return false;
  // Set first: a later showing repeats nothing, even if a step below fails.
  shown_ = true;
  host_.EnableDebugPrivilege();
  host_.SetDoubleBuffered();
  const TGraphSize cpuSize = host_.CpuImageSize();
  const TGraphSize memSize = host_.MemImageSize();
  auto cpuGraph = std::make_unique<TUseage>(cpuSize.Height, cpuSize.Width);
  auto memGraph = std::make_unique<TUseage>(memSize.Height, memSize.Width);
  cpuGraph->DrawGrid();
  memGraph->DrawGrid();
  host_.ShowGraphs(*cpuGraph, *memGraph);

  std::unique_ptr<ISamplerThread> thread = host_.CreateSamplerThread();
  if (!thread) throw std::runtime_error("no sampler thread");
  TUseage* cpu = cpuGraph.get();
  TUseage* mem = memGraph.get();
  thread->SetSurfaces(std::move(cpuGraph), std::move(memGraph));
  MemStatus.SetLength(32);
  thread->Resume();
  // Published only once the thread runs, so a tick never sees surfaces that
  // nobody will draw or free.
  thread_ = std::move(thread);
  cpuGraph_ = cpu;
  memGraph_ = mem;
  return true;
}

void TGraphLifecycle::Close() {
  closed_ = true;
  host_.StopTimer();
  StopThread();
}

void TGraphLifecycle::StopThread() {
  // Once told to stop, the thread may free the surfaces at any moment.
  cpuGraph_ = nullptr;
  memGraph_ = nullptr;
  if (!thread_) return;
  thread_->Terminate();
  thread_->WaitFor();
  thread_.reset();
}

}  // namespace taskmgr
