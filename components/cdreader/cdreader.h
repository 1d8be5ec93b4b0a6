// Creates the CD reader: the machine's CD-ROM drives, then one drive per
// disc image (CUE sheet with a raw BIN), numbered in one list from 1.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ripper/engine/cd_reader.h"

std::unique_ptr<CdReader> CreateCdReader(const std::vector<std::wstring>& discImagePaths);
