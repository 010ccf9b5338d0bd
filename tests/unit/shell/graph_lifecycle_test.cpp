#include "shell/core/graph_lifecycle.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "perf/mem_info.h"

namespace taskmgr {
namespace {

using Log = std::vector<std::string>;

// Behaves as the sampler thread is required to: owns the surfaces from
// Resume on and frees them when it ends after Terminate.
class FakeThread : public ISamplerThread {
 public:
  FakeThread(Log& log, int& surfacesFreed) : log_(log), surfacesFreed_(surfacesFreed) {}
  ~FakeThread() override {
    log_.push_back("thread released");
    if (started_ && !ended_) ADD_FAILURE() << "thread released while running";
  }
  void SetSurfaces(std::unique_ptr<TUseage> cpu, std::unique_ptr<TUseage> mem) override {
    log_.push_back("surfaces handed");
    cpu_ = std::move(cpu);
    mem_ = std::move(mem);
  }
  void Resume() override {
    log_.push_back("resume, length " + std::to_string(MemStatus.Load().dwLength));
    started_ = true;
  }
  void Terminate() override {
    log_.push_back("terminate");
    terminated_ = true;
  }
  void WaitFor() override {
    log_.push_back("wait");
    if (!started_ || !terminated_) return;
    if (cpu_ || mem_) ++surfacesFreed_;
    cpu_.reset();
    mem_.reset();
    ended_ = true;
  }
  TUseage* Cpu() const { return cpu_.get(); }
  TUseage* Mem() const { return mem_.get(); }

 private:
  Log& log_;
  int& surfacesFreed_;
  std::unique_ptr<TUseage> cpu_, mem_;
  bool started_ = false, terminated_ = false, ended_ = false;
};

class FakeHost : public IGraphHost {
 public:
  bool EnableDebugPrivilege() override {
    log.push_back("privilege");
    return false;  // refused: the start goes on all the same
  }
  void SetDoubleBuffered() override { log.push_back("double buffered"); }
  TGraphSize CpuImageSize() const override { return {256, 86}; }
  TGraphSize MemImageSize() const override { return {200, 50}; }
  void ShowGraphs(const TUseage& cpu, const TUseage& mem) override {
    log.push_back("show " + std::to_string(cpu.Width()) + "x" + std::to_string(cpu.Height()) +
                  " tick " + std::to_string(cpu.Tick) + ", " + std::to_string(mem.Width()) +
                  "x" + std::to_string(mem.Height()) + " tick " + std::to_string(mem.Tick));
  }
  std::unique_ptr<ISamplerThread> CreateSamplerThread() override {
    log.push_back("create thread");
    ++threadsCreated;
    if (failCreate) throw std::runtime_error("no thread");
    auto thread = std::make_unique<FakeThread>(log, surfacesFreed);
    lastThread = thread.get();
    return thread;
  }
  void StopTimer() override { log.push_back("stop timer"); }

  Log log;
  int threadsCreated = 0;
  int surfacesFreed = 0;
  bool failCreate = false;
  FakeThread* lastThread = nullptr;
};

class GraphLifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override { MemStatus.SetLength(0); }
  FakeHost host;
};

TEST_F(GraphLifecycleTest, FirstShowingStepsInOrder) {
  TGraphLifecycle graphs(host);
  EXPECT_EQ(graphs.CpuGraph(), nullptr);
  ASSERT_TRUE(graphs.FirstShow());
  EXPECT_EQ(host.log, (Log{"privilege", "double buffered",
                           // image sizes, height and width not swapped; first grid drawn
                           "show 256x86 tick 1, 200x50 tick 1", "create thread",
                           "surfaces handed", "resume, length 32"}));
  // The tick copies the very surfaces the thread draws.
  ASSERT_NE(host.lastThread, nullptr);
  EXPECT_EQ(graphs.CpuGraph(), host.lastThread->Cpu());
  EXPECT_EQ(graphs.MemGraph(), host.lastThread->Mem());
  EXPECT_TRUE(graphs.ThreadRunning());
}

TEST_F(GraphLifecycleTest, LaterShowingsRepeatNothing) {
  TGraphLifecycle graphs(host);
  ASSERT_TRUE(graphs.FirstShow());
  TUseage* cpu = graphs.CpuGraph();
  const size_t steps = host.log.size();
  EXPECT_FALSE(graphs.FirstShow());
  EXPECT_FALSE(graphs.FirstShow());
  EXPECT_EQ(host.threadsCreated, 1);
  EXPECT_EQ(host.log.size(), steps);
  EXPECT_EQ(graphs.CpuGraph(), cpu);
}

TEST_F(GraphLifecycleTest, CloseStopsTimerThenThreadAndForgetsSurfaces) {
  TGraphLifecycle graphs(host);
  graphs.FirstShow();
  host.log.clear();
  graphs.Close();
  EXPECT_EQ(host.log, (Log{"stop timer", "terminate", "wait", "thread released"}));
  EXPECT_EQ(host.surfacesFreed, 1);
  EXPECT_EQ(graphs.CpuGraph(), nullptr);
  EXPECT_EQ(graphs.MemGraph(), nullptr);
  EXPECT_FALSE(graphs.ThreadRunning());

  // Closing again, or showing after the close, touches no thread.
  host.log.clear();
  graphs.Close();
  EXPECT_FALSE(graphs.FirstShow());
  EXPECT_EQ(host.log, (Log{"stop timer"}));
  EXPECT_EQ(host.surfacesFreed, 1);
  EXPECT_EQ(host.threadsCreated, 1);
}

TEST_F(GraphLifecycleTest, CloseBeforeFirstShowingOnlyStopsTheTimer) {
  TGraphLifecycle graphs(host);
  graphs.Close();
  EXPECT_EQ(host.log, (Log{"stop timer"}));
  EXPECT_FALSE(graphs.FirstShow());
  EXPECT_EQ(host.threadsCreated, 0);
}

TEST_F(GraphLifecycleTest, DestroyedWithoutCloseStillStopsTheThread) {
  {
    TGraphLifecycle graphs(host);
    graphs.FirstShow();
    host.log.clear();
  }
  EXPECT_EQ(host.log, (Log{"terminate", "wait", "thread released"}));
  EXPECT_EQ(host.surfacesFreed, 1);
}

TEST_F(GraphLifecycleTest, FailedThreadCreationLeavesNoSurfacesAndIsNotRetried) {
  host.failCreate = true;
  TGraphLifecycle graphs(host);
  EXPECT_THROW(graphs.FirstShow(), std::runtime_error);
  EXPECT_EQ(graphs.CpuGraph(), nullptr);
  EXPECT_EQ(graphs.MemGraph(), nullptr);
  EXPECT_FALSE(graphs.FirstShow());
  EXPECT_EQ(host.threadsCreated, 1);
  graphs.Close();
}

}  // namespace
}  // namespace taskmgr
