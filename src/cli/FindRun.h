#pragma once
// One run of zarvex-find: the drives set up, one search, the lists written, the summary told.
#include <cstdio>

#include "cli/Options.h"

// Exit statuses.
constexpr int kExitSearched = 0;
constexpr int kExitCannotWrite = 1;
constexpr int kExitUsage = 2;
constexpr int kExitIncomplete = 3;  // some files could not be opened: no descriptors left
constexpr int kExitInterrupted = 130;

// Runs the search the options describe; the results list goes to out unless --output names a
// file, messages go to err. Returns the exit status.
int RunFind(const TFindOptions& options, std::FILE* out, std::FILE* err);
