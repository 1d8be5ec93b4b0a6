// Window class and control identifiers of the main window, shared with the
// end-to-end driver that finds the controls from outside the process.
#pragma once

#define WQ_FORM1_CLASS L"wavequill.Form1"

// Kept clear of IDOK/IDCANCEL, which dialog navigation sends on Enter/Esc.
enum Form1ControlId {
  kIdFrame1 = 1001,
  kIdList1,
  kIdFrame2,
  kIdList2,
  kIdText1,
  kIdFrame3,
  kIdDrive1,
  kIdDir1,
  kIdText2,
  kIdFrame4,
  kIdCommand1,  // Start
  kIdCommand3,  // Make Dir
  kIdCommand4,  // Stop
  kIdCommand5,  // Play
  kIdCommand6,  // Quit
  kIdCommand2,  // About
  kIdCommand7,  // Use CDDB
};

// Menu command of the "Bitrate" item with index i (2..14).
constexpr int kMenuBitRateBase = 100;
constexpr int BitRateMenuId(int index) { return kMenuBitRateBase + index; }

constexpr int kIconId = 1;
