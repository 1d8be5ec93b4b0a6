#include "components/cdreader/disc_image.h"

#include "components/cdreader/win_files.h"

namespace cdr {

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
  return std::make_unique<ImageDevice>(std::move(layout), std::move(files));
}

}  // namespace cdr
