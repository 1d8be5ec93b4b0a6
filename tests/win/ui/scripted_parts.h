// Scripted components for hosting the real main window in-process, and a
// way to act on a modal dialog from inside its own message loop.
#pragma once
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ripper/engine/cd_reader.h"
#include "ripper/engine/cddb_client.h"
#include "ripper/engine/mp3_encoder.h"
#include "ripper/engine/user_message.h"

struct ScriptedReader : CdReader {
  int16_t aspiStatus = 0;
  std::vector<std::wstring> drives = {L"Scripted drive"};
  std::vector<int32_t> trackMs = {245000, 62000, 59000};  // of every drive's disc
  std::wstring selectError, trackCountError;
  std::vector<int16_t> selected;
  std::vector<std::vector<int16_t>> plays;  // track, from, flag
  int stops = 0;
  std::wstring last;

  void SetEvents(CdReaderEvents*) override {}
  int16_t InitAspi() override { return aspiStatus; }
  int16_t DriveCount() override { return int16_t(drives.size()); }
  std::wstring DriveDescription(int16_t d) override {
    return d >= 1 && size_t(d) <= drives.size() ? drives[size_t(d) - 1] : L"";
  }
  void SelectDrive(int16_t d) override {
    selected.push_back(d);
    last = selectError;
  }
  int16_t TrackCount() override {
    last = trackCountError;
    return last.empty() ? int16_t(trackMs.size()) : 0;
  }
  int32_t TrackLength(int16_t t) override {
    last.clear();
    return trackMs.at(size_t(t) - 1);
  }
  int16_t PlayTrack(int16_t t, int16_t from, int16_t flag) override {
    plays.push_back({t, from, flag});
    last = t == 0 ? L"no track 0" : L"";
    return 0;
  }
  void StopPlay() override {
    ++stops;
    last.clear();
  }
  void BeginSession() override {}
  int16_t ReadTrackToWav(int16_t, const std::wstring&) override { return 1; }
  void AbortRead() override {}
  void EndSession() override {}
  std::wstring LastError() override { return last; }
  bool SelectedToc(DiscToc&) override { return false; }
  void SetReadOptions(const ReadOptions&) override {}
  TrackProof LastTrackProof() override { return {}; }
};

struct IdleEncoder : Mp3Encoder {
  void SetEvents(Mp3EncoderEvents*) override {}
  void SetBitRateKbit(int16_t) override {}
  int16_t SetFiles(const std::wstring&, const std::wstring&) override { return 1; }
  void StartEncoding() override {}
  void AbortEncoding() override {}
  int32_t ProgressTotal() override { return 1; }
};

// Records every call; DiscTitle runs a check of what is on the screen.
struct ScriptedCddb : CddbClient {
  std::vector<std::wstring> calls;
  std::wstring title = L"Artist / Album";
  std::vector<std::wstring> titles = {L"One", L"Two"};
  std::wstring error;  // non-empty: the lookup fails
  std::function<void()> duringLookup;

  void SetClientName(const std::wstring& n) override { calls.push_back(L"ClientName=" + n); }
  void SetConnection(const std::wstring& s) override { calls.push_back(L"Connection=" + s); }
  std::wstring DiscTitle() override {
    calls.push_back(L"DiscTitle");
    if (duringLookup) duringLookup();
    return error.empty() ? title : L"";
  }
  int16_t CddbTrackCount() override {
    calls.push_back(L"CddbTrackCount");
    return int16_t(titles.size());
  }
  std::wstring TrackTitle(int16_t& t) override {
    calls.push_back(L"TrackTitle " + std::to_wstring(t));
    return t >= 1 && size_t(t) <= titles.size() ? titles[size_t(t) - 1] : L"";
  }
  void SetEmail(const std::wstring&) override {}
  std::wstring LastError() override { return error; }
};

// The main window posts WM_QUIT when it is destroyed; the next test's
// modal loops would end at once on it.
// A list box's entries, top to bottom.
inline std::vector<std::wstring> ListItems(HWND list) {
  std::vector<std::wstring> out;
  const int n = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::wstring s(size_t(std::max<LRESULT>(SendMessageW(list, LB_GETTEXTLEN, i, 0), 0)) + 1, L'\0');
    s.resize(
        size_t(std::max<LRESULT>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data())), 0)));
    out.push_back(s);
  }
  return out;
}

// Message boxes answered with OK, their texts kept.
inline void CaptureMessages(std::vector<std::wstring>& texts) {
  SetUserMessageHook([&texts](const std::wstring& text, UINT) {
    texts.push_back(text);
    return IDOK;
  });
}

inline void DropQuit() {
  MSG m;
  while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

// What a click on the button sends to its parent. BM_CLICK depends on
// mouse capture, which a window that is not in the foreground may not get.
inline void ClickButton(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// Calls act(dialog) from a timer inside the modal loop of open(), once
// find() returns a window; ends the dialog with stop() if act left it open
// for 5 s. Returns false when the dialog never appeared or had to be
// stopped.
inline bool WithModal(const std::function<void()>& open, const std::function<HWND()>& find,
                      const std::function<void(HWND)>& act, const std::function<void()>& stop) {
  struct Ctx {
    std::function<HWND()> find;
    std::function<void(HWND)> act;
    std::function<void()> stop;
    bool acted = false, stopped = false;
    DWORD start = 0;
  };
  static Ctx* ctx = nullptr;
  Ctx c{find, act, stop, false, false, GetTickCount()};
  ctx = &c;
  UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
    if (!ctx) return;
    HWND d = ctx->find();
    if (d && !ctx->acted) {
      ctx->acted = true;
      ctx->act(d);
    } else if (GetTickCount() - ctx->start > 5000 && !ctx->stopped) {
      ctx->stopped = true;
      ctx->stop();
    }
  });
  open();
  KillTimer(nullptr, timer);
  ctx = nullptr;
  return c.acted && !c.stopped;
}
