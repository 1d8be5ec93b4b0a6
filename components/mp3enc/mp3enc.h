// Creates the MP3 encoder (LAME).
#pragma once
#include <memory>

#include "ripper/engine/mp3_encoder.h"

std::unique_ptr<Mp3Encoder> CreateMp3Encoder();
