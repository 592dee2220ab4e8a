#include "cli/ListText.h"

#include "text/CommaText.h"

std::string ResultListLine(const TResultRow& row)
{
    std::string line = "\"" + row.Caption + "\"";
    if (!row.SubItems.empty()) line += "," + WriteCommaText(row.SubItems);
    return line;
}

bool IsDrivePath(const std::string& caption)
{
    return caption.size() > 2 && caption[1] == ':';
}
