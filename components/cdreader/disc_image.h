// Opening a CUE sheet and its FILEs as a drive.
#pragma once
#include <memory>
#include <string>

#include "components/cdreader/image_device.h"

namespace cdr {

std::unique_ptr<ImageDevice> OpenDiscImage(const std::wstring& cuePath, std::wstring& error);

}  // namespace cdr
