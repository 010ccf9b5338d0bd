#include "shell/list_view_rows.h"

namespace taskmgr {

// The adapters are header-only; this unit checks that they stay complete.
template class TListViewRowsOf<IRowModel>;
template class TListViewRowsOf<ITaskRowModel>;

}  // namespace taskmgr
