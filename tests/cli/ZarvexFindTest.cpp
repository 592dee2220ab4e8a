// zarvex-find end to end: the real program on temporary trees, its exact output and status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "cli/RunProgram.h"
#include "support/TempTree.h"

namespace {

constexpr std::int64_t kStamp = 992959500;  // 2001-06-19 14:05 UTC
constexpr const char* kHeaderLine = "\"Duplicate files .....\"\r\n";

class ZarvexFindTest : public testing::Test {
protected:
    std::string Write(const std::string& relative, const std::string& contents,
                      std::int64_t stamp = kStamp)
    {
        std::string path = Tree.WriteFile(relative, contents);
        Tree.SetTime(relative, stamp);
        return path;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The Zarvex.lis line of a file row whose type is "plain text document" and which has
    // no version strings.
    static std::string TextRow(const std::string& path, std::int64_t size)
    {
        return "\"" + path + "\"," + std::to_string(size) +
               ",\"plain text document\",\"2001/06/19 14:05\",\"   A\",,\r\n";
    }

    TTempTree Tree;
};

TEST_F(ZarvexFindTest, FoldersBecomeDrivesAndGroupsAreWrittenInTheSavedListForm)
{
    Write("one/report.txt", "the same words");
    Write("two/report.txt", "the same words");
    Write("two/copy.txt", "the same words");
    Write("two/zother.txt", "other words!!!");  // same size, after the copies
    Write("three/notes.txt", "notes");
    Write("three/again.txt", "notes");

    const TProgramRun run = RunZarvexFind({Tree.Path("one"), Tree.Path("two"), Tree.Path("three")});

    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, std::string(kHeaderLine) + TextRow("C:\\report.txt", 14) +
                           TextRow("D:\\copy.txt", 14) + TextRow("D:\\report.txt", 14) +
                           "\"\"\r\n" + kHeaderLine + TextRow("E:\\again.txt", 5) +
                           TextRow("E:\\notes.txt", 5));
    EXPECT_EQ(run.Err, "Scan complete\nBytes: 33  Files: 3\n");
}

TEST_F(ZarvexFindTest, ListsGoToTheNamedFiles)
{
    TTempTree lists;
    Write("a/x.txt", "12345");
    Write("b/x.txt", "12345");

    const TProgramRun run =
        RunZarvexFind({"--output", lists.Path("Zarvex.lis"), "--new-duplicates=" + lists.Path("NewDupl.lis"),
                       "--quiet", Tree.Root()});

    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(Read(lists.Path("Zarvex.lis")),
              std::string(kHeaderLine) + TextRow("C:\\a\\x.txt", 5) + TextRow("C:\\b\\x.txt", 5));
    EXPECT_EQ(Read(lists.Path("NewDupl.lis")), "C:\\a\\x.txt\r\nC:\\b\\x.txt\r\n");
}

TEST_F(ZarvexFindTest, RulesFollowTheOptions)
{
    Write("a/doc.txt", "same contents", kStamp);
    Write("b/doc.txt", "same contents", kStamp + 7200);  // a copy of another time
    Write("c/DOC.TXT", "other", kStamp);                 // only the name agrees
    Write("d/empty1", "");
    Write("d/empty2", "");

    EXPECT_EQ(RunZarvexFind({"-q", Tree.Root()}).Out, "");
    const TProgramRun content = RunZarvexFind({"-q", "--no-same-stamp", Tree.Root()});
    EXPECT_EQ(content.Out, std::string(kHeaderLine) + "\"C:\\a\\doc.txt\",13,\"plain text document\","
                                                      "\"2001/06/19 14:05\",\"   A\",,\r\n"
                                                      "\"C:\\b\\doc.txt\",13,\"plain text document\","
                                                      "\"2001/06/19 16:05\",\"   A\",,\r\n");
    const TProgramRun names = RunZarvexFind({"--no-same-size", Tree.Root()});
    EXPECT_NE(names.Out.find("\"C:\\c\\DOC.TXT\""), std::string::npos);
    EXPECT_EQ(names.Err, "Scan complete\nBytes: 0  Files: 2\n");
    const TProgramRun empties = RunZarvexFind({"--no-skip-empty", "-q", "--mask", "empty*", Tree.Root()});
    EXPECT_EQ(empties.Out, std::string(kHeaderLine) +
                               "\"C:\\d\\empty1\",0,\"empty document\",\"2001/06/19 14:05\",\"   A\",,\r\n"
                               "\"C:\\d\\empty2\",0,\"empty document\",\"2001/06/19 14:05\",\"   A\",,\r\n");
}

TEST_F(ZarvexFindTest, NestedFoldersAreReportedAndKnownDuplicatesLeftAlone)
{
    TTempTree lists;
    Write("keep/a.txt", "contents");
    Write("keep/b.txt", "contents");
    Write("keep/c.txt", "contents");
    std::ofstream(lists.Path("SkipDupl.lis"), std::ios::binary) << "c:\\KEEP\\c.txt\r\n";

    const TProgramRun run = RunZarvexFind({"--in", "\\keep,\\", "--known-duplicates",
                                           lists.Path("SkipDupl.lis"), Tree.Root()});

    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, std::string(kHeaderLine) + TextRow("C:\\keep\\a.txt", 8) +
                           TextRow("C:\\keep\\b.txt", 8));
    EXPECT_EQ(run.Err,
              "Folder: \\KEEP\\  is already included in \nfolder: \\  and will therefore be removed.\n"
              "Scan complete\nBytes: 8  Files: 1\n");
}

// Lines as the window saves them: a quote in a name doubled in the results list, a name with a
// line break in neither list.
TEST_F(ZarvexFindTest, HostileNamesAreWrittenAsTheWindowSavesThem)
{
    TTempTree lists;
    Write("x/a \"b\",c.txt", "hostile");
    Write("y/a \"b\",c.txt", "hostile");
    Write("z/new\nline.txt", "hostile");

    const TProgramRun run =
        RunZarvexFind({"--new-duplicates", lists.Path("NewDupl.lis"), Tree.Root()});

    EXPECT_EQ(run.Err, "Scan complete\nBytes: 14  Files: 2\n");  // the third file is in the group
    EXPECT_EQ(run.Out, std::string(kHeaderLine) + TextRow("C:\\x\\a \"\"b\"\",c.txt", 7) +
                           TextRow("C:\\y\\a \"\"b\"\",c.txt", 7));
    EXPECT_EQ(Read(lists.Path("NewDupl.lis")), "C:\\x\\a \"b\",c.txt\r\nC:\\y\\a \"b\",c.txt\r\n");
}

TEST_F(ZarvexFindTest, DrivesComeFromTheDriveTable)
{
    Write("stick/s.txt", "sixteen bytes!!!");
    Write("fixed/s.txt", "sixteen bytes!!!");
    Write("fixed/x.txt", "0123456789");
    Write("more/x.txt", "0123456789");
    const std::string drives = "A=" + Tree.Path("stick") + ",removable;C=" + Tree.Path("fixed") +
                               ";D=" + Tree.Path("more");
    const std::string fixedPair = std::string(kHeaderLine) + TextRow("C:\\x.txt", 10) +
                                  TextRow("D:\\x.txt", 10);
    const std::string stickPair = std::string(kHeaderLine) + TextRow("A:\\s.txt", 16) +
                                  TextRow("C:\\s.txt", 16);

    // By default the fixed drives, as the drive list chooses them.
    EXPECT_EQ(RunZarvexFind({"-q"}, drives).Out, fixedPair);
    // With the floppy as master only the sizes of its files are compared on the other drives.
    EXPECT_EQ(RunZarvexFind({"-q", "--drives", "dca"}, drives).Out, stickPair);
    EXPECT_EQ(RunZarvexFind({"-q", "--drives", "ACD", "--no-floppy-master"}, drives).Out,
              stickPair + "\"\"\r\n" + fixedPair);
}

TEST_F(ZarvexFindTest, BadUsageIsToldAndSearchesNothing)
{
    Write("a/x.txt", "1");
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},
        {"--mask"},
        {"--drives", "C", Tree.Root()},
        {"--drives", "Q"},
        {Tree.Path("missing")},
        {Tree.Path("a/x.txt")},
        {"--known-duplicates", Tree.Path("missing.lis"), Tree.Root()},
    };
    for (const auto& args : bad) {
        const TProgramRun run = RunZarvexFind(args, "C=" + Tree.Root());
        EXPECT_EQ(run.Status, 2) << args[0];
        EXPECT_EQ(run.Out, "") << args[0];
        EXPECT_EQ(run.Err.rfind("zarvex-find: ", 0), 0u) << run.Err;
    }
}

TEST_F(ZarvexFindTest, OutputThatCannotBeWrittenFailsWithStatusOne)
{
    Write("a/x.txt", "same");
    Write("b/x.txt", "same");

    const TProgramRun missingFolder =
        RunZarvexFind({"-q", "--output", Tree.Path("no/such/folder.lis"), Tree.Root()});
    EXPECT_EQ(missingFolder.Status, 1);
    EXPECT_NE(missingFolder.Err.find("cannot write"), std::string::npos);

    const TProgramRun full = RunZarvexFind({"-q", "--output", "/dev/full", Tree.Root()});
    EXPECT_EQ(full.Status, 1);
    EXPECT_NE(full.Err.find("No space left on device"), std::string::npos);

    const TProgramRun fullDuplicates =
        RunZarvexFind({"-q", "--new-duplicates", "/dev/full", Tree.Root()});
    EXPECT_EQ(fullDuplicates.Status, 1);
    EXPECT_NE(fullDuplicates.Out.find(kHeaderLine), std::string::npos);
}

TEST_F(ZarvexFindTest, CtrlCStopsTheSearchAsStopDoes)
{
    // A pair of sparse 4 GiB files takes many seconds to compare; Ctrl+C comes after one.
    for (const char* name : {"big1", "big2"}) {
        std::ofstream(Tree.Path(name)).put('x');
        ASSERT_EQ(truncate(Tree.Path(name).c_str(), std::int64_t{4} << 30), 0);
    }
    Write("small/a.txt", "a pair found first");
    Write("small/b.txt", "a pair found first");

    const TProgramRun run = RunZarvexFind({"--no-same-stamp", Tree.Root()}, "", 1000);

    EXPECT_EQ(run.Status, 130);
    EXPECT_EQ(run.Out, "");  // the walk meets the largest size first
    EXPECT_EQ(run.Err, "Comparison interrupted\nBytes: 0  Files: 0\n");
}

TEST_F(ZarvexFindTest, HelpAndVersion)
{
    const TProgramRun help = RunZarvexFind({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: zarvex-find [OPTION]... [FOLDER]...\n", 0), 0u);
    const TProgramRun version = RunZarvexFind({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.rfind("zarvex-find (Zarvex) ", 0), 0u);
}

}  // namespace
