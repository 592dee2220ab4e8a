#include <gtest/gtest.h>

#include "app/ResultsHandling.h"

namespace {

// Rows from a compact picture: "H" a header, "" an empty row, anything else a file row.
TResultRows Layout(std::initializer_list<const char*> captions)
{
    TResultRows rows;
    for (const char* caption : captions) {
        const std::string c = caption;
        if (c == "H") {
            rows.Append({kGroupHeaderCaption, {}});
        } else if (c.empty()) {
            rows.Append({"", {}});
        } else {
            rows.Append({c, {"1", "t", "d", "A", "", ""}});
        }
    }
    return rows;
}

std::vector<std::string> Picture(const TResultRows& rows)
{
    std::vector<std::string> out;
    for (const TResultRow& row : rows.Rows()) {
        out.push_back(IsGroupHeader(row.Caption) ? "H" : row.Caption);
    }
    return out;
}

using Pic = std::vector<std::string>;

TEST(SelectedFilePathTest, OnlyFileRowsNameAFile)
{
    TResultRows rows = Layout({"H", "C:\\a", "C:\\b", "", "H", "C:\\c"});
    rows.Append({"  C:\\padded  ", {}});
    rows.Append({"xx Duplicate files ..... xx", {}});
    EXPECT_EQ(SelectedFilePath(rows, 1), "C:\\a");
    EXPECT_EQ(SelectedFilePath(rows, 0), "");
    EXPECT_EQ(SelectedFilePath(rows, 3), "");
    EXPECT_EQ(SelectedFilePath(rows, 6), "C:\\padded");
    EXPECT_EQ(SelectedFilePath(rows, 7), "");  // a caption containing the header text
    EXPECT_EQ(SelectedFilePath(rows, kNoRow), "");
    EXPECT_EQ(SelectedFilePath(rows, 99), "");
}

TEST(TidyGroupTest, TheLastGroupFallingToOneLeavesTheListEndingWithAnEmptyRow)
{
    TResultRows rows = Layout({"H", "C:\\a", "C:\\b", "", "H", "C:\\c"});
    TidyGroup(rows, 5);
    EXPECT_EQ(Picture(rows), (Pic{"H", "C:\\a", "C:\\b", ""}));
}

TEST(TidyGroupTest, AGroupFallingFromThreeToTwoStays)
{
    TResultRows rows = Layout({"H", "C:\\a", "C:\\c", "", "H", "C:\\d", "C:\\e"});
    TidyGroup(rows, 1);
    EXPECT_EQ(rows.Count(), 7u);
    // The header row itself given (the first file of the group was removed).
    TResultRows first = Layout({"H", "C:\\b", "", "H", "C:\\d", "C:\\e"});
    TidyGroup(first, 0);
    EXPECT_EQ(Picture(first), (Pic{"H", "C:\\d", "C:\\e"}));
}

TEST(TidyGroupTest, HandEditedListsNeverWalkPastTheTop)
{
    TResultRows noHeader = Layout({"C:\\a", "C:\\b", "", "H", "C:\\c"});
    TidyGroup(noHeader, 0);
    EXPECT_EQ(noHeader.Count(), 5u);
    TidyGroup(noHeader, kNoRow);
    TidyGroup(noHeader, 42);
    EXPECT_EQ(noHeader.Count(), 5u);

    // A header with no file rows is left alone.
    TResultRows bare = Layout({"H", "", "H", "C:\\a", "C:\\b"});
    TidyGroup(bare, 0);
    EXPECT_EQ(bare.Count(), 5u);

    // The walk up passes empty rows until it meets a header.
    TResultRows gap = Layout({"H", "C:\\a", "", ""});
    TidyGroup(gap, 3);
    EXPECT_EQ(Picture(gap), (Pic{""}));
}

TEST(GroupCompanionsTest, TheOtherFilesOfTheSameGroupOnly)
{
    const TResultRows rows = Layout({"H", "C:\\a", "C:\\b", "C:\\c", "", "H", "C:\\d", "C:\\e"});
    EXPECT_EQ(GroupCompanions(rows, 2), (Pic{"C:\\a", "C:\\c"}));
    EXPECT_EQ(GroupCompanions(rows, 7), (Pic{"C:\\d"}));
    // Without a header (hand-edited), the neighbouring file rows still form the group.
    const TResultRows edited = Layout({"C:\\x", "C:\\y", "H", "C:\\z"});
    EXPECT_EQ(GroupCompanions(edited, 0), (Pic{"C:\\y"}));
    EXPECT_TRUE(GroupCompanions(edited, 3).empty());
    EXPECT_TRUE(GroupCompanions(edited, 99).empty());
}

}  // namespace
