#include "components/cdreader/disc_image.h"

#include "components/cdreader/win_files.h"

namespace cdr {

namespace {

class Win32DriveClock : public DriveClock {
 public:
  uint64_t NowUs() override {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return uint64_t(c.QuadPart / f.QuadPart) * 1000000 + uint64_t(c.QuadPart % f.QuadPart) * 1000000 / f.QuadPart;
  }
  void SleepUs(uint32_t us) override { Sleep(us < 1000 ? 1 : us / 1000); }
};

}  // namespace

std::wstring DriveFilePath(const std::wstring& cuePath) {
  size_t dot = cuePath.find_last_of(L'.');
  size_t slash = cuePath.find_last_of(L"\\/");
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) &&
      _wcsicmp(cuePath.c_str() + dot, L".cue") == 0)
    return cuePath.substr(0, dot) + L".drive";
  return cuePath + L".drive";
}

std::unique_ptr<ImageDevice> OpenDiscImage(const std::wstring& cuePath, std::wstring& error) {
  std::string text;
  std::wstring why;
  if (!ReadSmallFile(cuePath, 1 << 20, text, why)) {
    error = L"Cannot read the disc image: " + why;
    return nullptr;
  }
  CueSheet sheet;
  if (!ParseCueSheet(text, sheet, why)) {
    error = L"Bad CUE sheet " + cuePath + L": " + why;
    return nullptr;
  }
  size_t slash = cuePath.find_last_of(L"\\/");
  std::wstring folder = slash == std::wstring::npos ? L"" : cuePath.substr(0, slash);
  std::vector<std::unique_ptr<ImageFile>> files;
  std::vector<uint64_t> sizes;
  for (const CueFile& f : sheet.files) {
    std::wstring path = ResolveCuePath(folder, DecodeSheetText(f.name));
    uint64_t size = 0;
    auto file = Win32ImageFile::Open(path, size, why);
    if (!file) {
      error = why;
      return nullptr;
    }
    files.push_back(std::move(file));
    sizes.push_back(size);
  }
  ImageLayout layout;
  if (!BuildImageLayout(sheet, sizes, layout, why)) {
    error = L"Bad disc image " + cuePath + L": " + why;
    return nullptr;
  }
  auto device = std::make_unique<ImageDevice>(std::move(layout), std::move(files));
  // A drive file beside the sheet makes the image behave like a real drive.
  std::wstring drivePath = DriveFilePath(cuePath);
  if (GetFileAttributesW(drivePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
    DriveFaults faults;
    if (!ReadSmallFile(drivePath, 1 << 16, text, why)) {
      error = L"Cannot read the drive file: " + why;
      return nullptr;
    }
    if (!ParseDriveFaults(text, faults, why)) {
      error = L"Bad drive file " + drivePath + L": " + why;
      return nullptr;
    }
    device->SetFaults(std::move(faults), std::make_shared<Win32DriveClock>());
  }
  return device;
}

}  // namespace cdr
