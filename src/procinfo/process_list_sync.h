#pragma once
// One refresh of the processes list: take a snapshot, show its count, and
// bring the rows in line with it. Rows of running processes are updated in
// place, so they keep their position and selection; rows of ended processes
// go; new processes are appended in snapshot order.
#include <functional>
#include <string>
#include <string_view>

#include "procinfo/keyed_list.h"
#include "procinfo/proc_info.h"
#include "procinfo/row_model.h"

namespace taskmgr {

// Appends one (PID text, record) pair per process to an empty list.
using TSnapshotFiller = std::function<void(TKeyedList<TProcInfo>&)>;
// Writes status panel 0.
using TStatusWriter = std::function<void(const std::string&)>;

// Rows: caption = name; sub-items PID, "" (CPU), CPU time, memory. A row is
// matched by the text of its sub-item 0 with the first snapshot pair whose
// key equals it. Any error is passed on: one from the snapshot or the status
// text leaves the rows as they were; one during the row changes keeps what
// was written and still closes the update bracket.
void RefreshProcessRows(const TSnapshotFiller& getProcessList,
                        const TStatusWriter& setStatusText,
                        IRowModel& rows,
                        std::string_view timeSeparator);

}  // namespace taskmgr
