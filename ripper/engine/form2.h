// Form2, "Ripping and Encoding": the progress window of a session. Three
// bars (drawn rectangles whose width alone changes), a status line, the list
// of the session's lines and the ABORT/DONE button. One instance at a time;
// every call is a no-op while it is not loaded. Form2View shows a session
// in it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ripper/engine/session_host.h"

// Design width of the bars (Shape1), in twips.
constexpr float kBarDesignWidth = 3495.0f;

// Loads the window hidden, bars at 0, when it is not loaded. ABORT acts on
// host's flags and reader. False when the window cannot be created.
bool Form2Load(SessionHost& host);
bool Form2IsLoaded();
void Form2Unload();
// Shows it modeless, centred on the screen.
void Form2Show();

HWND Form2Window();
HWND Form2Button();

void Form2SetStatus(const std::wstring& text);
std::wstring Form2Status();
void Form2AddLine(const std::wstring& line);
std::vector<std::wstring> Form2Lines();
// bar: 1 = Shape1 (all tracks), 2 = Shape2 (this track), 3 = Shape3 (encoding).
void Form2SetBarWidth(int bar, float twips);
float Form2BarWidth(int bar);  // as set, in twips
int Form2BarPixels(int bar);   // as drawn
// Screen position of the window's outer top-left corner, in pixels.
void Form2SetPosition(int left, int top);
void Form2SetButtonCaption(const std::wstring& caption);
std::wstring Form2ButtonCaption();

// Command1's click: closes the window after a session ("DONE"), otherwise
// requests the abort of the running session and tells the user.
void AbortOrClose();

// The progress window as the session's view; main is the window hidden
// during the session (may be null).
class Form2View final : public SessionView {
 public:
  Form2View(SessionHost& host, HWND main) : host_(host), main_(main) {}
  bool Open() override;
  void SetStatus(const std::wstring& text) override { Form2SetStatus(text); }
  void AddLine(const std::wstring& line) override { Form2AddLine(line); }
  void SetBarWidth(int bar, float twips) override { Form2SetBarWidth(bar, twips); }
  void Tell(const std::wstring& text) override;
  bool WaitFor(const bool& flag) override;
  void Beep() override;
  void Ended() override;

 private:
  SessionHost& host_;
  HWND main_;
};

// Start's click handler on the real windows and disk: the session with
// Form2View and DiskSessionFiles. A quit that came while it waited is
// posted again for the main loop.
void RunSession(SessionHost& host, HWND main);

// Progress window life cycle as the main window drives it: prepared (loaded
// hidden, BarFullWidth taken, bars emptied) from InitDevices, unloaded from
// the main window's unload handler.
void ProgressWindowPrepare(SessionHost& host);
void ProgressWindowUnload();
