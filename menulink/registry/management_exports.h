#pragma once
// Management exports, by name through menulink.def.

#include <windows.h>

#include <cstdint>

#include "menulink/registry/running_apps.h"

extern "C" {
void WINAPI GTGetModules(ModuleEnumCallback callback);
void WINAPI GTRegisterNewApp(const char* name);
void WINAPI GTUnregisterApp(const char* name);
int32_t WINAPI GTListUpdate(int32_t save);
int32_t WINAPI GTShutDown();
int32_t WINAPI GTDisableGlyphtap();
void WINAPI GTEnableGlyphtap();
int32_t WINAPI GTGetRunningApps(HWND owner);
}
