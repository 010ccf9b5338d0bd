#pragma once
// One refresh of the applications list: enumerate the windows, rebuild the
// images, and bring the rows in line. Existing rows are asked about first, in
// row order, so they claim their process before any new window can; then the
// remaining windows are appended in enumeration order.
#include <cstdint>
#include <functional>
#include <string>

#include "procinfo/keyed_list.h"
#include "procinfo/row_model.h"
#include "procinfo/win_info.h"

namespace taskmgr {

// Appends one (HandleText(handle), record) pair per listed window.
using TWindowListFiller = std::function<void(TKeyedList<TWinInfo>&)>;
// Whether the window gets a row; may read and extend the claimed-process list
// of this refresh.
using TTaskWindowFilter =
    std::function<bool(uintptr_t handle, const std::string& wndClass, TTextList& claimed)>;
// The icon a row shows, or 0. Borrowed: never destroyed here.
using TIconLookup = std::function<uintptr_t(uintptr_t handle)>;

// Rows: caption = title, sub-item 0 "正在运行", image index, and the window
// record as data. A refused row is left as it is; an accepted row whose window
// is no longer listed is deleted. Any error is passed on after the update
// bracket is closed (if it was opened) and the unclaimed records are freed.
void RefreshTaskRows(const TWindowListFiller& getWindowList,
                     const TTaskWindowFilter& isTaskWindow,
                     const TIconLookup& getWindowIcon,
                     ITaskRowModel& rows,
                     IImageSink& images);

}  // namespace taskmgr
