// The main window's caption: "wavequill v" major "." minor as "0#".
#pragma once
#include <string>

std::wstring MainCaption(int major, int minor);
