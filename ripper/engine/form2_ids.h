// Window class and control identifiers of the progress window, shared with
// the end-to-end driver that finds them from outside the process.
#pragma once

#define WQ_FORM2_CLASS L"wavequill.Form2"

enum Form2ControlId {
  kIdForm2Command1 = 101,  // ABORT / DONE
  kIdForm2Text1,           // status line
  kIdForm2List1,           // the session's lines
};
