#include "procinfo/process_snapshot.h"

#include <cstring>
#include <memory>

#include "procinfo/list_texts.h"
#include "procinfo/proc_services.h"
#include "procinfo/utf16.h"

namespace taskmgr {
namespace {

uint32_t ReadU32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint64_t ReadU64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint64_t ReadAddress(const unsigned char* p, unsigned pointerSize) {
  return pointerSize == 8 ? ReadU64(p) : ReadU32(p);
}

// Finds the zero unit that ends a name starting at `offset`; false when the
// name does not start and end inside the buffer.
bool FindNameEnd(std::span<const unsigned char> filled, uint64_t offset, std::size_t& units) {
  const std::size_t size = filled.size();
  if (offset >= size) return false;
  const unsigned char* p = filled.data() + offset;
  const std::size_t maxUnits = (size - static_cast<std::size_t>(offset)) / 2;
  for (std::size_t i = 0; i < maxUnits; ++i) {
    if (p[2 * i] == 0 && p[2 * i + 1] == 0) {
      units = i;
      return true;
    }
  }
  return false;
}

class THandleCloser {
 public:
  THandleCloser(IProcessApi& api, uintptr_t handle) : api_(api), handle_(handle) {}
  ~THandleCloser() { api_.CloseHandle(handle_); }
  THandleCloser(const THandleCloser&) = delete;
  THandleCloser& operator=(const THandleCloser&) = delete;

 private:
  IProcessApi& api_;
  uintptr_t handle_;
};

}  // namespace

const TProcessLayout& ProcessLayoutFor(unsigned pointerSize) {
  return pointerSize == 8 ? kProcessLayout64 : kProcessLayout32;
}

double CpuTimeToDays(int64_t userTime, int64_t kernelTime) {
  // Wrapping sum: the fields come from a buffer and may be anything.
  const auto total = static_cast<int64_t>(static_cast<uint64_t>(userTime) +
                                          static_cast<uint64_t>(kernelTime));
  const int64_t seconds = total / 10000000;
  return static_cast<double>(seconds) / 86400.0;
}

uint32_t WorkingSetToK(uint64_t bytes) {
  uint64_t k = bytes / 1024;
  const uint64_t rest = bytes % 1024;
  if (rest > 512 || (rest == 512 && (k & 1) != 0)) ++k;
  return k > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(k);
}

void WalkProcessBuffer(std::span<const unsigned char> filled, const TProcessLayout& layout,
                       uint64_t addressBase, const TWorkingSetQuery& workingSet,
                       TKeyedList<TProcInfo>& list) {
  const std::size_t size = filled.size();
  const unsigned char* data = filled.data();
  const uint64_t addressMask = layout.PointerSize == 8 ? ~uint64_t{0} : uint64_t{0xFFFFFFFF};
  if (size < layout.MinEntrySize) return;

  std::size_t offset = 0;
  for (;;) {
    const unsigned char* entry = data + offset;
    const uint32_t next = ReadU32(entry + layout.NextEntryOffset);

    const uint64_t nameAddress = ReadAddress(entry + layout.NameBuffer, layout.PointerSize);
    uint64_t nameOffset = 0;
    std::size_t nameUnits = 0;
    if (nameAddress != 0) {
      nameOffset = (nameAddress - addressBase) & addressMask;
      if (!FindNameEnd(filled, nameOffset, nameUnits)) return;
    }

    const bool last = next == 0;
    try {
      auto info = std::make_unique<TProcInfo>();
      // The low half of the 64-bit id field holds the whole PID.
      info->PID = static_cast<int32_t>(ReadU32(entry + layout.ProcessId));
      if (nameUnits != 0) info->Name = Utf16LeBytesToUtf8(data + nameOffset, nameUnits);
      info->CpuTime = CpuTimeToDays(static_cast<int64_t>(ReadU64(entry + layout.UserTime)),
                                    static_cast<int64_t>(ReadU64(entry + layout.KernelTime)));
      info->MemUsage = WorkingSetToK(workingSet(info->PID));
      if (info->Name.empty()) {
        info->Name = "System Idle";
        info->MemUsage = 16;
      }
      std::string key = PidText(info->PID);
      list.Add(std::move(key), std::move(info));
    } catch (...) {
      if (last) throw;
    }

    if (last) return;
    const std::size_t left = size - offset;
    if (next > left || left - next < layout.MinEntrySize) return;
    offset += next;
  }
}

uint64_t GetProcessWorkingSet(int32_t pid, IProcessApi& api) {
  uintptr_t process = api.OpenProcess(kProcessQueryLimitedInformation | kProcessVmRead, pid);
  // Systems before Vista do not know the limited right.
  if (process == 0) process = api.OpenProcess(kProcessQueryInformation | kProcessVmRead, pid);
  if (process == 0) return 0;
  THandleCloser closer(api, process);
  uint64_t workingSet = 0;
  if (!api.ReadWorkingSet(process, workingSet)) return 0;
  return workingSet;
}

uint64_t GetProcessWorkingSet(int32_t pid) { return GetProcessWorkingSet(pid, ProcessApi()); }

void TProcessSnapshot::Resize(uint32_t size) {
  // The old contents are not needed: drop them before taking the new block.
  std::vector<uint64_t>().swap(buffer_);
  size_ = 0;
  buffer_.resize((static_cast<std::size_t>(size) + 7) / 8);
  size_ = size;
}

uint32_t TProcessSnapshot::Query(IProcessApi& api) {
  if (size_ == 0) Resize(kInitialSize);
  for (int attempt = 0; attempt < kMaxTries; ++attempt) {
    uint32_t returned = 0;
    const TProcessQuery result = api.QueryProcessInformation(buffer_.data(), size_, returned);
    if (result == TProcessQuery::Filled) return returned <= size_ ? returned : size_;
    if (result != TProcessQuery::BufferTooSmall) return 0;
    if (size_ >= kMaxSize) return 0;
    // Processes start between the two calls: leave room for some more.
    uint64_t wanted = returned > size_ ? uint64_t{returned} + returned / 8 + 16384
                                       : uint64_t{size_} * 2;
    if (wanted > kMaxSize) wanted = kMaxSize;
    Resize(static_cast<uint32_t>(wanted));
  }
  return 0;
}

void TProcessSnapshot::Take(TKeyedList<TProcInfo>& list, IProcessApi& api) {
  const uint32_t filled = Query(api);
  if (filled == 0) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data());
  WalkProcessBuffer(std::span<const unsigned char>(bytes, filled),
                    ProcessLayoutFor(api.PointerSize()),
                    static_cast<uint64_t>(reinterpret_cast<uintptr_t>(bytes)),
                    [&api](int32_t pid) { return GetProcessWorkingSet(pid, api); }, list);
}

void GetProcessList(TKeyedList<TProcInfo>& list, IProcessApi& api) {
  TProcessSnapshot snapshot;
  snapshot.Take(list, api);
}

void GetProcessList(TKeyedList<TProcInfo>& list) {
  static TProcessSnapshot snapshot;
  snapshot.Take(list, ProcessApi());
}

}  // namespace taskmgr
