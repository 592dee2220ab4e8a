#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "support/TempTree.h"
#include "text/LocaleCompare.h"
#include "text/StringList.h"

using namespace std::string_literals;

namespace {

using Entries = std::vector<std::pair<std::string, std::int64_t>>;

// "string:object|" for every item in order.
std::string Contents(const Entries& entries)
{
    std::string text;
    for (const auto& [s, object] : entries) text += s + ":" + std::to_string(object) + "|";
    return text;
}

std::string Contents(const TStringList& list)
{
    Entries e;
    for (int i = 0; i < list.Count(); ++i) e.emplace_back(list[i], list.Objects(i));
    return Contents(e);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(StringList, UnsortedKeepsTheOrderOfAddingAndInserting)
{
    TStringList list;
    list.Add("c", 3);
    list.Add("a", 1);
    list.Add("C", 4);
    list.Insert(99, "last", 11);   // clamped to the end
    list.Insert(-5, "front", 12);  // clamped to the start
    list.Insert(2, "mid", 13);
    list.Delete(3);
    EXPECT_EQ(Contents(list), "front:12|c:3|mid:13|C:4|last:11|");
    // Unsorted: IndexOf takes the bytes as they are, Find the locale comparison.
    EXPECT_EQ(list.IndexOf("C"), 3);
    EXPECT_EQ(list.IndexOf("MID"), -1);
    int index = -1;
    EXPECT_TRUE(list.Find("MID", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find("zz", index));
    EXPECT_EQ(index, list.Count());
}

TEST(StringList, EqualStringsGoBeforeTheFirstEqualOneOrAreIgnored)
{
    TStringList accept(true, TDuplicates::dupAccept), ignore(true, TDuplicates::dupIgnore);
    for (TStringList* list : {&accept, &ignore}) {
        list->Add("b", 1);
        list->Add("readme.txt", 2);
        list->Add("a", 3);
        list->Add("README.TXT", 4);
        list->Add("ReadMe.txt", 5);
        EXPECT_EQ(list->Count(), list == &accept ? 5 : 3);  // a read between adds
        list->Add("readme.TXT", 6);
        list->Add("B", 7);
    }
    EXPECT_EQ(Contents(accept), "a:3|B:7|b:1|readme.TXT:6|ReadMe.txt:5|README.TXT:4|readme.txt:2|");
    EXPECT_EQ(Contents(ignore), "a:3|b:1|readme.txt:2|");
}

TEST(StringList, BufferedAddsGiveExactlyTheOrderOfOneByOneInsertion)
{
    for (TDuplicates dup : {TDuplicates::dupAccept, TDuplicates::dupIgnore}) {
        std::mt19937 rng(dup == TDuplicates::dupAccept ? 5 : 6);
        const std::vector<std::string> pool = {"  12 a", "  12 A", "  12 b",   " 123 a",   "   9 z",
                                               "x",      "X",      "\xC3\xA9", "\xC3\x89", "e",
                                               "\xFF",   "",       " "};
        TStringList list(true, dup);
        Entries reference;  // each add searched for and inserted on its own
        for (int step = 0; step < 8000; ++step) {
            // The first few thousand adds come in one batch, as a catalogue is filled.
            const unsigned action = step < 4000 ? 0 : rng() % 100;
            if (action < 80) {
                char entry[40];
                std::snprintf(entry, sizeof entry, "%9u f%u", unsigned(rng() % 500),
                              unsigned(rng() % 3));
                const std::string s = rng() % 2 ? pool[rng() % pool.size()] : entry;
                list.Add(s, step);
                const auto at = std::lower_bound(reference.begin(), reference.end(), s,
                                                 [](const auto& e, const std::string& v) {
                                                     return AnsiCompareText(e.first, v) < 0;
                                                 });
                if (dup == TDuplicates::dupAccept || at == reference.end() ||
                    AnsiCompareText(at->first, s) != 0)
                    reference.insert(at, {s, step});
            } else if (action < 92 && !reference.empty()) {
                // The comparison's pattern: read the last entry, then delete it.
                ASSERT_EQ(list[static_cast<int>(reference.size() - 1)], reference.back().first);
                list.Delete(static_cast<int>(reference.size() - 1));
                reference.pop_back();
            } else if (action < 94) {
                ASSERT_EQ(Contents(list), Contents(reference)) << "step " << step;
            }
        }
        EXPECT_EQ(Contents(list), Contents(reference));
    }
}

TEST(StringList, PreparingInStepsGivesTheOrderOfOneMerge)
{
    for (TDuplicates dup : {TDuplicates::dupAccept, TDuplicates::dupIgnore}) {
        std::mt19937 rng(7);
        TStringList plain(true, dup), stepped(true, dup);
        for (TStringList* list : {&plain, &stepped}) {
            list->Add("  12 ab", -1);
            list->Add("  12 Ac", -2);
            list->Count();  // items merged already, older than every add below
        }
        // Not a whole number of steps, and many equal strings that differ in case only.
        for (int i = 0; i < 30000; ++i) {
            std::string s = "  12 a";
            s += static_cast<char>('a' + rng() % 20);
            if (rng() % 2) s[5] = 'A';
            plain.Add(s, i);
            stepped.Add(s, i);
        }
        int pumps = 0;
        stepped.Prepare([&] { ++pumps; });
        EXPECT_GE(pumps, 4);
        EXPECT_EQ(Contents(stepped), Contents(plain));
    }
}

TEST(StringList, FindOnSortedListsGivesTheFirstEqualOrTheInsertionPoint)
{
    TStringList list(true);
    for (const char* s :
         {"    1234 b.txt", "    1234 a.txt", "   12345 a.txt", "     999 z.txt", "    1234 A.TXT"})
        list.Add(s);
    int index = -1;
    EXPECT_TRUE(list.Find("    1234 A.txt", index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(list[index], "    1234 A.TXT");  // the newer of the two equal ones
    EXPECT_FALSE(list.Find("    1234 c.txt", index));
    EXPECT_EQ(index, 4);
    EXPECT_FALSE(list.Find("       1 a", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(list.Find("999999999", index));
    EXPECT_EQ(index, list.Count());
    EXPECT_EQ(list.IndexOf("   12345 A.TXT"), 4);
    EXPECT_EQ(list.IndexOf("   12345 \xC3\xA1.txt"), -1);
}

TEST(StringList, OutOfRangeIndexesHaveAQuietOutcomeAndCopiesAreIndependent)
{
    TStringList list(true, TDuplicates::dupIgnore);
    list.Add("b", 7);
    EXPECT_EQ(list[1], "");
    EXPECT_EQ(list[-1], "");
    EXPECT_EQ(list.Objects(5), 0);
    list.SetObject(5, 1);
    list.Delete(1);
    list.Delete(-1);
    EXPECT_EQ(Contents(list), "b:7|");

    list.Add("a", 2);
    TStringList copy(list);
    copy.Add("A", 3);  // the copy's keys still know "a"
    copy.Add("c", 4);
    list.Clear();
    EXPECT_EQ(Contents(copy), "a:2|b:7|c:4|");
    list = copy;
    EXPECT_EQ(Contents(list), Contents(copy));
}

TEST(StringList, CommaTextAndTextLines)
{
    TStringList masks(true, TDuplicates::dupIgnore);
    masks.SetCommaText("*.txt  *.doc,*.TXT");
    EXPECT_EQ(masks.CommaText(), "*.doc,*.txt");
    masks.SetCommaText("");
    EXPECT_EQ(masks.Count(), 0);
    // A CR, an LF or the pair ends a line; bytes are kept as they are.
    TStringList list;
    list.SetText("a\r\nb\rc\nd");
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    list.SetText("a\n\rb\r\r\n\n");
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n\r\n\r\n");
    list.SetText("\r\n");
    EXPECT_EQ(list.Count(), 1);
    list.SetText("x\0y\n\xFF\xFE z\n"s);
    EXPECT_EQ(list[0], "x\0y"s);
    EXPECT_EQ(list.Text(), "x\0y\r\n\xFF\xFE z\r\n"s);
    TStringList known(true, TDuplicates::dupIgnore);  // sorted lists load under their rules
    known.SetText("C:\\B.TXT\r\nc:\\a.txt\r\nc:\\b.txt\r\n");
    EXPECT_EQ(known.Text(), "c:\\a.txt\r\nC:\\B.TXT\r\n");
}

TEST(StringList, SaveAndLoadFilesAndSaveThroughALink)
{
    TTempTree tree;
    const std::string path = tree.Path("Zarvex.lis");
    TStringList list;
    list.Add("\"Duplicate files .....\"");
    list.Add("\"C:\\Data\\r\xC3\xA9port.txt\",512");
    list.Add("nul\0inside"s);
    ASSERT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(
        ReadFile(path),
        "\"Duplicate files .....\"\r\n\"C:\\Data\\r\xC3\xA9port.txt\",512\r\nnul\0inside\r\n"s);

    TStringList back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.Text(), list.Text());

    // Replacing keeps the file's permissions; nothing is left beside it.
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    list.Clear();
    list.Add("short");
    ASSERT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(ReadFile(path), "short\r\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(access((path + ".XXXXXX").c_str(), F_OK), -1);

    // Saving through a link replaces its target.
    const std::string link = tree.Path("link.lis");
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    list.Add("new");
    ASSERT_TRUE(list.SaveToFile(link));
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(path), "short\r\nnew\r\n");
}

TEST(StringList, FailedLoadsAndSavesChangeNothing)
{
    TTempTree tree;
    TStringList list;
    list.Add("kept");
    EXPECT_FALSE(list.LoadFromFile(tree.Path("missing.lis")));
    EXPECT_FALSE(list.LoadFromFile(tree.MakeDir("folder")));
    const std::string fifo = tree.Path("fifo.lis");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(list.LoadFromFile(fifo));  // returns at once instead of waiting for a writer
    EXPECT_EQ(list.Text(), "kept\r\n");

    EXPECT_FALSE(list.SaveToFile(tree.Path("no/such/folder/x.lis")));
    EXPECT_FALSE(list.SaveToFile(tree.Path("folder")));
    EXPECT_TRUE(list.LoadFromFile(tree.WriteFile("empty.lis", "")));
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, SavingWhereNoFileCanBeAddedBesideOverwritesInPlace)
{
    TTempTree tree;
    TStringList list;
    list.Add("x");
    const std::string longest = tree.Path(std::string(255, 'n'));  // no room for a temporary name
    ASSERT_TRUE(list.SaveToFile(longest));
    EXPECT_EQ(ReadFile(longest), "x\r\n");
    if (geteuid() == 0)
        GTEST_SKIP() << "folder and file permissions do not bind root";
    const std::string folder = tree.MakeDir("locked");
    const std::string path = tree.WriteFile("locked/Zarvex.lis", "old\r\n");
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    EXPECT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(ReadFile(path), "x\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    list.Add("y");
    EXPECT_FALSE(list.SaveToFile(path));
    EXPECT_EQ(ReadFile(path), "x\r\n");
    chmod(folder.c_str(), 0755);
}
