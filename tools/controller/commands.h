#pragma once
// Command-line management through the library's exports:
//   controller [--dll PATH] COMMAND [ARG] [COMMAND [ARG] ...]
// list, register NAME, unregister NAME, save, disable, enable, running,
// shutdown. Results go to standard output, one line each.

#include <windows.h>

bool IsManagementCommand(const char* word);
// Runs argv[0..argc) in order; the process exit code.
int RunManagementCommands(HMODULE library, int argc, char** argv);
