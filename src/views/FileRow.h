#pragma once
// The file row of the results list: which column holds what text, and how rows are ordered
// when the view sorts them by a clicked column.
//
// A file row has the path as caption and six sub-items: the size in bytes (plain decimal,
// 64-bit), the type name, the time of last change (local time in the program-wide form), the
// attribute letters ("R", "H", "S", "A" or a blank each), the file version and the product
// version from the file's version resource (empty without one).
#include <cstdint>
#include <string>

#include "platform/FileContent.h"
#include "text/Format.h"
#include "views/ResultRows.h"

enum TFileColumn : int {
    fcName = 0,
    fcSize = 1,
    fcType = 2,
    fcModified = 3,
    fcAttr = 4,
    fcFileVer = 5,
    fcProdVer = 6,
};
inline constexpr int kFileColumnCount = 7;

// The row of the file named fileName (caption exactly as given). False, with row and size
// untouched, when the file is gone or is nothing a directory search returns (a link, a FIFO).
bool DescribeFile(const std::string& fileName, TResultRow& row, std::int64_t& size);
// The same for a file its caller holds open: what is read of it comes from `content`.
bool DescribeFile(const std::string& fileName, const TFileContent& content, TResultRow& row,
                  std::int64_t& size);
// Appends the file's row at the end of rows; false and nothing added when it cannot be
// described. size receives the file's size, and is left as it was on failure.
bool AddFile(TResultRows& rows, const std::string& fileName, std::int64_t& size);

// Four letters for read-only, hidden, system and archive, a blank for each one not set.
std::string AttributeText(std::uint32_t attr);
// The last-write time of a directory search (Windows file time, UTC) in the program-wide
// form, as local time with the two-second resolution of file-system date stamps.
std::string ModifiedText(std::uint64_t lastWriteTime);

// The sort state of a file list view and its row order.
struct TRowOrder {
    int SortColumn = fcSize;
    bool SortAscending = true;
    // "Modified" texts that cannot be read count as this moment; 0 reads the clock.
    TDateTime Now = 0;

    // A header click: the same column again turns the direction, another one sorts it
    // ascending. As the size column is the initial one, its first click sorts descending.
    void ColumnClick(int column);
    // Negative, zero or positive as a sorts before, with or after b. Rows without sub-items
    // (group rows) count as size 0, as modified now, and equal on every text column.
    int CompareRows(const TResultRow& a, const TResultRow& b) const;
};

// Sorts the rows once by the order (equal rows keep their order); rows added later are
// appended unsorted.
void SortRows(TResultRows& rows, TRowOrder order);
