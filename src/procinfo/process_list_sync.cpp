#include "procinfo/process_list_sync.h"

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "procinfo/list_texts.h"

namespace taskmgr {

namespace {

// Key comparison ignores ASCII letter case, as the keyed list does.
void FoldInto(std::string& out, std::string_view key) {
  out.assign(key);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
}

// The snapshot taken out of its list, answering "the first remaining pair
// whose key equals this text" without a linear search (2000 rows against
// 2000 pairs every tick). A pair is only ever taken as the first remaining
// match of its key, so the taken pairs of one key are always the front of
// that key's chain and the chain's head is the answer.
class TPendingSnapshot {
 public:
  explicit TPendingSnapshot(TKeyedList<TProcInfo>& list) {
    const int count = list.Count();
    keys_.resize(count);  // never resized again: the index holds views into it
    records_.resize(count);
    next_.assign(count, -1);
    // From the back, so that each extraction moves no later pairs.
    for (int i = count - 1; i >= 0; --i) {
      FoldInto(keys_[i], list.Key(i));
      records_[i] = list.Extract(i);
    }
    heads_.reserve(count);
    for (int i = count - 1; i >= 0; --i) {
      if (!records_[i]) continue;  // a pair without a record cannot fill a row
      auto [it, inserted] = heads_.try_emplace(keys_[i], i);
      if (!inserted) {
        next_[i] = it->second;
        it->second = i;
      }
    }
  }

  // Removes and returns the first remaining record with an equal key, or null.
  std::unique_ptr<TProcInfo> TakeFirst(std::string_view key) {
    FoldInto(scratch_, key);
    auto it = heads_.find(scratch_);
    if (it == heads_.end() || it->second < 0) return nullptr;
    const int index = it->second;
    it->second = next_[index];
    return std::move(records_[index]);
  }

  int Count() const { return static_cast<int>(records_.size()); }
  // Null once taken.
  std::unique_ptr<TProcInfo> Take(int index) { return std::move(records_[index]); }

 private:
  std::vector<std::string> keys_;
  std::vector<std::unique_ptr<TProcInfo>> records_;
  std::vector<int> next_;  // next pair with the same key, or -1
  std::unordered_map<std::string_view, int> heads_;
  std::string scratch_;
};

void WriteValues(IRowModel& rows, int row, const TProcInfo& info, std::string_view sep) {
  rows.SetSubItem(row, 0, PidText(info.PID));
  rows.SetSubItem(row, 1, "");
  rows.SetSubItem(row, 2, CpuTimeText(info.CpuTime, sep));
  rows.SetSubItem(row, 3, MemUsageText(info.MemUsage));
}

void UpdateExistingRows(TPendingSnapshot& pending, IRowModel& rows, std::string_view sep) {
  const int visits = rows.RowCount();
  int row = 0;
  for (int visit = 0; visit < visits; ++visit) {
    std::unique_ptr<TProcInfo> info;
    // A row without a PID text cannot belong to any process.
    if (rows.SubItemCount(row) > 0) info = pending.TakeFirst(rows.SubItem(row, 0));
    if (!info) {
      rows.DeleteRow(row);  // the next row moves up into `row`
      continue;
    }
    rows.SetCaption(row, info->Name);
    if (rows.SubItemCount(row) > 3) WriteValues(rows, row, *info, sep);
    ++row;
  }
}

void AppendNewRows(TPendingSnapshot& pending, IRowModel& rows, std::string_view sep) {
  for (int i = 0; i < pending.Count(); ++i) {
    std::unique_ptr<TProcInfo> info = pending.Take(i);
    if (!info) continue;
    const int row = rows.AppendRow();
    rows.SetCaption(row, info->Name);
    rows.AppendSubItem(row, PidText(info->PID));
    rows.AppendSubItem(row, "");
    rows.AppendSubItem(row, CpuTimeText(info->CpuTime, sep));
    rows.AppendSubItem(row, MemUsageText(info->MemUsage));
  }
}

}  // namespace

void RefreshProcessRows(const TSnapshotFiller& getProcessList,
                        const TStatusWriter& setStatusText,
                        IRowModel& rows,
                        std::string_view timeSeparator) {
  TKeyedList<TProcInfo> snapshot;
  getProcessList(snapshot);
  setStatusText(ProcessCountText(snapshot.Count()));

  TPendingSnapshot pending(snapshot);
  rows.BeginUpdate();
  try {
    UpdateExistingRows(pending, rows, timeSeparator);
    AppendNewRows(pending, rows, timeSeparator);
  } catch (...) {
    rows.EndUpdate();
    throw;
  }
  rows.EndUpdate();
}

}  // namespace taskmgr
