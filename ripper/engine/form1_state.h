// Window-level state of the main window that the session, the progress
// window and the CDDB flow share. 16-bit booleans hold -1 for true, 0 for
// false; only -1 counts as set.
#pragma once
#include <cstdint>

constexpr int16_t kVbTrue = -1;
constexpr int16_t kVbFalse = 0;

struct Form1State {
  int16_t BitRate = 128;
  int16_t UseCddb = kVbFalse;
  float BarFullWidth = 0.0f;  // twips; full width of the progress bars
  // Session fields.
  bool OperationDone = false;
  int16_t AbortRequested = kVbFalse;
  int16_t SelectedTotal = 0;
  int16_t SelectedOrdinal = 0;
  int16_t EncodeStatus = 0;
  int16_t ReadFailed = kVbFalse;
};
