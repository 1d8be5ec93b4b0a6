#include "components/cdreader/cue_sheet.h"

#include <cctype>

namespace cdr {

namespace {

// Sheets are small; anything bigger is not a sheet.
constexpr size_t kMaxSheetBytes = 1 << 20;
constexpr uint64_t kMaxDiscFrames = 0x7FFFFFFF;

std::wstring LineText(int line) { return L"CUE line " + std::to_wstring(line) + L": "; }

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

// Splits a line into words; a double-quoted word may hold blanks.
std::vector<std::string> Words(std::string_view line, bool& unterminated) {
  std::vector<std::string> words;
  unterminated = false;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsSpace(line[i])) ++i;
    if (i >= line.size()) break;
    std::string w;
    if (line[i] == '"') {
      size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) {
        unterminated = true;
        end = line.size();
      }
      w.assign(line.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      while (i < line.size() && !IsSpace(line[i])) w.push_back(line[i++]);
    }
    words.push_back(std::move(w));
  }
  return words;
}

bool ParseNumber(const std::string& s, int maxDigits, uint32_t& out) {
  if (s.empty() || s.size() > size_t(maxDigits)) return false;
  uint32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + uint32_t(c - '0');
  }
  out = v;
  return true;
}

bool ParseMsf(const std::string& s, uint32_t& frames) {
  size_t a = s.find(':');
  size_t b = a == std::string::npos ? a : s.find(':', a + 1);
  if (b == std::string::npos) return false;
  uint32_t m, sec, f;
  if (!ParseNumber(s.substr(0, a), 4, m) || !ParseNumber(s.substr(a + 1, b - a - 1), 2, sec) ||
      !ParseNumber(s.substr(b + 1), 2, f) || sec > 59 || f > 74)
    return false;
  frames = (m * 60 + sec) * kFramesPerSecond + f;
  return true;
}

bool ModeInfo(const std::string& mode, bool& audio, uint32_t& bytes) {
  struct Mode {
    const char* name;
    bool audio;
    uint32_t bytes;
  };
  static const Mode kModes[] = {
      {"AUDIO", true, 2352},       {"CDG", true, 2448},         {"MODE1/2048", false, 2048},
      {"MODE1/2352", false, 2352}, {"MODE2/2336", false, 2336}, {"MODE2/2352", false, 2352},
      {"CDI/2336", false, 2336},   {"CDI/2352", false, 2352},
  };
  for (const auto& m : kModes) {
    if (mode == m.name) {
      audio = m.audio;
      bytes = m.bytes;
      return true;
    }
  }
  return false;
}

std::wstring Widen(const std::string& s) {
  std::wstring w;
  for (unsigned char c : s) w.push_back(static_cast<wchar_t>(c));
  return w;
}

}  // namespace

bool ParseCueSheet(std::string_view text, CueSheet& sheet, std::wstring& error) {
  sheet = CueSheet{};
  if (text.size() > kMaxSheetBytes) {
    error = L"The CUE sheet is too large";
    return false;
  }
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  int lineNo = 0;
  int lastTrack = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    ++lineNo;
    // CR LF counts as one line break.
    pos = end + 1;
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++pos;
    if (line.find('\0') != std::string_view::npos) {
      error = LineText(lineNo) + L"not a text file";
      return false;
    }
    bool unterminated = false;
    std::vector<std::string> w = Words(line, unterminated);
    if (w.empty()) continue;
    std::string cmd = Upper(w[0]);
    if (cmd == "FILE") {
      if (unterminated) {
        error = LineText(lineNo) + L"unterminated quote";
        return false;
      }
      if (w.size() < 3) {
        error = LineText(lineNo) + L"FILE needs a name and a type";
        return false;
      }
      CueFile f;
      f.type = Upper(w.back());
      // Unquoted names with blanks: everything between FILE and the type.
      size_t first = line.find_first_not_of(" \t");
      size_t nameStart = line.find_first_not_of(" \t", first + 4);
      size_t typeStart = line.find_last_not_of(" \t");
      while (typeStart > 0 && !IsSpace(line[typeStart - 1])) --typeStart;
      std::string_view raw = line.substr(nameStart, typeStart - nameStart);
      while (!raw.empty() && IsSpace(raw.back())) raw.remove_suffix(1);
      if (!raw.empty() && raw.front() == '"') {
        f.name = w[1];
        if (w.size() != 3) {
          error = LineText(lineNo) + L"unexpected text after the FILE name";
          return false;
        }
      } else {
        f.name.assign(raw);
      }
      if (f.name.empty()) {
        error = LineText(lineNo) + L"FILE has an empty name";
        return false;
      }
      sheet.files.push_back(std::move(f));
    } else if (cmd == "TRACK") {
      if (sheet.files.empty()) {
        error = LineText(lineNo) + L"TRACK before any FILE";
        return false;
      }
      uint32_t n;
      if (w.size() < 3 || !ParseNumber(w[1], 2, n) || n < 1 || n > 99) {
        error = LineText(lineNo) + L"TRACK needs a number from 1 to 99 and a mode";
        return false;
      }
      if (int(n) <= lastTrack) {
        error = LineText(lineNo) + L"track numbers must ascend";
        return false;
      }
      CueTrack t;
      t.number = int(n);
      t.mode = Upper(w[2]);
      t.line = lineNo;
      if (!ModeInfo(t.mode, t.audio, t.sectorBytes)) {
        error = LineText(lineNo) + L"unknown track mode " + Widen(w[2]);
        return false;
      }
      lastTrack = t.number;
      sheet.files.back().tracks.push_back(std::move(t));
    } else if (cmd == "INDEX" || cmd == "PREGAP" || cmd == "POSTGAP") {
      if (sheet.files.empty() || sheet.files.back().tracks.empty()) {
        error = LineText(lineNo) + Widen(cmd) + L" before any TRACK";
        return false;
      }
      CueTrack& t = sheet.files.back().tracks.back();
      if (cmd == "INDEX") {
        uint32_t n, frames;
        if (w.size() < 3 || !ParseNumber(w[1], 2, n) || !ParseMsf(w[2], frames)) {
          error = LineText(lineNo) + L"INDEX needs a number and mm:ss:ff";
          return false;
        }
        if (!t.indexes.empty() && (int(n) <= t.indexes.back().number || frames < t.indexes.back().frames)) {
          error = LineText(lineNo) + L"INDEX entries must ascend";
          return false;
        }
        if (t.indexes.empty() && n > 1) {
          error = LineText(lineNo) + L"the track has no INDEX 01";
          return false;
        }
        t.indexes.push_back(CueIndex{int(n), frames});
      } else {
        uint32_t frames;
        if (w.size() < 2 || !ParseMsf(w[1], frames)) {
          error = LineText(lineNo) + Widen(cmd) + L" needs mm:ss:ff";
          return false;
        }
        (cmd == "PREGAP" ? t.pregapFrames : t.postgapFrames) = frames;
      }
    }
    // REM, TITLE, PERFORMER, FLAGS, ISRC, CATALOG, ... do not shape the disc.
    if (end >= text.size()) break;
  }
  bool anyTrack = false;
  for (const auto& f : sheet.files) {
    for (const auto& t : f.tracks) {
      anyTrack = true;
      bool has01 = false;
      for (const auto& i : t.indexes) has01 |= i.number == 1;
      if (!has01) {
        error = LineText(t.line) + L"track " + std::to_wstring(t.number) + L" has no INDEX 01";
        return false;
      }
    }
  }
  if (!anyTrack) {
    error = L"The CUE sheet lists no tracks";
    return false;
  }
  return true;
}

namespace {

struct Piece {
  uint64_t vstart;
  uint64_t frames;
  int file;
  uint64_t offset;
  uint32_t sectorBytes;
  bool swap;
};

uint32_t Index01(const CueTrack& t) {
  for (const auto& i : t.indexes)
    if (i.number == 1) return i.frames;
  return t.indexes.front().frames;
}

}  // namespace

bool BuildImageLayout(const CueSheet& sheet, const std::vector<uint64_t>& fileSizes, ImageLayout& layout,
                      std::wstring& error) {
  layout = ImageLayout{};
  if (fileSizes.size() != sheet.files.size()) {
    error = L"Internal error: file sizes do not match the sheet";
    return false;
  }
  struct TrackPos {
    const CueTrack* track;
    uint64_t gapStart;  // first frame of its pregap (PREGAP or INDEX 00)
    uint64_t start;     // INDEX 01
  };
  std::vector<Piece> pieces;
  std::vector<TrackPos> tracks;
  uint64_t v = 0;
  auto addPiece = [&](uint64_t frames, int file, uint64_t offset, uint32_t bytes, bool swap) {
    if (frames) pieces.push_back(Piece{v, frames, file, offset, bytes, swap});
    v += frames;
  };
  for (size_t fi = 0; fi < sheet.files.size(); ++fi) {
    const CueFile& f = sheet.files[fi];
    if (f.type != "BINARY" && f.type != "MOTOROLA") {
      error = L"FILE type " + Widen(f.type) + L" is not supported (only BINARY and MOTOROLA)";
      return false;
    }
    bool swap = f.type == "MOTOROLA";
    uint64_t size = fileSizes[fi];
    if (f.tracks.empty()) continue;
    uint64_t byte = 0;
    uint32_t frameInFile = 0;
    for (size_t ti = 0; ti < f.tracks.size(); ++ti) {
      const CueTrack& t = f.tracks[ti];
      uint32_t first = t.indexes.front().frames;
      if (first < frameInFile) {
        error = LineText(t.line) + L"INDEX lies before the previous track's";
        return false;
      }
      // Frames before this track's first index continue the previous section.
      uint32_t prevBytes = ti == 0 ? t.sectorBytes : f.tracks[ti - 1].sectorBytes;
      uint64_t lead = first - frameInFile;
      if (byte + lead * prevBytes > size) {
        error = L"File " + Widen(f.name) + L" is shorter than its INDEX positions";
        return false;
      }
      addPiece(lead, int(fi), byte, prevBytes, swap);
      byte += lead * prevBytes;
      frameInFile = first;
      TrackPos p{&t, v, 0};
      addPiece(t.pregapFrames, -1, 0, kSectorBytes, false);
      p.start = v + (Index01(t) - first);
      tracks.push_back(p);
      uint64_t sectionFrames;
      if (ti + 1 < f.tracks.size()) {
        uint32_t next = f.tracks[ti + 1].indexes.front().frames;
        if (next < Index01(t)) {
          error = LineText(f.tracks[ti + 1].line) + L"INDEX lies before the previous track's";
          return false;
        }
        sectionFrames = next - first;
        if (byte + sectionFrames * t.sectorBytes > size) {
          error = L"File " + Widen(f.name) + L" is shorter than its INDEX positions";
          return false;
        }
      } else {
        sectionFrames = (size - byte) / t.sectorBytes;
        if (sectionFrames < Index01(t) - first) {
          error = L"File " + Widen(f.name) + L" ends before track " + std::to_wstring(t.number) + L" begins";
          return false;
        }
      }
      addPiece(sectionFrames, int(fi), byte, t.sectorBytes, swap);
      byte += sectionFrames * t.sectorBytes;
      // Only read again for the next track, whose position bounds it.
      frameInFile = ti + 1 < f.tracks.size() ? f.tracks[ti + 1].indexes.front().frames : 0;
      addPiece(t.postgapFrames, -1, 0, kSectorBytes, false);
      if (v > kMaxDiscFrames) {
        error = L"The disc image is too large";
        return false;
      }
    }
  }
  if (tracks.empty()) {
    error = L"The CUE sheet lists no tracks";
    return false;
  }
  // Whatever precedes track 1's INDEX 01 is the lead-in, not the disc.
  uint64_t origin = tracks.front().start;
  uint64_t end = v;
  for (const Piece& p : pieces) {
    uint64_t s = p.vstart, e = p.vstart + p.frames;
    if (e <= origin) continue;
    uint64_t skip = s < origin ? origin - s : 0;
    ImageSegment seg;
    seg.startLba = uint32_t(s + skip - origin);
    seg.frames = uint32_t(p.frames - skip);
    seg.file = p.file;
    seg.fileOffset = p.offset + skip * p.sectorBytes;
    seg.sectorBytes = p.sectorBytes;
    seg.swapBytes = p.swap;
    layout.segments.push_back(seg);
  }
  for (size_t i = 0; i < tracks.size(); ++i) {
    DiscTrack d;
    d.number = tracks[i].track->number;
    d.audio = tracks[i].track->audio;
    d.startLba = uint32_t(tracks[i].start - origin);
    uint64_t stop = end;
    if (i + 1 < tracks.size())
      stop = tracks[i + 1].track->audio ? tracks[i + 1].start : tracks[i + 1].gapStart;
    if (stop < tracks[i].start) stop = tracks[i].start;
    d.endLba = uint32_t((stop < origin ? origin : stop) - origin);
    layout.disc.tracks.push_back(d);
  }
  layout.disc.leadOutLba = uint32_t(end - origin);
  return true;
}

std::wstring ResolveCuePath(const std::wstring& cueFolder, const std::wstring& name) {
  bool absolute =
      (!name.empty() && (name[0] == L'\\' || name[0] == L'/')) || (name.size() >= 2 && name[1] == L':');
  if (absolute || cueFolder.empty()) return name;
  wchar_t sep = cueFolder.find(L'\\') != std::wstring::npos ? L'\\' : L'/';
  std::wstring out = cueFolder;
  if (out.back() != L'\\' && out.back() != L'/') out.push_back(sep);
  for (wchar_t c : name) out.push_back(c == L'\\' || c == L'/' ? sep : c);
  return out;
}

}  // namespace cdr
