// Accessors of the shared table. Each takes the mutex for one call only and
// never shows a message box while holding it, so that a box waiting for
// the user cannot make every other process time out.

#include "menulink/registry/app_table.h"

#include <cstring>

#include "menulink/registry/error_messages.h"
#include "menulink/registry/module_names.h"
#include "menulink/registry/persistence.h"
#include "menulink/registry/record_text.h"
#include "menulink/registry/shared_data.h"
#include "menulink/registry/string_ids.h"

DWORD AppTableLock() {
  if (!tableMutex || !appTable || !sharedState) return WAIT_FAILED;
  DWORD r = WaitForSingleObject(tableMutex, kTableWaitMs);
  // An abandoned wait owns the mutex: give it back, or it would stay owned
  // by a thread that no longer waits for it and every other process would
  // time out for ever.
  if (r == WAIT_ABANDONED) ReleaseMutex(tableMutex);
  return r;
}

BOOL AppTableUnlock() { return tableMutex ? ReleaseMutex(tableMutex) : FALSE; }

namespace {

// Releases on every way out of an accessor.
class TableGuard {
 public:
  TableGuard() : owned_(AppTableLock() == WAIT_OBJECT_0) {}
  ~TableGuard() {
    if (owned_) AppTableUnlock();
  }
  TableGuard(const TableGuard&) = delete;
  TableGuard& operator=(const TableGuard&) = delete;
  bool owned() const { return owned_; }
  void Release() {
    if (owned_) AppTableUnlock();
    owned_ = false;
  }

 private:
  bool owned_;
};

int32_t UsedSlots() {
  int32_t n = sharedState->appCount;
  return n < 0 ? 0 : (n > MAX_APPS ? MAX_APPS : n);
}

bool SlotInUse(int32_t index) { return index >= 0 && index < UsedSlots(); }

// Copies a table field that may lack its terminator.
void CopyField(char* dst, std::size_t dstSize, const char* field, std::size_t fieldSize) {
  if (dstSize == 0) return;
  std::size_t n = strnlen(field, fieldSize);
  if (n > dstSize - 1) n = dstSize - 1;
  std::memcpy(dst, field, n);
  dst[n] = '\0';
}

bool FieldEqualsNoCase(const char* field, std::size_t fieldSize, const char* name) {
  char value[kPathSize + 1];
  CopyField(value, sizeof value, field, fieldSize);
  return lstrcmpiA(value, name) == 0;
}

// The first used slot whose field (module or title) equals name ignoring
// case, -1 for none. Called with the lock held.
template <std::size_t N>
int32_t FindSlot(char (AppRecord::*field)[N], const char* name) {
  for (int32_t i = 0; i < UsedSlots(); ++i)
    if (FieldEqualsNoCase(appTable[i].*field, N, name)) return i;
  return -1;
}

template <typename Change>
int32_t ChangeSlot(int32_t index, Change change) {
  TableGuard guard;
  if (!guard.owned()) return 0;
  if (!SlotInUse(index)) return 0;
  change(appTable[index]);
  return 1;
}

}  // namespace

namespace {

// Called with the lock held and a free slot at appCount.
void AppendRecordLocked(const char* recordText) {
  AppRecord& rec = appTable[UsedSlots()];
  ParseRecordText(recordText ? recordText : "", rec);
  sharedState->appCount = UsedSlots() + 1;
}

}  // namespace

int32_t AppTableAppendRecord(const char* recordText) {
  if (!sharedState || sharedState->appCount >= MAX_APPS) {
    ReportMemoryConflict();
    return 0;
  }
  TableGuard guard;
  if (!guard.owned()) return 0;
  // Another process may have filled the table since the test above.
  if (sharedState->appCount >= MAX_APPS) {
    guard.Release();
    ReportMemoryConflict();
    return 0;
  }
  AppendRecordLocked(recordText);
  return 1;
}

int32_t AppTableAdd(HWND hwnd, const char* module, const char* path) {
  // The window text is read before the wait: reading it may send
  // WM_GETTEXT to another thread that is itself waiting for the mutex.
  char title[kTitleSize];
  if (hwnd)
    GetAppTitle(hwnd, title, (int)sizeof title);
  else
    CopyBounded(title, sizeof title, "unknown");
  if (title[0] == '\0') CopyBounded(title, sizeof title, "unknown");

  TableGuard guard;
  if (!guard.owned()) return -1;

  int32_t slot = -1;
  int32_t used = UsedSlots();
  if (used < MAX_APPS) {
    slot = used;
  } else {
    for (int32_t i = 0; i < MAX_APPS; ++i) {
      if (appTable[i].enabled == 0 && appTable[i].running == 0) {
        slot = i;
        break;
      }
    }
  }
  if (slot < 0) {
    guard.Release();
    ReportMemoryConflict();
    return -1;
  }

  AppRecord& rec = appTable[slot];
  int32_t running = rec.running;
  std::memset(&rec, 0, sizeof rec);
  CopyBounded(rec.module, sizeof rec.module, module ? module : "");
  CopyBounded(rec.path, sizeof rec.path, path ? path : "");
  CopyBounded(rec.title, sizeof rec.title, title);
  rec.enabled = 0;
  rec.running = running;
  if (slot == used) sharedState->appCount = used + 1;
  return slot;
}

int32_t AppTableFindByModule(const char* module, int32_t* index) {
  // Stored names are cut to the field: compare on the cut form, or a long
  // file name would never find its own record.
  char name[kModuleSize];
  FitModuleName(name, sizeof name, module ? module : "");
  {
    TableGuard guard;
    if (guard.owned()) {
      if (index) *index = FindSlot(&AppRecord::module, name);
      return 1;
    }
  }
  ShowErrorMessage(nullptr, IDS_ERR_REGISTER, module ? module : "");
  return 0;
}

int32_t AppTableMayServe(const char* module) {
  if (!appTable) return 0;
  char name[kModuleSize];
  FitModuleName(name, sizeof name, module ? module : "");
  for (int32_t i = 0; i < UsedSlots(); ++i) {
    const AppRecord& rec = appTable[i];
    if (rec.enabled && FieldEqualsNoCase(rec.module, sizeof rec.module, name)) return 1;
  }
  return 0;
}

int32_t AppTableFindByTitle(const char* title, int32_t* index) {
  const char* name = title ? title : "";
  TableGuard guard;
  if (!guard.owned()) return 0;
  if (index) *index = FindSlot(&AppRecord::title, name);
  return 1;
}

int32_t AppTableSetTitle(int32_t index, const char* text) {
  return ChangeSlot(index, [&](AppRecord& r) { CopyBounded(r.title, sizeof r.title, text ? text : ""); });
}

int32_t AppTableSetPath(int32_t index, const char* text) {
  return ChangeSlot(index, [&](AppRecord& r) { CopyBounded(r.path, sizeof r.path, text ? text : ""); });
}

int32_t AppTableGetPath(int32_t index, char* buf, DWORD bufSize) {
  if (!buf || bufSize == 0) return 0;
  return ChangeSlot(index, [&](AppRecord& r) { CopyField(buf, bufSize, r.path, sizeof r.path); });
}

int32_t AppTableEnable(int32_t index) {
  return ChangeSlot(index, [](AppRecord& r) { r.enabled = 1; });
}

int32_t AppTableDisable(int32_t index) {
  return ChangeSlot(index, [](AppRecord& r) { r.enabled = 0; });
}

int32_t AppTableSetRunning(int32_t index) {
  return ChangeSlot(index, [](AppRecord& r) { r.running = 1; });
}

int32_t AppTableClearRunning(int32_t index) {
  return ChangeSlot(index, [](AppRecord& r) { r.running = 0; });
}

int32_t AppTableIsEnabled(int32_t index) {
  if (!appTable || index < 0 || index >= MAX_APPS) return 0;
  return appTable[index].enabled;
}

int32_t AppTableLoadFromRegistry() {
  // The decision and the load are made under the mutex, so that of two
  // libraries (one per width) arriving together exactly one reads the
  // registry, and neither serves a half-filled table. Once set, the flag
  // stays set while the block lives: a later library reads it without
  // waiting, so that it loads even while another process holds the table.
  if (!sharedState) return 0;
  if (std::atomic_ref<int32_t>(sharedState->tableLoaded).load()) return 1;
  TableGuard guard;
  if (!guard.owned()) return 0;
  if (sharedState->tableLoaded) return 1;
  // A fresh table, or what a load that failed left behind: start empty.
  std::memset(appTable, 0, kAppTableBytes);
  sharedState->appCount = 0;
  bool full = false;
  HKEY key = nullptr;
  if (RegistryOpenKey(HKEY_CURRENT_USER, kDirectKey, &key)) {
    for (int n = 1;; ++n) {
      char name[16];
      wsprintfA(name, "App_%d", n);
      char text[kRecordTextSize];
      if (!RegistryReadString(key, name, text, sizeof text)) break;
      if (UsedSlots() >= MAX_APPS) {
        full = true;
        break;
      }
      AppendRecordLocked(text);
    }
    RegistryCloseKey(key);
  }
  if (full) {
    // Not loaded: the next library to attach tries again.
    guard.Release();
    ReportMemoryConflict();
    return 0;
  }
  std::atomic_ref<int32_t>(sharedState->tableLoaded).store(1);
  return 1;
}

void GetAppTitle(HWND hwnd, char* buf, int max) {
  if (!buf || max <= 0) return;
  buf[0] = '\0';
  GetWindowTextA(hwnd, buf, max);
  ApplyTitleRule(buf, (std::size_t)max);
}
