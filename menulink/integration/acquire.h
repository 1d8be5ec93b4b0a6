#pragma once
// The two runs behind "Acquire Text..." and "Acquire Text Settings...",
// called from the subclass procedure's WM_COMMAND on the application's
// user-interface thread.

#include <windows.h>

#include <cstdint>

// Recognises a page through the OCR server and pastes the text into the
// application. 0 after a completed run, -1 after a failed step, the HRESULT
// when OLE or the client could not be set up.
int32_t AcquireText(HWND hwnd, int32_t appIndex);

// Opens the OCR application's options dialog. 1 after the dialog ran, else 0.
int32_t AcquireTextSettings(HWND hwnd, int32_t appIndex);

// Posts the application's own Edit > Paste to the subclassed window (or says
// there is no document open). Always 0.
int32_t PasteIntoApplication();

// Creates or deletes the marker key that exists while the server starts.
void SetLaunchMarker(bool on);

// How long the runs wait for the server to become idle, in milliseconds.
void SetBusyPollLimit(uint32_t ms);
