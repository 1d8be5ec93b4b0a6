#include "ripper/ui/main_caption.h"

#include "ripper/ui/track_entry.h"

std::wstring MainCaption(int major, int minor) {
  return L"wavequill v" + std::to_wstring(major) + L"." + TwoDigits(minor);
}
