#include "views/ListLines.h"

#include "platform/FileFind.h"
#include "text/CommaText.h"
#include "text/TextUtil.h"

namespace {

// Version strings come from the files themselves and may hold line breaks; in a line they
// become blanks, as they show in a one-line cell anyway.
std::string OneLine(std::string s)
{
    for (char& c : s) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return s;
}

std::string QuotedCaption(const std::string& caption)
{
    std::string out = "\"";
    for (char c : caption) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

}  // namespace

std::string ListLine(const TResultRow& row)
{
    std::string line = QuotedCaption(row.Caption);
    if (row.SubItems.empty())
        return line;
    std::vector<std::string> items;
    items.reserve(row.SubItems.size());
    for (const std::string& item : row.SubItems) items.push_back(OneLine(item));
    return line + ',' + WriteCommaText(items);
}

bool IsNewDuplicatePath(const std::string& caption)
{
    return caption.size() > 2 && caption[1] == ':';
}

TRowLines LinesOfRow(const TResultRow& row)
{
    if (row.Caption.find_first_of("\r\n") != std::string::npos)
        return {};
    return {ListLine(row), IsNewDuplicatePath(row.Caption) ? row.Caption : std::string()};
}

TListLines BuildListLines(const TResultRows& rows)
{
    TListLines lines;
    lines.Results.reserve(rows.Count());
    for (const TResultRow& row : rows.Rows()) {
        TRowLines rowLines = LinesOfRow(row);
        if (rowLines.Result.empty())
            continue;
        lines.Results.push_back(std::move(rowLines.Result));
        if (!rowLines.NewDuplicate.empty())
            lines.NewDuplicates.push_back(std::move(rowLines.NewDuplicate));
    }
    return lines;
}

TResultRow RowFromLine(const std::string& line)
{
    const std::vector<std::string> items = ReadCommaText(line);
    TResultRow row;
    if (items.empty())
        return row;
    // Linux names may begin or end with a blank: a caption whose untrimmed text names an
    // existing entry keeps it, so the row never points at another file of the trimmed name.
    row.Caption = Trim(items[0]);
    if (row.Caption.size() != items[0].size() && !row.Caption.empty() && FileExists(items[0]))
        row.Caption = items[0];
    for (std::size_t i = 1; i < items.size(); ++i) row.SubItems.push_back(Trim(items[i]));
    return row;
}
