#include "views/GroupSelect.h"

#include <algorithm>
#include <optional>

#include "platform/FileFind.h"
#include "text/DateTime.h"
#include "text/Format.h"
#include "text/TextUtil.h"
#include "views/FileRow.h"

namespace {

// The time a row shows; the file's own when the text cannot be read.
std::optional<TDateTime> ModifiedOf(const TResultRow& row)
{
    TDateTime value = 0;
    const std::size_t column = fcModified - 1;
    if (column < row.SubItems.size() && TextToDateTime(row.SubItems[column], value))
        return value;
    TSearchRec rec;
    if (!FindFile(row.Caption, rec))
        return std::nullopt;
    if (!TextToDateTime(ModifiedText(rec.LastWriteTime), value))
        return std::nullopt;
    return value;
}

// The file of the group that the rule keeps, as an index into group.Files.
std::size_t Kept(const std::vector<TResultRow>& rows, const TRowGroup& group, TKeepRule keep)
{
    if (keep == TKeepRule::krFirst)
        return 0;
    std::size_t best = 0;
    std::optional<TDateTime> bestTime;
    for (std::size_t i = 0; i < group.Files.size(); ++i) {
        const std::optional<TDateTime> time = ModifiedOf(rows[group.Files[i]]);
        if (!time)
            continue;
        const bool better =
            !bestTime || (keep == TKeepRule::krNewest ? *time > *bestTime : *time < *bestTime);
        if (better) {
            best = i;
            bestTime = time;
        }
    }
    return best;
}

std::int64_t ListedSize(const TResultRow& row)
{
    long long size = -1;
    if (row.SubItems.empty() || !TryStrToInt64(row.SubItems[0], size))
        return -1;
    return size;
}

}  // namespace

std::vector<TRowGroup> GroupsOfRows(const std::vector<TResultRow>& rows)
{
    std::vector<TRowGroup> groups;
    bool inGroup = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (IsGroupHeader(rows[i].Caption)) {
            groups.push_back({i, {}});
            inGroup = true;
        } else if (Trim(rows[i].Caption).empty()) {
            inGroup = false;
        } else if (inGroup) {
            groups.back().Files.push_back(i);
        }
    }
    return groups;
}

TRowSelection SelectAllButOne(const std::vector<TResultRow>& rows, TKeepRule keep)
{
    TRowSelection selection;
    for (const TRowGroup& group : GroupsOfRows(rows)) {
        if (group.Files.empty())
            continue;
        const std::size_t kept = Kept(rows, group, keep);
        for (std::size_t i = 0; i < group.Files.size(); ++i) {
            if (i != kept)
                selection.push_back(group.Files[i]);
        }
    }
    return selection;
}

TRowSelection InvertWithinGroups(const std::vector<TResultRow>& rows,
                                 const TRowSelection& selection)
{
    TRowSelection sorted = selection;
    std::sort(sorted.begin(), sorted.end());
    TRowSelection inverted;
    for (const TRowGroup& group : GroupsOfRows(rows)) {
        for (const std::size_t row : group.Files) {
            if (!std::binary_search(sorted.begin(), sorted.end(), row))
                inverted.push_back(row);
        }
    }
    return inverted;
}

std::vector<TCleanupGroup> CleanupGroupsOfRows(const std::vector<TResultRow>& rows,
                                               const TRowSelection& selection)
{
    TRowSelection sorted = selection;
    std::sort(sorted.begin(), sorted.end());
    std::vector<TCleanupGroup> groups;
    for (const TRowGroup& group : GroupsOfRows(rows)) {
        TCleanupGroup cleanup;
        bool any = false;
        for (const std::size_t row : group.Files) {
            const bool selected = std::binary_search(sorted.begin(), sorted.end(), row);
            cleanup.Files.push_back({rows[row].Caption, ListedSize(rows[row]), selected, row});
            any = any || selected;
        }
        if (any)
            groups.push_back(std::move(cleanup));
    }
    return groups;
}
