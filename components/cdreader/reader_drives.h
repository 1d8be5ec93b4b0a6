// The reader's list of drives, each a description and a way to open it.
// CreateCdReader builds the list from the machine and the image paths;
// tests build it from simulated drives.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/cdreader/cd_device.h"
#include "ripper/engine/cd_reader.h"

namespace cdr {

struct DriveSpec {
  std::wstring description;
  // A fresh device per use: reads and playback run on their own threads.
  std::function<std::unique_ptr<CdDevice>(std::wstring& error)> open;
  // CD-ROM drives play through the drive itself, images through waveOut.
  wchar_t cdromLetter = 0;
};

std::vector<DriveSpec> MachineDrives(const std::vector<std::wstring>& discImagePaths);
std::unique_ptr<CdReader> CreateCdReaderFor(std::vector<DriveSpec> drives);

}  // namespace cdr
