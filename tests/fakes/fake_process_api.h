#pragma once
// A process service that answers from a list of processes and records every
// call, plus the builder that lays those processes out as the system's
// process-information buffer (header, thread records, UTF-16 name).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "os/process_api.h"

namespace taskmgr::fakes {

struct TFakeProcess {
  int32_t Pid = 0;
  std::optional<std::u16string> Name;  // nullopt: null name address
  int64_t UserTime = 0;                // 100 ns units
  int64_t KernelTime = 0;
  int Threads = 1;
  // Corruptions for the walk's bounds tests.
  std::optional<uint32_t> NextOffsetOverride;
  std::optional<uint64_t> NameOffsetOverride;  // written as base + this
};

// Lays processes out as the system does for one address width. Name
// addresses are written as `base` plus the name's offset, in that width.
class TProcessBufferBuilder {
 public:
  explicit TProcessBufferBuilder(unsigned pointerSize) : pointerSize_(pointerSize) {}

  uint32_t HeaderSize() const { return pointerSize_ == 8 ? 0x100 : 0xB8; }
  uint32_t ThreadSize() const { return pointerSize_ == 8 ? 0x50 : 0x40; }

  uint32_t EntrySize(const TFakeProcess& p) const {
    uint32_t size = HeaderSize() + ThreadSize() * static_cast<uint32_t>(p.Threads);
    if (p.Name) size += static_cast<uint32_t>((p.Name->size() + 1) * 2);
    return (size + 7) & ~7u;
  }

  std::vector<unsigned char> Build(const std::vector<TFakeProcess>& processes,
                                   uint64_t base = 0) const {
    std::size_t total = 0;
    for (const auto& p : processes) total += EntrySize(p);
    std::vector<unsigned char> out(total, 0);
    std::size_t offset = 0;
    for (std::size_t i = 0; i < processes.size(); ++i) {
      const TFakeProcess& p = processes[i];
      const uint32_t size = EntrySize(p);
      unsigned char* e = out.data() + offset;
      const bool last = i + 1 == processes.size();
      Put32(e + 0, p.NextOffsetOverride ? *p.NextOffsetOverride : (last ? 0 : size));
      Put32(e + 4, static_cast<uint32_t>(p.Threads));
      Put64(e + 0x28, static_cast<uint64_t>(p.UserTime));
      Put64(e + 0x30, static_cast<uint64_t>(p.KernelTime));
      const uint32_t nameField = pointerSize_ == 8 ? 0x40 : 0x3C;
      const uint32_t pidField = pointerSize_ == 8 ? 0x50 : 0x44;
      uint64_t nameOffset = 0;
      if (p.Name) {
        nameOffset = offset + HeaderSize() + ThreadSize() * static_cast<uint32_t>(p.Threads);
        unsigned char* n = out.data() + nameOffset;
        for (std::size_t k = 0; k < p.Name->size(); ++k) {
          n[2 * k] = static_cast<unsigned char>((*p.Name)[k] & 0xFF);
          n[2 * k + 1] = static_cast<unsigned char>((*p.Name)[k] >> 8);
        }
        const uint16_t bytes = static_cast<uint16_t>(p.Name->size() * 2);
        Put16(e + 0x38, bytes);
        Put16(e + 0x3A, static_cast<uint16_t>(bytes + 2));
      }
      if (p.NameOffsetOverride) nameOffset = *p.NameOffsetOverride;
      if (p.Name || p.NameOffsetOverride) PutAddress(e + nameField, base + nameOffset);
      PutAddress(e + pidField, static_cast<uint64_t>(static_cast<uint32_t>(p.Pid)));
      // Thread records carry the PID too, as the system's do; the walk must
      // not mistake them for anything.
      for (int t = 0; t < p.Threads; ++t) {
        unsigned char* th = e + HeaderSize() + ThreadSize() * static_cast<uint32_t>(t);
        std::memset(th, 0xA5, ThreadSize());
      }
      offset += size;
    }
    return out;
  }

 private:
  static void Put16(unsigned char* p, uint16_t v) { std::memcpy(p, &v, 2); }
  static void Put32(unsigned char* p, uint32_t v) { std::memcpy(p, &v, 4); }
  static void Put64(unsigned char* p, uint64_t v) { std::memcpy(p, &v, 8); }
  void PutAddress(unsigned char* p, uint64_t v) const {
    if (pointerSize_ == 8)
      Put64(p, v);
    else
      Put32(p, static_cast<uint32_t>(v));
  }

  unsigned pointerSize_;
};

inline std::string Hex(uint64_t v) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(v));
  return text;
}

class FakeProcessApi final : public IProcessApi {
 public:
  explicit FakeProcessApi(unsigned pointerSize = sizeof(void*)) : pointerSize_(pointerSize) {}

  // --- what the system holds
  std::vector<TFakeProcess> Processes;
  std::map<int32_t, uint64_t> WorkingSets;   // processes missing here cannot be opened
  std::set<uint32_t> DeniedAccess;           // access masks every open refuses
  std::set<int32_t> UnreadableCounters;      // opened, but the counters fail
  std::optional<TProcessQuery> ForcedQueryResult;
  bool ReportNeededLength = true;
  // Bytes the system's needs grow by after each too-small answer (processes
  // starting between the two calls).
  uint32_t GrowthAfterTooSmall = 0;

  // --- what was asked
  struct TQuery {
    const void* Buffer;
    uint32_t Size;
  };
  std::vector<TQuery> Queries;
  std::vector<std::string> Log;  // OpenProcess / TerminateProcess / ReadWorkingSet / CloseHandle
  std::set<uintptr_t> OpenHandles;

  unsigned PointerSize() const override { return pointerSize_; }

  TProcessQuery QueryProcessInformation(void* buffer, uint32_t size,
                                        uint32_t& returnedLength) override {
    Queries.push_back({buffer, size});
    returnedLength = 0;
    if (ForcedQueryResult) return *ForcedQueryResult;
    const TProcessBufferBuilder builder(pointerSize_);
    const auto image = builder.Build(Processes, reinterpret_cast<uintptr_t>(buffer));
    const uint64_t needed = image.size() + extraNeeded_;
    if (needed > size) {
      if (ReportNeededLength) returnedLength = static_cast<uint32_t>(needed);
      extraNeeded_ += GrowthAfterTooSmall;
      return TProcessQuery::BufferTooSmall;
    }
    std::memcpy(buffer, image.data(), image.size());
    returnedLength = static_cast<uint32_t>(image.size()) + LengthLie;
    return TProcessQuery::Filled;
  }
  // Added to the length reported on success (a system that claims more than
  // it wrote).
  uint32_t LengthLie = 0;

  uintptr_t OpenProcess(uint32_t access, int32_t pid) override {
    uintptr_t handle = 0;
    if (WorkingSets.count(pid) != 0 && DeniedAccess.count(access) == 0) {
      handle = nextHandle_;
      nextHandle_ += 4;
      OpenHandles.insert(handle);
      handlePid_[handle] = pid;
    }
    Log.push_back("OpenProcess(" + Hex(access) + ", " + std::to_string(pid) + ") -> " +
                  Hex(handle));
    return handle;
  }

  bool TerminateProcess(uintptr_t process, uint32_t exitCode) override {
    Log.push_back("TerminateProcess(" + Hex(process) + ", " + std::to_string(exitCode) + ")");
    return TerminateSucceeds;
  }
  bool TerminateSucceeds = true;

  bool ReadWorkingSet(uintptr_t process, uint64_t& workingSetBytes) override {
    Log.push_back("ReadWorkingSet(" + Hex(process) + ")");
    const auto it = handlePid_.find(process);
    if (it == handlePid_.end() || OpenHandles.count(process) == 0) return false;
    if (UnreadableCounters.count(it->second) != 0) return false;
    workingSetBytes = WorkingSets.at(it->second);
    return true;
  }

  void CloseHandle(uintptr_t handle) override {
    Log.push_back("CloseHandle(" + Hex(handle) + ")");
    OpenHandles.erase(handle);
  }

 private:
  unsigned pointerSize_;
  uintptr_t nextHandle_ = 0x100;
  uint64_t extraNeeded_ = 0;
  std::map<uintptr_t, int32_t> handlePid_;
};

}  // namespace taskmgr::fakes
