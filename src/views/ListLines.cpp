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

bool HoldsLineBreak(const std::string& caption)
{
    return caption.find_first_of("\r\n") != std::string::npos;
}

TRowLines LinesOfRow(const TResultRow& row)
{
    if (HoldsLineBreak(row.Caption))
        return {};
    return {ListLine(row), IsNewDuplicatePath(row.Caption) ? row.Caption : std::string()};
}

namespace {

// The lines of the rows met so far: the group being read (its header, none for rows before
// the first header, and the file rows that a line can hold) and the empty rows before it.
struct TListWriter {
    TListLines Lines;
    const TResultRow* Header = nullptr;
    std::vector<const TResultRow*> Files;
    int EmptyRows = 0;
    bool DropNextEmptyRow = false;

    // A group left with fewer than two files goes, and with it the empty row before it (or,
    // for the first group, the one before the next group), so the list keeps its layout.
    void EndGroup()
    {
        if (Header && Files.size() < 2) {
            if (EmptyRows > 0)
                --EmptyRows;
            else
                DropNextEmptyRow = true;
        } else if (Header || !Files.empty()) {
            if (DropNextEmptyRow && EmptyRows > 0) {
                --EmptyRows;
                DropNextEmptyRow = false;
            }
            WriteEmptyRows();
            if (Header)
                Lines.Results.push_back(ListLine(*Header));
            for (const TResultRow* row : Files) {
                Lines.Results.push_back(ListLine(*row));
                if (IsNewDuplicatePath(row->Caption))
                    Lines.NewDuplicates.push_back(row->Caption);
            }
        }
        Header = nullptr;
        Files.clear();
    }
    void WriteEmptyRows()
    {
        for (; EmptyRows > 0; --EmptyRows) Lines.Results.push_back(ListLine(TResultRow{}));
    }
};

}  // namespace

TListLines BuildListLines(const TResultRows& rows)
{
    TListWriter writer;
    writer.Lines.Results.reserve(rows.Count());
    for (const TResultRow& row : rows.Rows()) {
        if (row.Caption.empty() || row.Caption == kGroupHeaderCaption) {
            writer.EndGroup();
            if (row.Caption.empty())
                ++writer.EmptyRows;
            else
                writer.Header = &row;
        } else if (HoldsLineBreak(row.Caption)) {
            writer.Lines.LeftOut.push_back(row.Caption);
        } else {
            writer.Files.push_back(&row);
        }
    }
    writer.EndGroup();
    writer.WriteEmptyRows();
    return std::move(writer.Lines);
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
