// Creates the AccurateRip database client. Its lookups run on a worker
// thread and end with LookupDone on the user-interface thread.
#pragma once
#include <memory>

#include "ripper/engine/accuraterip_db.h"

std::unique_ptr<AccurateRipDb> CreateAccurateRipDb();
