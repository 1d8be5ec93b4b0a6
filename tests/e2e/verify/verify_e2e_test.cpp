// Verified rips in wavequill under Wine: the Options menu and its stored
// settings, then sessions against the stand-in AccurateRip server that
// run.sh starts, on discs it made. Checksums to expect come from the oracle
// and zlib through expected.txt, never from wavequill's own code.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "ripper/engine/form2_ids.h"
#include "ripper/ui/form1_ids.h"
#include "ripper/ui/options_menu.h"
#include "ripper/ui/read_offset_dialog.h"
#include "tests/e2e/harness/e2e_harness.h"
#include "tests/e2e/harness/wavequill_test.h"
#include "tests/win/common/saved_registry_key.h"

namespace {

const std::wstring kCaption = L"wavequill";
const std::wstring kDiscs = L"C:\\wq-verify-e2e-discs";
const std::wstring kOutName = L"wq-verify-e2e";
const std::wstring kOut = L"C:\\" + kOutName;

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }
std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring Base() {
  char buf[256] = {};
  GetEnvironmentVariableA("WQ_AR_BASE", buf, sizeof buf);
  return Wide(buf);
}

// expected.txt: "NAME disc dBAR-..." and "NAME NN V1 V2 CRC".
struct TrackSums {
  std::string v1, v2, crc;
};
struct DiscSums {
  std::string name;
  std::map<int, TrackSums> tracks;
};
std::map<std::string, DiscSums> Expected() {
  std::map<std::string, DiscSums> out;
  std::ifstream in(Narrow(kDiscs + L"\\expected.txt"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::string disc, what;
    f >> disc >> what;
    if (what == "disc") {
      f >> out[disc].name;
    } else {
      TrackSums t;
      f >> t.v1 >> t.v2 >> t.crc;
      out[disc].tracks[std::stoi(what)] = t;
    }
  }
  return out;
}

std::string Hex8(uint32_t v) {
  char b[9];
  snprintf(b, sizeof b, "%08X", v);
  return b;
}

std::vector<std::string> LogLines() { return e2e::LogLines(kOut + L"\\trackforge.log"); }

// The lines between "Starting Session" and "Ending Session".
std::vector<std::string> Middle(const std::vector<std::string>& log) {
  if (log.size() < 3) return {};
  return std::vector<std::string>(log.begin() + 1, log.end() - 2);
}

bool StartsWith(const std::string& s, const std::string& p) { return s.rfind(p, 0) == 0; }

class Verify : public e2e::WavequillTest {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Base().empty()) << "WQ_AR_BASE not set (run through run.sh)";
    sums = Expected();
    ASSERT_EQ(sums.size(), 2u) << "expected.txt incomplete";
    DeleteFileW((kOut + L"\\trackforge.log").c_str());
  }

  // wavequill with one disc image, verification against mode's server.
  void Start(const std::wstring& disc, const std::wstring& mode, const std::wstring& more) {
    ASSERT_TRUE(proc.Start(BinDir() + L"\\wavequill.exe", L"--disc-image \"" + kDiscs + L"\\" + disc +
                                                              L".cue\" --accuraterip-server " + Base() +
                                                              L"/" + mode + L"/accuraterip " + more));
    form = proc.WaitTopWindow(WQ_FORM1_CLASS);
    ASSERT_NE(form, nullptr);
    ASSERT_NO_FATAL_FAILURE(OpenOutputFolder(kOutName));
    ASSERT_TRUE(e2e::DoubleClickListItem(Ctl(kIdList2), 0));
    ASSERT_TRUE(e2e::WaitFor([&] { return SendMessageW(Ctl(kIdList1), LB_GETCOUNT, 0, 0) == 3; }));
  }
  void Select(std::vector<int> indices) {
    for (int i : indices) ASSERT_TRUE(e2e::ClickListItem(Ctl(kIdList1), i));
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ListBoxSelection(Ctl(kIdList1)) == indices; }));
  }
  // Runs the session to DONE; the log's middle, after checking that the
  // progress list shows the same lines.
  std::vector<std::string> Rip(DWORD timeoutMs = 120000) {
    e2e::Click(Ctl(kIdCommand1));
    form2 = proc.WaitTopWindow(WQ_FORM2_CLASS, 15000);
    if (!form2) return {"no progress window"};
    HWND button = GetDlgItem(form2, kIdForm2Command1);
    if (!e2e::WaitFor([&] { return e2e::Text(button) == L"DONE"; }, timeoutMs)) return {"no DONE"};
    std::vector<std::string> log = LogLines(), list;
    for (const auto& l : e2e::ListBoxItems(GetDlgItem(form2, kIdForm2List1))) list.push_back(Narrow(l));
    EXPECT_FALSE(log.empty());
    if (!log.empty()) {
      EXPECT_EQ(list, std::vector<std::string>(log.begin(), log.end() - 1));
    }
    return Middle(log);
  }
  std::string Found(const std::string& disc) {
    return "AccurateRip: " + sums[disc].name + " found in the database";
  }
  std::string Accurate(const std::string& disc, int t) {
    return "Track 0" + std::to_string(t) + ": accurately ripped (confidence 12, AccurateRip v2 " +
           sums[disc].tracks[t].v2 + ")";
  }
  std::string V1V2(const std::string& disc, int t) {
    return "v1 " + sums[disc].tracks[t].v1 + ", v2 " + sums[disc].tracks[t].v2;
  }

  std::map<std::string, DiscSums> sums;
  HWND form2 = nullptr;
};

std::string Read(int t, int left) {
  return "Reading Track  0" + std::to_string(t) + ",   0" + std::to_string(left) + " Track(s) left";
}
std::string Enc(int t, int left) {
  return "Encoding Track 0" + std::to_string(t) + ",   0" + std::to_string(left) + " Track(s) left";
}

// Two tracks the database holds, one it holds with another checksum.
TEST_F(Verify, MatchesAndANonMatch) {
  Start(L"plain", L"ok", L"--verify --read-offset 0");
  Select({0, 1, 2});
  const std::vector<std::string> m = Rip();
  // make_bin --wrong stores track 2's checksum XOR 00A5A5A5.
  const std::string held = Hex8(uint32_t(std::stoul(sums["plain"].tracks[2].v2, nullptr, 16)) ^ 0x00A5A5A5u);
  EXPECT_EQ(m, (std::vector<std::string>{
                   Found("plain"), Read(1, 3), Enc(1, 3), Accurate("plain", 1), Read(2, 2), Enc(2, 2),
                   "Track 02: not accurate (" + V1V2("plain", 2) + "; the database holds " + held + ")",
                   Read(3, 1), Enc(3, 1), Accurate("plain", 3), "2 of 3 tracks accurately ripped"}));
}

TEST_F(Verify, DiscNotInTheDatabase) {
  Start(L"plain", L"notfound", L"--verify --read-offset 0");
  Select({0});
  EXPECT_EQ(Rip(), (std::vector<std::string>{
                       "AccurateRip: " + sums["plain"].name + " is not in the database", Read(1, 1),
                       Enc(1, 1), "Track 01: not in the AccurateRip database (" + V1V2("plain", 1) + ")",
                       "0 of 1 tracks accurately ripped"}));
}

// A server that never answers and one that answers nonsense: one line
// each, and the rip goes on without a verdict.
TEST_F(Verify, HungAndGarbledServers) {
  for (const wchar_t* mode : {L"hang", L"garbage"}) {
    Start(L"plain", mode, L"--verify --read-offset 0");
    Select({0});
    const DWORD t0 = GetTickCount();
    const std::vector<std::string> m = Rip();
    const DWORD took = GetTickCount() - t0;
    ASSERT_EQ(m.size(), 5u) << Narrow(mode);
    EXPECT_TRUE(StartsWith(m[0], "AccurateRip: the lookup failed: ")) << m[0];
    EXPECT_GT(m[0].size(), std::string("AccurateRip: the lookup failed: ").size());
    EXPECT_EQ(m[3], "Track 01: not verified, the AccurateRip lookup failed (" + V1V2("plain", 1) + ")");
    EXPECT_EQ(m[4], "0 of 1 tracks accurately ripped");
    EXPECT_GT(GetFileAttributesW((kOut + L"\\Track01.mp3").c_str()), 0u);
    // The lookup's bound is 10 s; the rip of 10 s of audio takes a few more.
    EXPECT_LT(took, 40000u) << Narrow(mode);
    TearDown();
    form = nullptr;
    DeleteFileW((kOut + L"\\trackforge.log").c_str());
  }
}

// ABORT while the server hangs ends the lookup at once.
TEST_F(Verify, AbortWhileTheServerHangs) {
  Start(L"plain", L"hang", L"--verify --read-offset 0");
  Select({0});
  e2e::Click(Ctl(kIdCommand1));
  form2 = proc.WaitTopWindow(WQ_FORM2_CLASS, 15000);
  ASSERT_NE(form2, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] {
    return e2e::Text(GetDlgItem(form2, kIdForm2Text1)) == L"Looking up the disc in the AccurateRip database";
  }));
  const DWORD t0 = GetTickCount();
  e2e::Click(GetDlgItem(form2, kIdForm2Command1));
  std::wstring text;
  ASSERT_TRUE(e2e::WaitMessageBox(proc, kCaption, &text));
  EXPECT_EQ(text, L"Ripping and Encoding Aborted");
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::Text(GetDlgItem(form2, kIdForm2Command1)) == L"DONE"; }, 5000));
  EXPECT_LT(GetTickCount() - t0, 5000u);
  EXPECT_EQ(Middle(LogLines()), std::vector<std::string>{"AccurateRip Lookup Aborted"});
}

// A drive that reads 6 samples late: right at correction +6; at 0 nothing
// matches and the log names the offset.
TEST_F(Verify, DriveOffsetCorrectedAndProposed) {
  Start(L"offset6", L"ok", L"--verify --read-offset 6");
  Select({0, 1, 2});
  std::vector<std::string> m = Rip();
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m.back(), "2 of 3 tracks accurately ripped");
  EXPECT_NE(std::find(m.begin(), m.end(), Accurate("plain", 1)), m.end());
  EXPECT_NE(std::find(m.begin(), m.end(), Accurate("plain", 3)), m.end());
  TearDown();

  DeleteFileW((kOut + L"\\trackforge.log").c_str());
  Start(L"offset6", L"ok", L"--verify --read-offset 0");
  Select({0, 1, 2});
  m = Rip();
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[m.size() - 2], "0 of 3 tracks accurately ripped");
  EXPECT_EQ(m.back(), "the drive's read offset seems to be +6; set it in Options > Read offset");
  for (int t = 1; t <= 3; ++t)
    EXPECT_NE(std::find_if(m.begin(), m.end(),
                           [&](const std::string& l) {
                             return StartsWith(l, "Track 0" + std::to_string(t) + ": not accurate (");
                           }),
              m.end())
        << t;
}

// Sectors of track 2 that read wrong twice are read again until two reads
// agree: the true audio (zlib's CRC, the oracle's checksum). Sectors that
// never read alike are marked, and the track is encoded but not counted.
TEST_F(Verify, SecureReadingOverFaults) {
  Start(L"flaky", L"ok", L"--secure --verify --read-offset 0");
  Select({0, 1, 2});
  std::vector<std::string> m = Rip();
  const std::string crc2 = sums["faults"].tracks[2].crc;
  EXPECT_EQ(m.back(), "3 of 3 tracks accurately ripped");
  auto line = std::find_if(m.begin(), m.end(),
                           [](const std::string& l) { return StartsWith(l, "Track 02: test CRC "); });
  ASSERT_NE(line, m.end());
  EXPECT_NE(line->find(", copy CRC " + crc2 + ", OK"), std::string::npos) << *line;
  EXPECT_EQ(*(line + 1), Accurate("faults", 2));
  EXPECT_NE(std::find(m.begin(), m.end(),
                      "Track 01: test CRC " + sums["faults"].tracks[1].crc + ", copy CRC " +
                          sums["faults"].tracks[1].crc + ", OK"),
            m.end());
  TearDown();

  DeleteFileW((kOut + L"\\trackforge.log").c_str());
  DeleteFileW((kOut + L"\\Track02.mp3").c_str());
  Start(L"random", L"ok", L"--secure --verify --read-offset 0");
  Select({0, 1, 2});
  m = Rip();
  EXPECT_EQ(m.back(), "2 of 3 tracks accurately ripped");
  line = std::find_if(m.begin(), m.end(),
                      [](const std::string& l) { return StartsWith(l, "Track 02: test CRC "); });
  ASSERT_NE(line, m.end());
  EXPECT_NE(line->find("suspicious"), std::string::npos) << *line;
  ASSERT_NE(line + 1, m.end());
  // Sectors 1100..1109, 350 sectors into track 2 (or 200 counting the lead-in): 0:04 or 0:02.
  EXPECT_TRUE(StartsWith(*(line + 1), "Track 02: suspicious position 0:0")) << *(line + 1);
  EXPECT_NE(std::find_if(line, m.end(),
                         [](const std::string& l) { return StartsWith(l, "Track 02: not accurate ("); }),
            m.end());
  EXPECT_NE(GetFileAttributesW((kOut + L"\\Track02.mp3").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The Options menu after Bitrate; its checks and the drive's offset kept in
// HKCU\Software\wavequill; the command line's options not kept; bad stored
// values ignored.
class Options : public Verify {
 protected:
  void SetUp() override {
    saved = SavedRegistryKey(HKEY_CURRENT_USER, "Software\\wavequill");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\wavequill");
  }
  void TearDown() override {
    Verify::TearDown();
    saved.Restore();
  }
  void StartPlain(const std::wstring& more = L"") {
    ASSERT_TRUE(
        proc.Start(BinDir() + L"\\wavequill.exe", L"--disc-image \"" + kDiscs + L"\\plain.cue\" " + more));
    form = proc.WaitTopWindow(WQ_FORM1_CLASS);
    ASSERT_NE(form, nullptr);
  }
  void Quit() {
    e2e::Click(Ctl(kIdCommand6));
    EXPECT_TRUE(proc.WaitExit(10000));
    form = nullptr;
  }
  std::vector<e2e::MenuItem> OptionsItems() {
    e2e::MenuProbe probe;
    std::vector<e2e::MenuItem> bar, items;
    if (!probe.Attach(form) || !probe.Items(-1, bar) || bar.size() != 2 || bar[1].text != L"Options" ||
        !probe.Items(1, items))
      ADD_FAILURE() << "no Options menu after Bitrate: " << Narrow(probe.error());
    return items;
  }
  HWND OpenOffsetDialog() {
    e2e::PostCommand(form, kMenuReadOffset);
    HWND d = nullptr;
    e2e::WaitFor([&] { return (d = proc.FindTopWindow(L"#32770", &kReadOffsetCaptionText)) != nullptr; });
    return d;
  }
  static DWORD Dword(const wchar_t* name, DWORD fallback) {
    DWORD v = 0, size = sizeof v, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\wavequill", name, RRF_RT_ANY, &type, &v, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
      return fallback;
    return v;
  }
  SavedRegistryKey saved;
  const std::wstring kReadOffsetCaptionText = kReadOffsetCaption;
  const std::wstring kDriveValue = L"Disc image plain.cue (" + kDiscs + L"\\plain.cue)";
};

TEST_F(Options, ChecksAndOffsetAreRememberedPerUser) {
  StartPlain(L"--secure");
  std::vector<e2e::MenuItem> items = OptionsItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, L"Secure reading");
  EXPECT_EQ(items[1].text, L"Verify with AccurateRip");
  EXPECT_EQ(items[2].text, L"Read offset...");
  EXPECT_TRUE(items[0].Checked());  // from the command line, for this run
  EXPECT_FALSE(items[1].Checked());
  e2e::PostCommand(form, kMenuVerifyAccurateRip);
  EXPECT_TRUE(OptionsItems()[1].Checked());
  EXPECT_EQ(Dword(L"VerifyAccurateRip", 99), 1u);
  EXPECT_EQ(Dword(L"SecureReading", 99), 99u);  // --secure is not saved

  HWND dlg = OpenOffsetDialog();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(e2e::Text(GetDlgItem(dlg, kIdReadOffsetText)), L"0");
  EXPECT_NE(e2e::Text(GetDlgItem(dlg, kIdReadOffsetHint)).find(L"AccurateRip drive list"),
            std::wstring::npos);
  // A number out of range is refused with a message, and the dialog stays.
  SetWindowTextW(GetDlgItem(dlg, kIdReadOffsetText), L"3001");
  e2e::Click(GetDlgItem(dlg, IDOK));
  std::wstring text;
  ASSERT_TRUE(e2e::WaitMessageBox(proc, kCaption, &text));
  EXPECT_NE(text.find(L"-3000 to +3000"), std::wstring::npos) << Narrow(text);
  EXPECT_TRUE(IsWindow(dlg));
  SetWindowTextW(GetDlgItem(dlg, kIdReadOffsetText), L"-30");
  e2e::Click(GetDlgItem(dlg, IDOK));
  ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(dlg); }));
  EXPECT_EQ(Dword(kDriveValue.c_str(), 99), uint32_t(-30));
  Quit();

  StartPlain();
  items = OptionsItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_FALSE(items[0].Checked());
  EXPECT_TRUE(items[1].Checked());
  dlg = OpenOffsetDialog();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(e2e::Text(GetDlgItem(dlg, kIdReadOffsetText)), L"-30");
  e2e::Click(GetDlgItem(dlg, IDCANCEL));
  ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(dlg); }));
  Quit();
}

TEST_F(Options, BadStoredValuesAreIgnored) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\wavequill", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t one[] = L"1";
  RegSetValueExW(key, L"VerifyAccurateRip", 0, REG_SZ, reinterpret_cast<const BYTE*>(one), sizeof one);
  const DWORD seven = 7, tooFar = 5000;
  RegSetValueExW(key, L"SecureReading", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), sizeof seven);
  RegSetValueExW(key, kDriveValue.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&tooFar), sizeof tooFar);
  RegCloseKey(key);
  StartPlain();
  std::vector<e2e::MenuItem> items = OptionsItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_FALSE(items[0].Checked());
  EXPECT_FALSE(items[1].Checked());
  HWND dlg = OpenOffsetDialog();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(e2e::Text(GetDlgItem(dlg, kIdReadOffsetText)), L"0");
  e2e::Click(GetDlgItem(dlg, IDCANCEL));
  ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(dlg); }));
  Quit();
}

}  // namespace
