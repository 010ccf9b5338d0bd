// The process snapshot per refresh tick: the walk of a filled buffer into the
// snapshot list, and the whole snapshot through a lean in-memory system
// (copy of a prepared buffer, working-set open/read/close that cost nothing).
// Reported per process.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "fakes/fake_process_api.h"
#include "procinfo/process_snapshot.h"

// GCC 12 asks for every member of a designated initializer.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace taskmgr {
namespace {

using fakes::TFakeProcess;
using fakes::TProcessBufferBuilder;

// Thread counts vary as on a real machine: most processes have a few, some
// have dozens.
std::vector<TFakeProcess> Machine(int count) {
  std::vector<TFakeProcess> processes;
  processes.push_back({.Pid = 0, .Name = std::nullopt, .KernelTime = 123456789, .Threads = 8});
  for (int i = 1; i < count; ++i) {
    const int threads = (i % 10 == 0) ? 40 + i % 30 : 1 + i % 12;
    processes.push_back({.Pid = 4 * i,
                         .Name = (i % 3 == 0) ? u"svchost.exe" : u"application_process.exe",
                         .UserTime = int64_t{i} * 7919 * 10000,
                         .KernelTime = int64_t{i} * 104729 * 1000,
                         .Threads = threads});
  }
  return processes;
}

void BM_Walk(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const unsigned pointerSize = static_cast<unsigned>(state.range(1));
  const auto filled = TProcessBufferBuilder(pointerSize).Build(Machine(count));
  const TProcessLayout& layout = ProcessLayoutFor(pointerSize);
  const TWorkingSetQuery workingSet = [](int32_t pid) {
    return static_cast<uint64_t>(pid) * 4096 + 1536;
  };
  for (auto _ : state) {
    TKeyedList<TProcInfo> list;
    WalkProcessBuffer(filled, layout, 0, workingSet, list);
    benchmark::DoNotOptimize(list.Count());
  }
  state.counters["processes"] = count;
  state.counters["buffer_KiB"] = static_cast<double>(filled.size()) / 1024.0;
  state.counters["per_process"] = benchmark::Counter(
      static_cast<double>(count),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Walk)->ArgsProduct({{300, 3000}, {4, 8}})->ArgNames({"processes", "ptr"});

// The system as the snapshot sees it, doing as little as possible itself.
class TLeanProcessApi final : public IProcessApi {
 public:
  explicit TLeanProcessApi(std::vector<TFakeProcess> processes)
      : processes_(std::move(processes)) {}
  unsigned PointerSize() const override { return sizeof(void*); }
  TProcessQuery QueryProcessInformation(void* buffer, uint32_t size,
                                        uint32_t& returnedLength) override {
    // Name addresses point into the caller's buffer, which stays put in a
    // steady state: lay the image out once per buffer address.
    if (buffer != imageFor_) {
      image_ = TProcessBufferBuilder(sizeof(void*)).Build(processes_, reinterpret_cast<uintptr_t>(buffer));
      imageFor_ = buffer;
    }
    returnedLength = static_cast<uint32_t>(image_.size());
    if (image_.size() > size) return TProcessQuery::BufferTooSmall;
    std::memcpy(buffer, image_.data(), image_.size());
    return TProcessQuery::Filled;
  }
  uintptr_t OpenProcess(uint32_t, int32_t pid) override { return pid == 0 ? 0 : 0x1000 + pid; }
  bool TerminateProcess(uintptr_t, uint32_t) override { return false; }
  bool ReadWorkingSet(uintptr_t process, uint64_t& bytes) override {
    bytes = static_cast<uint64_t>(process) * 4096;
    return true;
  }
  void CloseHandle(uintptr_t) override {}

 private:
  std::vector<TFakeProcess> processes_;
  std::vector<unsigned char> image_;
  const void* imageFor_ = nullptr;
};

void BM_TakeSnapshot(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  TLeanProcessApi api(Machine(count));
  TProcessSnapshot snapshot;
  {
    TKeyedList<TProcInfo> warm;  // grows the buffer once, as the first tick does
    snapshot.Take(warm, api);
  }
  for (auto _ : state) {
    TKeyedList<TProcInfo> list;
    snapshot.Take(list, api);
    benchmark::DoNotOptimize(list.Count());
  }
  state.counters["processes"] = count;
  state.counters["buffer_KiB"] = snapshot.BufferSize() / 1024.0;
  state.counters["per_process"] = benchmark::Counter(
      static_cast<double>(count),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TakeSnapshot)->Arg(300)->Arg(3000)->ArgName("processes");

}  // namespace
}  // namespace taskmgr
