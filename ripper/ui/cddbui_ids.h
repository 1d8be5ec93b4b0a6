// Control identifiers of the wait box, Make Directory and About, shared
// with the tests that drive them.
#pragma once

#define WQ_FORM3_CLASS L"wavequill.Form3"

enum CddbUiControlId {
  kIdForm3Label1 = 4001,
  kIdForm4Text1 = 4101,
  kIdForm4Command1,  // Make Dir
  kIdForm4Command2,  // Abort
  kIdAboutImage1 = 4201,
  kIdAboutLabel1,
  kIdAboutLabel2,
  kIdAboutLabel4,
  kIdAboutEmail,
  kIdAboutSysInfo,  // cmdOK is IDOK, so that Enter and Esc reach it
};
