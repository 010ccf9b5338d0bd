#include "procinfo/task_list_sync.h"

#include <memory>
#include <utility>

#include "procinfo/list_texts.h"

namespace taskmgr {

namespace {

struct TTaskRefresh {
  TKeyedList<TWinInfo>& windows;
  TTextList& claimed;
  const TTaskWindowFilter& isTaskWindow;
  const TIconLookup& getWindowIcon;
  ITaskRowModel& rows;
  IImageSink& images;

  void ShowIcon(int row, uintptr_t handle) {
    rows.SetImageIndex(row, images.AddIcon(getWindowIcon(handle)));
  }

  void SetRunning(int row) {
    if (rows.SubItemCount(row) > 0)
      rows.SetSubItem(row, 0, kRunningText);
    else
      rows.AppendSubItem(row, kRunningText);
  }

  // Window lists are tens of entries: a linear search is all it takes.
  void UpdateExistingRows() {
    const int visits = rows.RowCount();
    int row = 0;
    for (int visit = 0; visit < visits; ++visit) {
      const TWinInfo* old = rows.Data(row);
      // A row left without a record by an earlier failure has no window to
      // ask about and nothing that End Task could act on.
      if (!old) {
        rows.DeleteRow(row);
        continue;
      }
      if (!isTaskWindow(old->Handle, old->WndClass, claimed)) {
        ++row;
        continue;
      }
      const int found = windows.IndexOf(HandleText(old->Handle));
      if (found < 0) {
        rows.DeleteRow(row);  // releases the row's record; the next row moves up
        continue;
      }
      const TWinInfo& fresh = *windows.Object(found);
      ShowIcon(row, fresh.Handle);
      rows.SetCaption(row, fresh.Caption);
      SetRunning(row);
      rows.SetData(row, windows.Extract(found));  // releases `old`
      ++row;
    }
  }

  void AppendNewRows() {
    int i = 0;
    while (i < windows.Count()) {
      const TWinInfo& fresh = *windows.Object(i);
      if (!isTaskWindow(fresh.Handle, fresh.WndClass, claimed)) {
        ++i;
        continue;
      }
      const int image = images.AddIcon(getWindowIcon(fresh.Handle));
      const int row = rows.AppendRow();
      rows.SetImageIndex(row, image);
      rows.SetCaption(row, fresh.Caption);
      rows.AppendSubItem(row, kRunningText);
      rows.SetData(row, windows.Extract(i));  // the next window moves up into i
    }
  }
};

// Drops pairs without a record, which no row could show or act on.
void DropEmptyPairs(TKeyedList<TWinInfo>& windows) {
  for (int i = windows.Count() - 1; i >= 0; --i)
    if (!windows.Object(i)) windows.Extract(i);
}

}  // namespace

void RefreshTaskRows(const TWindowListFiller& getWindowList,
                     const TTaskWindowFilter& isTaskWindow,
                     const TIconLookup& getWindowIcon,
                     ITaskRowModel& rows,
                     IImageSink& images) {
  // Both lists, and the records still in the window list, are released on
  // every way out of here.
  TKeyedList<TWinInfo> windows;
  TTextList claimed;
  getWindowList(windows);
  DropEmptyPairs(windows);
  images.Clear();

  TTaskRefresh refresh{windows, claimed, isTaskWindow, getWindowIcon, rows, images};
  rows.BeginUpdate();
  try {
    refresh.UpdateExistingRows();
    refresh.AppendNewRows();
  } catch (...) {
    rows.EndUpdate();
    throw;
  }
  rows.EndUpdate();
}

}  // namespace taskmgr
