#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>

#include "engine/Catalogue.h"
#include "engine/SearchFixture.h"

namespace {

class CatalogueTest : public SearchFixture {
protected:
    // The driver's scanner, bound to the catalogue, walking alone.
    void Walk(std::string_view root = "C:\\")
    {
        Driver.TreeScanner1.SetFileMask("*.*");
        Driver.TreeScanner1.SetInitialDirectory(root);
        Driver.TreeScanner1.Search();
    }
    Lines Entries() const
    {
        Lines lines;
        for (int i = 0; i < State.Catalogue.Count(); ++i) lines.push_back(State.Catalogue[i]);
        return lines;
    }
    // The full paths of the files catalogued in size mode: folder line + the name after the key.
    Lines Paths() const
    {
        Lines paths;
        for (int i = 0; i < State.Catalogue.Count(); ++i) {
            const std::string& entry = State.Catalogue[i];
            paths.push_back(State.FolderList[static_cast<int>(State.Catalogue.Objects(i))] +
                            entry.substr(entry.find(' ', entry.find_first_not_of(' ')) + 1));
        }
        return paths;
    }
};

TEST_F(CatalogueTest, KeysAndEntriesOfSizeAndNameMode)
{
    ASSERT_EQ(truncate(Write("Data/big.bin", "").c_str(), 1'234'567'890), 0);
    ASSERT_EQ(truncate(Write("huge.img", "").c_str(), 5'000'000'000LL), 0);
    for (const auto& [name, size] : std::vector<std::pair<std::string, std::size_t>>{
             {"b100", 100}, {"z9", 9}, {"A9", 9}, {"A/same.txt", 10}, {"B/same.txt", 10}})
        Write(name, std::string(size, 'x'));
    Walk();
    // Numeric order of sizes; equal entries stay together with the later found first.
    EXPECT_EQ(Entries(),
              (Lines{"        9 A9", "        9 z9", "       10 same.txt", "       10 same.txt",
                     "      100 b100", "1234567890 big.bin", "5000000000 huge.img"}));
    EXPECT_EQ(Paths()[2], "C:\\B\\same.txt");

    UseDrives({}, "names");
    State.Catalogue.Clear();
    State.FolderList.Clear();
    State.RequireSameSize = false;
    Write("ReadMe.TXT", "123");
    Write("sub/readme.txt", "1234567");
    Write("other", "123");
    Walk();
    EXPECT_EQ(Entries(),
              (Lines{"other\\other", "readme.txt\\readme.txt", "ReadMe.TXT\\ReadMe.TXT"}));
}

// Skip folders match whole folder names at any depth, and an empty one none; known duplicates
// match in any letter case. The built-in rules are checked against fdupes (DifferentialTest).
TEST_F(CatalogueTest, SkipFoldersAndKnownDuplicates)
{
    State.SkipFolders.Add("\\sp3\\");
    State.SkipFolders.Add("");
    State.KnownDuplicates.Add("C:\\DATA\\KNOWN.TXT");
    for (const char* file : {"i386/sp3/u1", "I386/SP3/update/u2", "sp30/u3", "i386/u4",
                             "Data/known.txt", "Data/new.txt"})
        Write(file, "1");
    Walk();
    EXPECT_EQ(Paths(), (Lines{"C:\\Data\\new.txt", "C:\\sp30\\u3", "C:\\i386\\u4"}));
}

}  // namespace
