#include "components/cdreader/ioctl_device.h"

#include <winioctl.h>
#include <ntddcdrm.h>
#include <ntddstor.h>

#include "components/cdreader/win_files.h"

namespace cdr {

std::vector<wchar_t> CdromLetters() {
  std::vector<wchar_t> out;
  DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    wchar_t root[] = {wchar_t(L'A' + i), L':', L'\\', 0};
    if (GetDriveTypeW(root) == DRIVE_CDROM) out.push_back(root[0]);
  }
  return out;
}

namespace {

HANDLE OpenVolume(wchar_t letter, DWORD& err) {
  wchar_t path[] = {L'\\', L'\\', L'.', L'\\', letter, L':', 0};
  // Raw reads want write access on some systems; fall back to read-only.
  for (DWORD access : {DWORD(GENERIC_READ | GENERIC_WRITE), DWORD(GENERIC_READ)}) {
    HANDLE h =
        CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    err = GetLastError();
  }
  return INVALID_HANDLE_VALUE;
}

std::string Field(const uint8_t* base, size_t size, DWORD offset) {
  std::string s;
  if (offset == 0 || offset >= size) return s;
  for (size_t i = offset; i < size && base[i]; ++i) s.push_back(char(base[i]));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  size_t lead = s.find_first_not_of(' ');
  return lead == std::string::npos ? std::string() : s.substr(lead);
}

}  // namespace

std::wstring CdromDescription(wchar_t letter) {
  std::wstring text{letter, L':'};
  DWORD err = 0;
  HANDLE h = OpenVolume(letter, err);
  std::string name;
  if (h != INVALID_HANDLE_VALUE) {
    STORAGE_PROPERTY_QUERY q{};
    q.PropertyId = StorageDeviceProperty;
    q.QueryType = PropertyStandardQuery;
    uint8_t buf[1024] = {};
    DWORD got = 0;
    if (DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, &q, sizeof q, buf, sizeof buf, &got, nullptr) &&
        got >= sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
      auto* d = reinterpret_cast<STORAGE_DEVICE_DESCRIPTOR*>(buf);
      std::string vendor = Field(buf, got, d->VendorIdOffset);
      std::string product = Field(buf, got, d->ProductIdOffset);
      name = vendor + (vendor.empty() || product.empty() ? "" : " ") + product;
    }
    CloseHandle(h);
  }
  text += name.empty() ? L" CD-ROM drive" : L" " + std::wstring(name.begin(), name.end());
  return text;
}

std::unique_ptr<IoctlDevice> IoctlDevice::Open(wchar_t letter, std::wstring& error) {
  DWORD err = 0;
  HANDLE h = OpenVolume(letter, err);
  if (h == INVALID_HANDLE_VALUE) {
    error = std::wstring(L"Cannot open drive ") + letter + L": " + SystemMessage(err);
    return nullptr;
  }
  return std::unique_ptr<IoctlDevice>(new IoctlDevice(h, letter));
}

IoctlDevice::~IoctlDevice() { CloseHandle(h_); }

bool IoctlDevice::ReadToc(DiscInfo& disc, std::wstring& error) {
  CDROM_TOC toc{};
  DWORD got = 0;
  CDROM_READ_TOC_EX ex{};
  ex.Format = CDROM_READ_TOC_EX_FORMAT_TOC;
  ex.Msf = 0;
  std::wstring why;
  if (DeviceIoControl(h_, IOCTL_CDROM_READ_TOC_EX, &ex, sizeof ex, &toc, sizeof toc, &got, nullptr) &&
      ParseDriveToc(reinterpret_cast<const uint8_t*>(&toc), got, false, disc, why))
    return true;
  // Older drivers only know the MSF request.
  got = 0;
  if (!DeviceIoControl(h_, IOCTL_CDROM_READ_TOC, nullptr, 0, &toc, sizeof toc, &got, nullptr)) {
    DWORD err = GetLastError();
    error = std::wstring(L"No readable disc in drive ") + letter_ + L": " + SystemMessage(err);
    return false;
  }
  if (!ParseDriveToc(reinterpret_cast<const uint8_t*>(&toc), got, true, disc, why)) {
    error = std::wstring(L"Drive ") + letter_ + L": " + why;
    return false;
  }
  return true;
}

bool IoctlDevice::ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) {
  RAW_READ_INFO info{};
  info.DiskOffset.QuadPart = LONGLONG(lba) * 2048;
  info.SectorCount = count;
  info.TrackMode = CDDA;
  DWORD want = count * kSectorBytes, got = 0;
  if (!DeviceIoControl(h_, IOCTL_CDROM_RAW_READ, &info, sizeof info, out, want, &got, nullptr)) {
    error = SystemMessage(GetLastError());
    return false;
  }
  if (got != want) {
    error = L"the drive returned " + std::to_wstring(got) + L" of " + std::to_wstring(want) + L" bytes";
    return false;
  }
  return true;
}

void IoctlDevice::DefeatCache(uint32_t farLba) {
  uint8_t sector[kSectorBytes];
  std::wstring ignored;
  ReadFrames(farLba, 1, sector, ignored);
}

bool IoctlDevice::PlayAudio(uint32_t startLba, uint32_t endLba, std::wstring& error) {
  Msf s = LbaToMsf(startLba), e = LbaToMsf(endLba);
  CDROM_PLAY_AUDIO_MSF p{};
  p.StartingM = UCHAR(s.minute);
  p.StartingS = UCHAR(s.second);
  p.StartingF = UCHAR(s.frame);
  p.EndingM = UCHAR(e.minute);
  p.EndingS = UCHAR(e.second);
  p.EndingF = UCHAR(e.frame);
  DWORD got = 0;
  if (!DeviceIoControl(h_, IOCTL_CDROM_PLAY_AUDIO_MSF, &p, sizeof p, nullptr, 0, &got, nullptr)) {
    error = std::wstring(L"Cannot play on drive ") + letter_ + L": " + SystemMessage(GetLastError());
    return false;
  }
  return true;
}

bool IoctlDevice::StopAudio(std::wstring& error) {
  DWORD got = 0;
  if (!DeviceIoControl(h_, IOCTL_CDROM_STOP_AUDIO, nullptr, 0, nullptr, 0, &got, nullptr)) {
    error = std::wstring(L"Cannot stop drive ") + letter_ + L": " + SystemMessage(GetLastError());
    return false;
  }
  return true;
}

}  // namespace cdr
