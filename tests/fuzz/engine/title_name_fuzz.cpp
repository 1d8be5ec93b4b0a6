// Any title from a server: the MP3 path is one valid name directly inside
// the output folder, within the length limits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ripper/engine/title_file_name.h"
#include "tests/native/engine/file_name_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // First byte picks the folder depth, the rest is UTF-16 title text.
  const size_t depth = data[0];
  std::wstring folder = depth % 2 ? L"c:\\" : L"c:\\" + std::wstring(depth, L'f');
  std::wstring title;
  for (size_t i = 1; i + 1 < size; i += 2) title.push_back(wchar_t(data[i] | (data[i + 1] << 8)));
  const int track = 1 + data[0] % 120;

  const std::wstring path = TitleMp3Path(folder, track, title);
  const std::wstring dir = folder.size() == 3 ? folder : folder + L"\\";
  if (path.compare(0, dir.size(), dir) != 0) abort();
  const std::wstring name = path.substr(dir.size());
  const std::string problem = file_name_check::FileNameProblem(name);
  if (!problem.empty()) {
    fprintf(stderr, "invalid name: %s\n", problem.c_str());
    abort();
  }
  if (path.size() > kMaxMp3PathChars && name.size() > 9 + 2) abort();  // only "NN - .mp3" may overflow
  if (name.rfind(L".mp3") != name.size() - 4) abort();
  return 0;
}
