// zarvex-find end to end: the real program on temporary trees, its exact output and status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TempTree.h"

namespace {

constexpr std::int64_t kStamp = 992959500;  // 2001-06-19 14:05 UTC
constexpr const char* kHeaderLine = "\"Duplicate files .....\"\r\n";

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct TProgramRun {
    int Status = -1;  // exit status; -1 when it did not exit normally
    std::string Out, Err;
};

class ZarvexFindTest : public testing::Test {
protected:
    // Runs the built zarvex-find in C locale and UTC, with a HOME of its own and `pipe` (a shell
    // command) after it; interrupted, it gets a SIGINT (Ctrl+C) after a second.
    TProgramRun Run(const std::vector<std::string>& args, const std::string& drives = "",
                    const std::string& pipe = "", bool interrupted = false)
    {
        std::string command =
            "(env -i LC_ALL=C LANG=C TZ=UTC PATH=/usr/bin:/bin HOME=" + Quoted(Home.Root());
        if (!drives.empty())
            command += " ZARVEX_DRIVES=" + Quoted(drives);
        if (interrupted)
            command += " timeout --preserve-status -s INT 1";
        command += " " + Quoted(std::string(std::getenv("ZARVEX_BIN")) + "/zarvex-find");
        for (const std::string& arg : args) command += " " + Quoted(arg);
        command += (pipe.empty() ? "" : " | " + pipe) + ") >" + Quoted(Home.Path("out")) + " 2>" +
                   Quoted(Home.Path("err"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(Home.Path("out")),
                Read(Home.Path("err"))};
    }
    void Write(const std::string& relative, const std::string& contents,
               std::int64_t stamp = kStamp)
    {
        Tree.WriteFile(relative, contents);
        Tree.SetTime(relative, stamp);
    }
    // The Zarvex.lis line of a file row of a plain text document without version strings.
    static std::string TextRow(const std::string& path, std::int64_t size,
                               const std::string& time = "2001/06/19 14:05")
    {
        return "\"" + path + "\"," + std::to_string(size) + ",\"plain text document\",\"" + time +
               "\",\"   A\",,\r\n";
    }

    TTempTree Tree, Home;  // the tree searched; the program's HOME, apart from it
};

// One tree, searched through different FOLDERs and options: each FOLDER becomes a drive, and
// the groups come out in the saved-list form, the summary on standard error.
TEST_F(ZarvexFindTest, SearchesFollowTheFoldersAndOptions)
{
    Write("one/report.txt", "the same words");
    Write("two/report.txt", "the same words");
    Write("two/copy.txt", "the same words");
    Write("two/zother.txt", "other words!!!");  // same size, after the copies
    Write("three/notes.txt", "notes");
    Write("three/again.txt", "notes");
    Write("a/doc.txt", "same contents");
    Write("b/doc.txt", "same contents", kStamp + 7200);  // a copy of another time
    Write("c/DOC.TXT", "other");                         // only the name agrees
    Write("keep/a.txt", "contents");
    Write("keep/b.txt", "contents");
    Write("keep/c.txt", "contents");
    TTempTree lists;
    std::ofstream(lists.Path("SkipDupl.lis"), std::ios::binary) << "c:\\C.TXT\r\n";
    const struct {
        std::vector<std::string> Args;
        std::string Out, Err;
    } cases[] = {
        {{Tree.Path("one"), Tree.Path("two"), Tree.Path("three")},
         kHeaderLine + TextRow("C:\\report.txt", 14) + TextRow("D:\\copy.txt", 14) +
             TextRow("D:\\report.txt", 14) + "\"\"\r\n" + kHeaderLine +
             TextRow("E:\\again.txt", 5) + TextRow("E:\\notes.txt", 5),
         "Scan complete\nBytes: 33  Files: 3\n"},
        {{Tree.Path("a"), Tree.Path("b")}, "", "Scan complete\nBytes: 0  Files: 0\n"},
        {{"-q", "--no-same-stamp", Tree.Path("a"), Tree.Path("b")},
         kHeaderLine + TextRow("C:\\doc.txt", 13) + TextRow("D:\\doc.txt", 13, "2001/06/19 16:05"),
         ""},
        {{"-q", "--no-same-size", "--mask=*.txt", Tree.Path("a"), Tree.Path("c")},
         kHeaderLine + TextRow("C:\\doc.txt", 13) + TextRow("D:\\DOC.TXT", 5),
         ""},
        // Nested root folders are told, known duplicates left alone, missing ones told.
        {{"--in", "\\keep,\\", "--known-duplicates", lists.Path("SkipDupl.lis"), Tree.Path("keep")},
         kHeaderLine + TextRow("C:\\a.txt", 8) + TextRow("C:\\b.txt", 8),
         "Folder: \\KEEP\\  is already included in \nfolder: \\  and will therefore be removed.\n"
         "Scan complete\nBytes: 8  Files: 1\n"},
        {{"--in", "\\Gone", Tree.Root()},
         "",
         "Scan complete - Folder not found: C:\\Gone\\\nBytes: 0  Files: 0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args.back());
        const TProgramRun run = Run(c.Args);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Out, c.Out);
        EXPECT_EQ(run.Err, c.Err);
    }
}

// The lists as the window saves them: a quote doubled in the results list; a name with a line
// break in neither list, named on standard error, and not counted.
TEST_F(ZarvexFindTest, HostileNamesAreWrittenToTheNamedListsAsTheWindowSavesThem)
{
    TTempTree lists;
    Write("x/a \"b\",c.txt", "hostile");
    Write("y/a \"b\",c.txt", "hostile");
    Write("z/new\nline.txt", "hostile");
    Write("z/two\nlines.txt", "a lone one");
    Write("z/copy.txt", "a lone one");

    const TProgramRun run = Run({"--output", lists.Path("Zarvex.lis"),
                                 "--new-duplicates=" + lists.Path("NewDupl.lis"), Tree.Root()});

    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err,
              "zarvex-find: not written, the name holds a line break: C:\\z\\two?lines.txt\n"
              "zarvex-find: not written, the name holds a line break: C:\\z\\new?line.txt\n"
              "Scan complete\nBytes: 7  Files: 1\n");
    EXPECT_EQ(Read(lists.Path("Zarvex.lis")), kHeaderLine + TextRow("C:\\x\\a \"\"b\"\",c.txt", 7) +
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
    const std::string fixedPair = kHeaderLine + TextRow("C:\\x.txt", 10) + TextRow("D:\\x.txt", 10);
    const std::string stickPair = kHeaderLine + TextRow("A:\\s.txt", 16) + TextRow("C:\\s.txt", 16);

    // By default the fixed drives, as the drive list chooses them; with the floppy as master
    // only the sizes of its files are compared on the other drives.
    EXPECT_EQ(Run({"-q"}, drives).Out, fixedPair);
    EXPECT_EQ(Run({"-q", "--drives", "dca"}, drives).Out, stickPair);
}

TEST_F(ZarvexFindTest, BadUsageIsToldAndSearchesNothingAndHelpAndVersionAreShown)
{
    Write("a/x.txt", "1");
    const struct {
        std::vector<std::string> Args;
        std::string Message;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--mask"}, "option '--mask' needs a value"},
        {{"--same-name=1"}, "option '--same-name' takes no value"},
        {{"--drives", "C", Tree.Root()}, "it cannot be used with FOLDERs"},
        {{"--drives", "C:"}, "drive letters only"},
        {{"--drives", "Q"}, "there is no drive Q:"},
        {std::vector<std::string>(25, Tree.Root()), "at most 24 FOLDERs"},
        {{Tree.Path("missing")}, "No such file or directory"},
        {{Tree.Path("a/x.txt")}, "not a folder"},
        {{"--known-duplicates", Tree.Path("missing.lis"), Tree.Root()}, "cannot read the known"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        const TProgramRun run = Run(c.Args, "C=" + Tree.Root());
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err.rfind("zarvex-find: ", 0), 0u) << run.Err;
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
    }
    const TProgramRun help = Run({"--drives", "C", Tree.Root(), "--help"});
    EXPECT_EQ(help.Status, 0);  // help wins over everything else on the line
    EXPECT_EQ(help.Out.rfind("Usage: zarvex-find [OPTION]... [FOLDER]...\n", 0), 0u);
    const TProgramRun version = Run({"--version"});
    EXPECT_EQ(version.Out.rfind("zarvex-find (Zarvex) ", 0), 0u);
}

TEST_F(ZarvexFindTest, OutputThatCannotBeWrittenFailsWithStatusOne)
{
    Write("a/x.txt", "same");
    Write("b/x.txt", "same");
    const TProgramRun full = Run({"-q", "--output", "/dev/full", Tree.Root()});
    EXPECT_EQ(full.Status, 1);
    EXPECT_NE(full.Err.find("No space left on device"), std::string::npos);

    // Never through a link to a FIFO; through a link to a regular file elsewhere, as named.
    ASSERT_EQ(mkfifo(Home.Path("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(Home.Path("fifo"), Home.Path("to-fifo.lis"));
    const TProgramRun linked = Run({"-q", "--output", Home.Path("to-fifo.lis"), Tree.Root()});
    EXPECT_EQ(linked.Status, 1);
    EXPECT_NE(linked.Err.find("will not write"), std::string::npos) << linked.Err;
    Home.WriteFile("elsewhere/real.lis", "old");
    std::filesystem::create_symlink(Home.Path("elsewhere/real.lis"), Home.Path("to-real.lis"));
    EXPECT_EQ(Run({"-q", "--new-duplicates", Home.Path("to-real.lis"), Tree.Root()}).Status, 0);
    EXPECT_EQ(Read(Home.Path("elsewhere/real.lis")), "C:\\a\\x.txt\r\nC:\\b\\x.txt\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(Home.Path("to-real.lis")));

    // Never over a file of the results, which the clean-up would keep as the only copy.
    const TProgramRun over =
        Run({"-q", "--trash-duplicates", "-o", Tree.Path("a/x.txt"), Tree.Root()});
    EXPECT_EQ(over.Status, 1);
    EXPECT_NE(over.Err.find("will not write '" + Tree.Path("a/x.txt") + "'"), std::string::npos)
        << over.Err;
    EXPECT_EQ(Read(Tree.Path("a/x.txt")) + Read(Tree.Path("b/x.txt")), "samesame");
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

    // A named list is replaced only by a complete one.
    TTempTree lists;
    lists.WriteFile("old.lis", "old\r\n");
    const TProgramRun run =
        Run({"--no-same-stamp", "--output", lists.Path("old.lis"), Tree.Root()}, "", "", true);

    EXPECT_EQ(run.Status, 130);
    EXPECT_EQ(run.Err, "zarvex-find: the search was interrupted: '" + lists.Path("old.lis") +
                           "' is left as it was\nComparison interrupted\nBytes: 0  Files: 0\n");
    EXPECT_EQ(Read(lists.Path("old.lis")), "old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(lists.Root()), {}), 1);
}

// The forms for scripts, read through the tools a script would pipe them into, and the trash
// clean-up: three copies (one under a name that is no UTF-8) and a pair.
TEST_F(ZarvexFindTest, ScriptFormatsAndTrashingTheCopies)
{
    for (const char* copy : {"a1", "b/a2", "b/bad\xff.txt"}) Write(copy, "one text");
    for (const char* copy : {"p1", "p2"}) Write(copy, "another text");
    const std::string R = Tree.Root(), json = Home.Path("r.json");
    auto out = [&](std::vector<std::string> args, const std::string& pipe = "") {
        args.insert(args.begin(), "-q");
        args.push_back(R);
        const TProgramRun run = Run(args, "", pipe);
        EXPECT_EQ(run.Status, 0) << run.Err;
        return run.Out;
    };
    out({"--format=json", "-o", json});
    EXPECT_EQ(
        std::system(("/usr/bin/python3 -m jsonschema -i " + Quoted(json) + " " +
                     Quoted(std::getenv("ZARVEX_TEST_DATA") + std::string("/results.schema.json")))
                        .c_str()),
        0);
    EXPECT_EQ(out({"--format=json"}, "jq -c '.totals, [.groups[].files[] | .modified][0]'"),
              "{\"groups\":2,\"files\":5,\"duplicate_files\":3,\"duplicate_bytes\":28}\n"
              "\"2001-06-19T14:05:00+00:00\"\n");
    EXPECT_EQ(out({"--format=json"}, "jq -r '.groups[].files[].path_base64 // empty' | base64 -d"),
              R + "/b/bad\xff.txt");
    EXPECT_EQ(
        out({"-0"}, "xargs -0 printf '[%s]'"),
        "[" + R + "/p1][" + R + "/p2][][" + R + "/a1][" + R + "/b/a2][" + R + "/b/bad\xff.txt]");
    EXPECT_EQ(out({"--format=paths"}),
              R + "/p1\n" + R + "/p2\n\n" + R + "/a1\n" + R + "/b/a2\n" + R + "/b/bad\xff.txt\n");
    EXPECT_EQ(Run({"-0", "--format=json", R}).Status, 2);

    // A dry run moves nothing (the real run still finds every copy); the first of each group
    // and a copy gone meanwhile stay out of the trash.
    EXPECT_EQ(out({"--trash-duplicates", "--dry-run"}), "would move\t" + R + "/p2\nwould move\t" +
                                                            R + "/b/a2\nwould move\t" + R +
                                                            "/b/bad\xff.txt\n");
    unlink(Tree.Path("b/bad\xff.txt").c_str());
    EXPECT_EQ(out({"--trash-duplicates"}), "moved\t" + R + "/p2\nmoved\t" + R + "/b/a2\n");
    for (const std::string& f :
         {Tree.Path("a1"), Tree.Path("p1"), Home.Path(".local/share/Trash/files/a2"),
          Home.Path(".local/share/Trash/files/p2")})
        EXPECT_EQ(access(f.c_str(), F_OK), 0) << f;
}

}  // namespace
