#pragma once
// The forms zarvex-find writes its results in besides the saved list's (which is written row by
// row as the search adds them), and the clean-up it runs on them.
//
// paths: the native path of every file, one a line, a blank line between groups.
// null:  the same with a NUL after every path and an empty field (one more NUL) between
//        groups, for xargs -0.
// json:  one object; see ResultFormatsHelp() for its shape. A name that is not valid UTF-8 is
//        written with U+FFFD for each byte that does not decode, and its exact bytes follow in
//        "path_base64" (and "program_path_base64"), so the output is always valid JSON and no
//        file is named wrongly.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "views/ResultRows.h"

enum class TResultFormat { rfList, rfPaths, rfNull, rfJson };

// "list", "paths" or "json"; false for any other name.
bool ParseResultFormat(std::string_view name, TResultFormat& format);

// The rows in one of the forms above; not for rfList.
std::string FormatResults(const std::vector<TResultRow>& rows, TResultFormat format);

// Moves every file but the first of each group to the trash, each only when a copy of the same
// bytes stays (dry run: tells what would go, touches nothing). Tells each file on report, one a
// line ("moved", "would move", "kept", "failed", then a tab and the native path, then a tab and
// the reason for one that stays), and a summary on summary (may be null). False when a file
// could not be moved for another reason than being the last copy or changed.
bool TrashDuplicates(const std::vector<TResultRow>& rows, bool dryRun, std::FILE* report,
                     std::FILE* summary);

// The end of --help on these forms, with a small JSON example.
std::string ResultFormatsHelp();
