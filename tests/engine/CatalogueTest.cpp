#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <utility>

#include "engine/Catalogue.h"
#include "engine/SearchFixture.h"

namespace {

class CatalogueTest : public SearchFixture {
protected:
    void SetUp() override
    {
        SearchFixture::SetUp();
        Neutral();
    }
    // The rules as each case starts: nothing skipped, empty files kept, size mode, no lists.
    void Neutral()
    {
        for (TStringList* list : {&State.Catalogue, &State.FolderList, &State.MasterKeys,
                                  &State.SkipFolders, &State.KnownDuplicates})
            list->Clear();
        State.SkipSysbckupFolder = State.SkipDesktopIniFolders = false;
        State.IncludeEmptyFiles = State.RequireSameSize = true;
    }
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
    // The full paths of the catalogued files: folder line + the name after the key.
    Lines Paths() const
    {
        Lines paths;
        for (int i = 0; i < State.Catalogue.Count(); ++i) {
            const std::string& entry = State.Catalogue[i];
            const std::size_t name = State.RequireSameSize
                                         ? entry.find(' ', entry.find_first_not_of(' ')) + 1
                                         : entry.find('\\') + 1;
            paths.push_back(State.FolderList[static_cast<int>(State.Catalogue.Objects(i))] +
                            entry.substr(name));
        }
        return paths;
    }
};

TEST_F(CatalogueTest, KeysAndEntriesOfSizeAndNameMode)
{
    // ":" separates the drive as the second character only; a Linux name may hold it.
    EXPECT_EQ(TCatalogue::NameOfPath("C:a.txt"), "a.txt");
    EXPECT_EQ(TCatalogue::NameOfPath("C:\\d:x\\notes:k.txt"), "notes:k.txt");
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
    Neutral();
    State.RequireSameSize = false;
    Write("ReadMe.TXT", "123");
    Write("sub/readme.txt", "1234567");
    Write("other", "123");
    Walk();
    EXPECT_EQ(Entries(),
              (Lines{"other\\other", "readme.txt\\readme.txt", "ReadMe.TXT\\ReadMe.TXT"}));
}

TEST_F(CatalogueTest, SkipRules)
{
    const struct {
        const char* Name;
        std::function<void(TSearchState&)> Rule;
        Lines Files, Listed;
    } cases[] = {
        {"the swap file names, however short the others",
         [](TSearchState&) {},
         {"mm256.dat", "MM2048.DAT", "dat", ".dat", "a", "mm512.dat"},
         {"C:\\.dat", "C:\\a", "C:\\dat", "C:\\mm512.dat"}},
        {"SYSBCKUP folders and everything below",
         [](TSearchState& s) { s.SkipSysbckupFolder = true; },
         {"WINDOWS/SYSBCKUP/s1", "WINDOWS/sysbckup/deep/s2", "SYSBCKUPX/s3", "WINDOWS/s4"},
         {"C:\\SYSBCKUPX\\s3", "C:\\WINDOWS\\s4"}},
        {"user skip folders match whole names at any depth",
         [](TSearchState& s) {
             s.SkipFolders.Add("\\sp3\\");
             s.SkipFolders.Add("");  // never matches everything
         },
         {"i386/sp3/u1", "I386/SP3/update/u2", "sp30/u3", "i386/u4"},
         {"C:\\sp30\\u3", "C:\\i386\\u4"}},
        {"desktop.ini skips its own folder only",
         [](TSearchState& s) { s.SkipDesktopIniFolders = true; },
         {"custom/desktop.ini", "custom/photo", "custom/plain/below", "odd/desktop.ini/x", "odd/y",
          "copied/Desktop.ini", "copied/z", "UPPER/DESKTOP.INI", "UPPER/w"},
         {"C:\\custom\\plain\\below", "C:\\odd\\desktop.ini\\x", "C:\\odd\\y"}},
        {"known duplicates in any letter case",
         [](TSearchState& s) { s.KnownDuplicates.Add("C:\\DATA\\KNOWN.TXT"); },
         {"Data/known.txt", "Data/new.txt"},
         {"C:\\Data\\new.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        UseDrives({}, "case" + std::to_string(&c - cases));
        Neutral();
        c.Rule(State);
        for (const std::string& file : c.Files) Write(file, "1");
        Walk();
        EXPECT_EQ(Paths(), c.Listed);
    }
}

}  // namespace
