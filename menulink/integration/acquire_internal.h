#pragma once
// Steps shared by the acquire-text and settings runs.

#include <windows.h>

#include <cstdint>

#include "menulink/integration/ocr_client.h"

enum class ServerStart { Ready, CreateFailed, NeverIdle };

// Puts up the launch marker, creates the client and waits until the server
// is idle, then takes the marker down. Ready: *client is set. CreateFailed:
// *hr holds the HRESULT. NeverIdle: the client was released again.
ServerStart StartIdleServer(OcrClient** client, HRESULT* hr);

// Wait limit of StartIdleServer, in milliseconds.
void SetBusyPollLimit(uint32_t ms);

void SetAcquireBusy(int32_t value);
