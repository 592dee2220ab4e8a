#pragma once
// The saved list forms of the results rows, one line a row, each line ended by CR LF.
//
// Results list (Zarvex.lis): a row with sub-items gives a double quote, the caption as it is
// (quotes inside not doubled), a double quote, a comma and the comma text of the sub-items; a
// row without sub-items gives the caption between double quotes.
// Duplicates list (NewDupl.lis): the caption alone, for every row whose caption is a path on a
// drive (longer than 2 characters, ":" second).
#include <string>

#include "views/ResultRows.h"

inline constexpr const char* kListLineEnd = "\r\n";

// The line of a row, without its line end.
std::string ResultListLine(const TResultRow& row);
bool IsDrivePath(const std::string& caption);
