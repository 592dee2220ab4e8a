#include "views/FileRow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/FileContent.h"
#include "platform/FileFind.h"
#include "platform/ShellInfo.h"
#include "platform/VersionBlock.h"
#include "text/PathText.h"
#include "text/TextUtil.h"

namespace {

// Seconds between 1601-01-01 and 1970-01-01, the two epochs of file times.
constexpr std::int64_t kFileTimeEpochOffset = 11644473600;
constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;

const std::string* SubItem(const TResultRow& row, int index)
{
    if (index < 0 || index >= static_cast<int>(row.SubItems.size())) return nullptr;
    return &row.SubItems[static_cast<std::size_t>(index)];
}

long long SizeOf(const TResultRow& row)
{
    long long value = 0;
    const std::string* text = SubItem(row, fcSize - 1);
    if (!text || !TryStrToInt64(*text, value)) return 0;
    return value;
}

TDateTime ModifiedOf(const TResultRow& row, TDateTime now)
{
    TDateTime value = 0;
    const std::string* text = SubItem(row, fcModified - 1);
    if (!text || !TextToDateTime(*text, value)) return now;
    return value;
}

int Sign(long long value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// Version blocks live in PE files (which begin with "MZ") and in ELF files; asking the version
// reader about any other file would open it twice more for nothing.
bool MayHoldVersionBlock(const TFileContent& content)
{
    char magic[4];
    if (!content.IsOpen() || content.ReadAt(0, magic, sizeof magic) != sizeof magic) return false;
    return (magic[0] == 'M' && magic[1] == 'Z') || std::memcmp(magic, "\x7F" "ELF", 4) == 0;
}

TDateTime CurrentTime()
{
    return UnixToLocalDateTime(static_cast<std::int64_t>(std::time(nullptr)));
}

}  // namespace

std::string AttributeText(std::uint32_t attr)
{
    std::string text = "    ";
    if (attr & faReadOnly) text[0] = 'R';
    if (attr & faHidden) text[1] = 'H';
    if (attr & faSysFile) text[2] = 'S';
    if (attr & faArchive) text[3] = 'A';
    return text;
}

std::string ModifiedText(std::uint64_t lastWriteTime)
{
    std::int64_t seconds =
        static_cast<std::int64_t>(lastWriteTime / kFileTimeTicksPerSecond) - kFileTimeEpochOffset;
    seconds -= ((seconds % 2) + 2) % 2;  // date stamps count in steps of two seconds
    return DateTimeToText(UnixToLocalDateTime(seconds));
}

namespace {

// content: the file held open by the caller (the row then describes that very file), or null
// to look the path up and open it here.
bool Describe(const std::string& fileName, const TFileContent* content, TResultRow& row,
              std::int64_t& size)
{
    TSearchRec rec;
    if (content && content->IsOpen() ? !FindOpenFile(fileName, content->Fd(), rec)
                                     : !FindFile(fileName, rec))
        return false;
    std::string typeName;
    std::string fileVersion, productVersion;
    if (rec.Attr & faDirectory) {
        typeName = FolderTypeName();
    } else {
        TFileContent opened;
        if (!content) {
            opened.Open(fileName);  // one that cannot be read is typed by its name
            content = &opened;
        }
        typeName = RegularFileTypeName(PathName(fileName), *content);
        if (MayHoldVersionBlock(*content)) {
            fileVersion = ReadVersionString(fileName, "FileVersion");
            productVersion = ReadVersionString(fileName, "ProductVersion");
        }
    }
    row.Caption = fileName;
    row.SubItems = {
        std::to_string(rec.Size),
        Trim(typeName),
        ModifiedText(rec.LastWriteTime),
        AttributeText(rec.Attr),
        std::move(fileVersion),
        std::move(productVersion),
    };
    size = rec.Size;
    return true;
}

}  // namespace

bool DescribeFile(const std::string& fileName, TResultRow& row, std::int64_t& size)
{
    return Describe(fileName, nullptr, row, size);
}

bool DescribeFile(const std::string& fileName, const TFileContent& content, TResultRow& row,
                  std::int64_t& size)
{
    return Describe(fileName, &content, row, size);
}

bool AddFile(TResultRows& rows, const std::string& fileName, std::int64_t& size)
{
    TResultRow row;
    std::int64_t found = 0;
    if (!DescribeFile(fileName, row, found)) return false;
    rows.Append(std::move(row));
    size = found;
    return true;
}

void TRowOrder::ColumnClick(int column)
{
    if (column == SortColumn) {
        SortAscending = !SortAscending;
    } else {
        SortColumn = column;
        SortAscending = true;
    }
}

int TRowOrder::CompareRows(const TResultRow& a, const TResultRow& b) const
{
    int result = 0;
    switch (SortColumn) {
    case fcName:
        result = CompareTextAscii(a.Caption, b.Caption);
        break;
    case fcSize: {
        // Compared, not subtracted: the difference of two 64-bit sizes can overflow.
        const long long x = SizeOf(a), y = SizeOf(b);
        result = (x > y) - (x < y);
        break;
    }
    case fcModified: {
        const TDateTime now = Now != 0 ? Now : CurrentTime();
        // In units of 0.864 seconds: texts of the same minute compare equal.
        result = Sign(std::llround((ModifiedOf(a, now) - ModifiedOf(b, now)) * 100000.0));
        break;
    }
    default: {
        const std::string* x = SubItem(a, SortColumn - 1);
        const std::string* y = SubItem(b, SortColumn - 1);
        result = (x && y) ? CompareTextAscii(*x, *y) : 0;
        break;
    }
    }
    return SortAscending ? result : -result;
}

void SortRows(TResultRows& rows, TRowOrder order)
{
    if (order.Now == 0) order.Now = CurrentTime();
    std::vector<TResultRow> sorted = rows.Rows();
    std::stable_sort(sorted.begin(), sorted.end(), [&order](const TResultRow& a, const TResultRow& b) {
        return order.CompareRows(a, b) < 0;
    });
    rows.BeginUpdate();
    rows.Clear();
    for (TResultRow& row : sorted) rows.Append(std::move(row));
    rows.EndUpdate();
}
