#pragma once
// The line forms of the saved lists, one line a row, written alike by the window and by
// zarvex-find. Lines end in CR LF; reading takes CR, LF or the pair.
//
// Zarvex.lis: the caption in double quotes, a double quote inside it doubled (a Linux file name
// may hold one, and must read back as itself, not as a shorter path); then, when the row has
// sub-items, a comma and the comma text of the sub-items, a line break inside one written as a
// blank. So a group header is "Duplicate files ....." in quotes and an empty row two double
// quotes.
// NewDupl.lis (and SkipDupl.lis, which is only read): the caption alone, for every row whose
// caption is a path on a drive.
// A caption with a line break cannot be stored in a line: its row is left out of both lists
// rather than written as two broken lines that could name other files on reloading. A group is
// written with the rows that can be written, and only while it still holds two files or more,
// so a reloaded list never shows a header over one file or none.
#include <string>
#include <vector>

#include "views/ResultRows.h"

inline constexpr const char* kListLineEnd = "\r\n";

// The Zarvex.lis line of one row, without its line end.
std::string ListLine(const TResultRow& row);
// True for a caption that NewDupl.lis takes: longer than 2 characters, ":" second.
bool IsNewDuplicatePath(const std::string& caption);

// True for a caption that no line can hold.
bool HoldsLineBreak(const std::string& caption);

// The lines of one row; both empty for a caption with a line break.
struct TRowLines {
    std::string Result;        // Zarvex.lis
    std::string NewDuplicate;  // NewDupl.lis; empty when the caption is no drive path
};
TRowLines LinesOfRow(const TResultRow& row);

struct TListLines {
    std::vector<std::string> Results;        // Zarvex.lis
    std::vector<std::string> NewDuplicates;  // NewDupl.lis
    std::vector<std::string> LeftOut;        // captions of the file rows that no line can hold
};
TListLines BuildListLines(const TResultRows& rows);

// The row of one Zarvex.lis line: caption and sub-items trimmed, except a caption whose
// untrimmed text names an existing file.
TResultRow RowFromLine(const std::string& line);
