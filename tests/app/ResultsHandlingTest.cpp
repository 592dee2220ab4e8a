#include <gtest/gtest.h>

#include "app/ResultsHandling.h"

namespace {

using Pic = std::vector<std::string>;

// Rows from a compact picture: "H" a header, "" an empty row, anything else a file row.
TResultRows Layout(const Pic& captions)
{
    TResultRows rows;
    for (const std::string& c : captions) {
        if (c == "H")
            rows.Append({kGroupHeaderCaption, {}});
        else
            rows.Append({c, c.empty() ? Pic{} : Pic{"1", "t", "d", "A"}});
    }
    return rows;
}

Pic Picture(const TResultRows& rows)
{
    Pic out;
    for (const TResultRow& row : rows.Rows())
        out.push_back(IsGroupHeader(row.Caption) ? "H" : row.Caption);
    return out;
}

TEST(ResultsHandling, SelectedFilePathNamesOnlyFileRows)
{
    TResultRows rows = Layout({"H", "C:\\a", ""});
    rows.Append({"  C:\\padded  ", {}});
    rows.Append({"xx Duplicate files ..... xx", {}});
    EXPECT_EQ(SelectedFilePath(rows, 1), "C:\\a");
    EXPECT_EQ(SelectedFilePath(rows, 0), "");
    EXPECT_EQ(SelectedFilePath(rows, 2), "");
    EXPECT_EQ(SelectedFilePath(rows, 3), "C:\\padded");
    EXPECT_EQ(SelectedFilePath(rows, 4), "") << "a caption containing the header text";
    EXPECT_EQ(SelectedFilePath(rows, kNoRow), "");
    EXPECT_EQ(SelectedFilePath(rows, 99), "");
}

TEST(ResultsHandling, TidyGroupRemovesOnlyAGroupFallenToOneFile)
{
    const struct {
        const char* what;
        Pic before;
        std::ptrdiff_t row;  // the row above the removed one
        Pic after;
    } cases[] = {
        {"last group", {"H", "a", "b", "", "H", "c"}, 5, {"H", "a", "b", ""}},
        {"first file removed", {"H", "b", "", "H", "d", "e"}, 0, {"H", "d", "e"}},
        {"two files left", {"H", "a", "c", "", "H", "d"}, 1, {"H", "a", "c", "", "H", "d"}},
        {"no header above", {"a", "b", "", "H", "c"}, 0, {"a", "b", "", "H", "c"}},
        {"no row", {"H", "a", "", "H", "b"}, kNoRow, {"H", "a", "", "H", "b"}},
        {"past the end", {"H", "a"}, 42, {"H", "a"}},
        {"header without files", {"H", "", "H", "a", "b"}, 0, {"H", "", "H", "a", "b"}},
        {"up past empty rows", {"H", "a", "", ""}, 3, {""}},
    };
    for (const auto& c : cases) {
        TResultRows rows = Layout(c.before);
        TidyGroup(rows, c.row);
        EXPECT_EQ(Picture(rows), c.after) << c.what;
    }
}

TEST(ResultsHandling, GroupCompanionsAreTheOtherFilesOfTheGroup)
{
    const TResultRows rows = Layout({"H", "a", "b", "c", "", "H", "d", "e"});
    EXPECT_EQ(GroupCompanions(rows, 2), (Pic{"a", "c"}));
    EXPECT_EQ(GroupCompanions(rows, 7), (Pic{"d"}));
    // Without a header (hand-edited), the neighbouring file rows still form the group.
    const TResultRows edited = Layout({"x", "y", "H", "z"});
    EXPECT_EQ(GroupCompanions(edited, 0), (Pic{"y"}));
    EXPECT_TRUE(GroupCompanions(edited, 3).empty());
    EXPECT_TRUE(GroupCompanions(edited, 99).empty());
}

}  // namespace
