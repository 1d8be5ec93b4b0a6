// The main window: drive and track lists, bit-rate menu, output folder and
// prefix, and the host of the three components.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ripper/engine/session_host.h"
#include "ripper/ui/options_menu.h"

struct Form1Components {
  std::unique_ptr<CdReader> reader;            // ACD1
  std::unique_ptr<Mp3Encoder> encoder;         // Mp3Enc1
  // More instances, so that a session encodes several tracks at once.
  std::vector<std::unique_ptr<Mp3Encoder>> moreEncoders;
  std::unique_ptr<CddbClient> cddb;            // CdBase1
  std::unique_ptr<AccurateRipDb> accurateRip;  // may be absent: no verification then
};

class Form1 final : public SessionHost,
                    public CdReaderEvents,
                    public Mp3EncoderEvents,
                    public AccurateRipEvents {
 public:
  explicit Form1(Form1Components components);
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Creates the window hidden and runs the load handler. False when the
  // program must end (the window is gone then).
  bool Load();
  // The command line's Options for this run; before Load.
  void SetRunOptions(const RunOptions& run) { options_.SetRunOptions(run); }
  void Show();
  HWND Hwnd() const { return hwnd_; }
  // The one main window, for the dialogs that read or refresh it.
  static Form1* Instance();

  // SessionHost
  Form1State& State() override { return state_; }
  CdReader& Reader() override { return *components_.reader; }
  Mp3Encoder& Encoder() override { return *components_.encoder; }
  CddbClient& Cddb() override { return *components_.cddb; }
  int EncoderSlots() override { return 1 + static_cast<int>(components_.moreEncoders.size()); }
  Mp3Encoder& SlotEncoder(int slot) override;
  int TrackListCount() override;
  bool TrackListSelected(int index) override;
  int TrackListSelectedCount() override;
  std::wstring OutputFolder() override;
  std::wstring Prefix() override;
  RipOptions Options() override;
  AccurateRipDb* AccurateRip() override { return components_.accurateRip.get(); }

  // CdReaderEvents / Mp3EncoderEvents: forwarded to the session.
  void ReadProgress(int32_t perMille) override;
  void ReadDone() override;
  void ReadError(int32_t code, const std::wstring& message) override;
  void EncodeProgress(int32_t amountDone) override;
  void EncodeDone() override;
  // AccurateRipEvents: forwarded to the session.
  void LookupDone() override;

  // Routines the CDDB flow and the Make Directory dialog use.
  void LoadTrackList();
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  bool RefreshDir1();

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  HWND AddControl(int id, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
                  int containerLeft, int containerTop, int left, int top, int width, int height);
  HMENU CreateBitRateMenu();
  // Places every control at its twips position at dpi_, in the font of
  // that DPI, grows what does not fit and sizes the window around it.
  void Layout();
  void OnDpiChanged(int dpi, const RECT& suggested);

  bool FormLoad();
  bool InitDevices();
  void Unload();
  bool ReportReaderError(const std::wstring& what);

  void OnCommand(int id, int code);
  void Drive1Change();
  void Dir1Open();
  void List2DblClick();
  void Command1Click();
  void Command2Click();
  void Command3Click();
  void Command4Click();
  void Command5Click();
  void Command6Click();
  void Command7Click();
  void BitRateClick(int index);
  void UnloadMakeDirDialog();
  void UnloadAboutBox();

  Form1Components components_;
  // The events of encoder slot s + 1 carry their slot to the session.
  struct SlotEvents final : Mp3EncoderEvents {
    SlotEvents(Form1& f, int s) : form(f), slot(s) {}
    void EncodeProgress(int32_t amountDone) override;
    void EncodeDone() override;
    Form1& form;
    int slot;
  };
  std::vector<std::unique_ptr<SlotEvents>> slotEvents_;
  Form1State state_;
  HWND hwnd_ = nullptr;
  HMENU bitRateMenu_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH yellow_ = nullptr;
  int dpi_ = 96;
  struct Placed {
    int id, left, top, width, height;  // twips in the window's client area
  };
  std::vector<Placed> placed_;
  std::wstring lastDriveRoot_;
  OptionsMenu options_;
  int16_t chosenDrive_ = 1;  // the drive the reader has selected
};
