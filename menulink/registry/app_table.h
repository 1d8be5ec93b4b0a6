#pragma once
// Accessors of the shared application table. Each waits at most 5000 ms for
// "lxdirect_mutex" and releases it on every way out; none is called while
// the mutex is held by the caller (except through AppTableLock below).
// Index arguments outside the slots in use are refused with 0.

#include <windows.h>

#include <cstdint>

#include "menulink/registry/app_record.h"

// Appends a record parsed from a record text, enabled 1. 1, or 0 on a full
// table (message 320) or a failed wait.
int32_t AppTableAppendRecord(const char* recordText);

// Adds a record with enabled 0 and returns its slot; -1 on a failed wait or
// when the table is full with no free slot (message 320). The title comes
// from the window (GetAppTitle), "unknown" without one.
int32_t AppTableAdd(HWND hwnd, const char* module, const char* path);

// Sets *index to the first slot whose module (title) equals name ignoring
// case, or -1; a module name is compared as the table stores it, cut to 15
// characters. 1, or 0 on a failed wait with *index unchanged;
// AppTableFindByModule then shows message 317 with the name.
int32_t AppTableFindByModule(const char* module, int32_t* index);
int32_t AppTableFindByTitle(const char* title, int32_t* index);

// 1 when an enabled record may belong to module, read without the lock (a
// snapshot): the cheap test before a lookup that waits for the mutex.
int32_t AppTableMayServe(const char* module);

int32_t AppTableSetTitle(int32_t index, const char* text);
int32_t AppTableSetPath(int32_t index, const char* text);
// Copies the slot's path into buf (bufSize bytes, cut to fit; pass at least
// 264 to get any path whole).
int32_t AppTableGetPath(int32_t index, char* buf, DWORD bufSize = 264);
int32_t AppTableEnable(int32_t index);
int32_t AppTableDisable(int32_t index);
int32_t AppTableSetRunning(int32_t index);
int32_t AppTableClearRunning(int32_t index);

// enabled of the slot without taking the lock; 0 for an index out of range.
int32_t AppTableIsEnabled(int32_t index);

// Fills a fresh table from the registered-application list key.
int32_t AppTableLoadFromRegistry();

// For the exports that hold the mutex across a whole save or listing.
// Returns the wait result: WAIT_OBJECT_0 means the caller owns the mutex
// and must call AppTableUnlock; on WAIT_ABANDONED the ownership gained has
// already been given back, so that no process is left waiting for ever.
DWORD AppTableLock();
BOOL AppTableUnlock();

// Title under which an application is shown, from one of its windows' text.
void GetAppTitle(HWND hwnd, char* buf, int max);
