// The tags the session hands the encoder for track n.
#pragma once
#include "ripper/engine/mp3_encoder.h"
#include "ripper/engine/session_host.h"

Mp3Tags SessionTrackTags(SessionHost& host, int track);
