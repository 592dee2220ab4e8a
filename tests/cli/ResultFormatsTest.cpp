// zarvex-find's forms for scripts and its trash clean-up, end to end through the real program
// and the tools a script would pipe it into (a JSON schema check, xargs -0).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TempTree.h"

namespace {

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ResultFormatsTest : public testing::Test {
protected:
    // Three copies (one of them under a name that is no UTF-8) and a pair.
    void SetUp() override
    {
        Tree.WriteFile("t/a1", "one text");
        Tree.WriteFile("t/b/a2", "one text");
        Tree.WriteFile("t/b/bad\xff.txt", "one text");
        Tree.WriteFile("t/p1", "another text");
        Tree.WriteFile("t/p2", "another text");
        for (const char* f : {"t/a1", "t/b/a2", "t/b/bad\xff.txt", "t/p1", "t/p2"})
            Tree.SetTime(f, 992959500);
    }
    // Runs zarvex-find on the tree with a clean environment, its standard output piped into
    // `pipe` (a shell command, or empty); the status is that of the pipeline's last command.
    int Run(const std::string& args, const std::string& pipe = "")
    {
        const std::string command = "env -i LC_ALL=C TZ=UTC PATH=/usr/bin:/bin HOME='" +
                                    Tree.Root() + "' XDG_DATA_HOME='" + Tree.Path("data") + "' '" +
                                    std::getenv("ZARVEX_BIN") + "/zarvex-find' -q " + args + " '" +
                                    Tree.Path("t") + "'" + (pipe.empty() ? "" : " | " + pipe) +
                                    " >'" + Tree.Path("out") + "'";
        const int status = std::system(command.c_str());
        Out = Read(Tree.Path("out"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TTempTree Tree;
    const std::string R = Tree.Path("t");  // the searched folder
    std::string Out;
};

TEST_F(ResultFormatsTest, JsonFollowsItsSchemaAndKeepsTheBytesOfEveryName)
{
    ASSERT_EQ(Run("--format=json -o '" + Tree.Path("r.json") + "'"), 0);
    EXPECT_EQ(std::system(("/usr/bin/python3 -m jsonschema -i '" + Tree.Path("r.json") + "' '" +
                           std::getenv("ZARVEX_TEST_DATA") + "/results.schema.json'")
                              .c_str()),
              0);
    ASSERT_EQ(Run("--format=json", "jq -c '.totals, [.groups[].files[] | .modified][0]'"), 0);
    EXPECT_EQ(Out,
              "{\"groups\":2,\"files\":5,\"duplicate_files\":3,\"duplicate_bytes\":28}\n"
              "\"2001-06-19T14:05:00+00:00\"\n");
    ASSERT_EQ(Run("--format=json", "jq -r '.groups[].files[].path_base64 // empty' | base64 -d"),
              0);
    EXPECT_EQ(Out, R + "/b/bad\xff.txt");
}

TEST_F(ResultFormatsTest, NulSeparatedPathsGoThroughXargs)
{
    ASSERT_EQ(Run("-0", "xargs -0 printf '[%s]'"), 0);
    EXPECT_EQ(Out, "[" + R + "/p1][" + R + "/p2][][" + R + "/a1][" + R + "/b/a2][" + R +
                       "/b/bad\xff.txt]");
    ASSERT_EQ(Run("--format=paths"), 0);
    EXPECT_EQ(Out,
              R + "/p1\n" + R + "/p2\n\n" + R + "/a1\n" + R + "/b/a2\n" + R + "/b/bad\xff.txt\n");
    EXPECT_EQ(Run("-0 --format=json"), 2);
}

TEST_F(ResultFormatsTest, TrashDuplicatesKeepsTheFirstOfEachGroupAndADryRunTouchesNothing)
{
    ASSERT_EQ(Run("--trash-duplicates --dry-run"), 0);
    EXPECT_EQ(Out, "would move\t" + R + "/p2\nwould move\t" + R + "/b/a2\nwould move\t" + R +
                       "/b/bad\xff.txt\n");
    for (const char* f : {"t/a1", "t/b/a2", "t/p2"})
        EXPECT_EQ(access(Tree.Path(f).c_str(), F_OK), 0);

    unlink(Tree.Path("t/b/bad\xff.txt").c_str());
    ASSERT_EQ(Run("--trash-duplicates"), 0);
    EXPECT_EQ(Out, "moved\t" + R + "/p2\nmoved\t" + R + "/b/a2\n");
    for (const char* f : {"t/a1", "t/p1", "data/Trash/files/a2", "data/Trash/files/p2"})
        EXPECT_EQ(access(Tree.Path(f).c_str(), F_OK), 0) << f;
}

}  // namespace
