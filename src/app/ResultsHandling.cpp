#include "app/ResultsHandling.h"

#include "text/TextUtil.h"

namespace {

// The header at or above `row`; kNoRow when the walk reaches the top without one.
std::ptrdiff_t HeaderAbove(const TResultRows& rows, std::ptrdiff_t row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= rows.Count()) return kNoRow;
    for (std::ptrdiff_t i = row; i >= 0; --i) {
        if (IsGroupHeader(rows.Row(static_cast<std::size_t>(i)).Caption)) return i;
    }
    return kNoRow;
}

// One past the last row of the group whose header is at `header`: an empty row or the end.
std::size_t GroupEnd(const TResultRows& rows, std::size_t header)
{
    std::size_t i = header + 1;
    while (i < rows.Count() && !rows.Row(i).Caption.empty()) ++i;
    return i;
}

}  // namespace

bool IsGroupHeader(const std::string& caption)
{
    return caption.find(kGroupHeaderCaption) != std::string::npos;
}

std::string SelectedFilePath(const TResultRows& rows, std::ptrdiff_t selected)
{
    if (selected < 0 || static_cast<std::size_t>(selected) >= rows.Count()) return {};
    std::string path = Trim(rows.Row(static_cast<std::size_t>(selected)).Caption);
    if (IsGroupHeader(path)) return {};
    return path;
}

std::vector<std::string> GroupCompanions(const TResultRows& rows, std::size_t row)
{
    std::vector<std::string> others;
    if (row >= rows.Count()) return others;
    auto inGroup = [&rows](std::size_t i) {
        const std::string& caption = rows.Row(i).Caption;
        return !caption.empty() && !IsGroupHeader(caption);
    };
    std::size_t first = row;
    while (first > 0 && inGroup(first - 1)) --first;
    std::size_t end = row + 1;
    while (end < rows.Count() && inGroup(end)) ++end;
    for (std::size_t i = first; i < end; ++i) {
        const std::string path = SelectedFilePath(rows, static_cast<std::ptrdiff_t>(i));
        if (i != row && !path.empty()) others.push_back(path);
    }
    return others;
}

void TidyGroup(TResultRows& rows, std::ptrdiff_t row)
{
    const std::ptrdiff_t found = HeaderAbove(rows, row);
    if (found == kNoRow) return;
    const auto header = static_cast<std::size_t>(found);
    const std::size_t end = GroupEnd(rows, header);
    if (end - header - 1 != 1) return;
    if (end < rows.Count()) rows.Remove(end);
    rows.Remove(header + 1);
    rows.Remove(header);
}
