#include "menulink/registry/internals.h"

#include "menulink/registry/app_table.h"
#include "menulink/registry/error_messages.h"
#include "menulink/registry/persistence.h"

namespace {
int32_t GetPathAdapter(int32_t index, char* buf, DWORD size) { return AppTableGetPath(index, buf, size); }
int32_t InstallPathAdapter(const char* name, char* buf, DWORD size) {
  return GetInstallPath(name, buf, size);
}
int32_t UILanguageAdapter() { return GetUILanguage(); }

MenulinkInternalsTable internalsTable = {
    kInternalsVersion,   (int32_t)sizeof(MenulinkInternalsTable),
    nullptr,             &appTable,
    &processState,       AppTableAppendRecord,
    AppTableAdd,         AppTableFindByModule,
    AppTableFindByTitle, AppTableSetTitle,
    AppTableSetPath,     GetPathAdapter,
    AppTableEnable,      AppTableDisable,
    AppTableSetRunning,  AppTableClearRunning,
    AppTableIsEnabled,   AppTableLock,
    AppTableUnlock,      SaveAppListByValues,
    SaveAppListByKey,    InstallPathAdapter,
    FindIniAppNumber,    UILanguageAdapter,
    ShowErrorMessage,    LoadLocalString,
    GetAppTitle,         &sharedData,
};
}  // namespace

extern "C" const MenulinkInternalsTable* WINAPI MenulinkInternals() {
  // The state block's view is made at attach.
  internalsTable.shared = sharedState;
  return &internalsTable;
}
