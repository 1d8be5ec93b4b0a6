// Opening a CUE sheet and its FILEs as a drive.
#pragma once
#include <memory>
#include <string>

#include "components/cdreader/image_device.h"

namespace cdr {

// A NAME.drive file beside NAME.cue sets the drive's faults (see
// drive_faults.h); a bad one makes the image unreadable, with the line named.
std::unique_ptr<ImageDevice> OpenDiscImage(const std::wstring& cuePath, std::wstring& error);

// NAME.drive for NAME.cue (any case); PATH.drive for other names.
std::wstring DriveFilePath(const std::wstring& cuePath);

}  // namespace cdr
