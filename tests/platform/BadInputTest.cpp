// Hostile trees: every case has a defined, silent outcome.
#include "platform/FileContent.h"
#include "platform/FileFind.h"
#include "platform/Paths.h"

#include "DriveFixture.h"
#include "support/Privileges.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

namespace {

std::set<std::string> SearchNames(const std::string& pathWithMask, std::uint32_t filter)
{
    std::set<std::string> names;
    TDirSearch search;
    TSearchRec rec;
    for (bool more = search.First(pathWithMask, filter, rec); more; more = search.Next(rec)) {
        names.insert(rec.Name);
    }
    return names;
}

// Makes `depth` nested folders named `name` below root with *at() calls (the whole path may
// be longer than the kernel takes at once) and a file "leaf.txt" in the deepest. Returns the
// relative path of the deepest folder.
std::string MakeChain(const std::string& root, const std::string& name, int depth)
{
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    std::string relative;
    for (int i = 0; i < depth && fd >= 0; ++i) {
        mkdirat(fd, name.c_str(), 0700);
        int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        relative += (relative.empty() ? "" : "/") + name;
    }
    if (fd < 0) return {};
    int file = openat(fd, "leaf.txt", O_CREAT | O_WRONLY, 0600);
    if (file >= 0 && write(file, "deep", 4) == 4) close(file);
    close(fd);
    return relative;
}

// Removes what MakeChain made without ever naming a long path: the second folder is moved up
// beside the first, the emptied first one removed, and the moved one takes its name.
void RemoveChain(const std::string& root, const std::string& relative)
{
    std::string name = relative.substr(0, relative.find('/'));
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    std::string inner = name + "/" + name;
    while (renameat(fd, inner.c_str(), fd, "chain-moving") == 0) {
        unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        renameat(fd, "chain-moving", fd, name.c_str());
    }
    unlinkat(fd, (name + "/leaf.txt").c_str(), 0);
    unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    close(fd);
}

// Removes a chain however the test ends.
struct TChainGuard {
    const std::string& Root;
    std::string Relative;
    ~TChainGuard()
    {
        if (!Relative.empty()) RemoveChain(Root, Relative);
    }
};

std::string ToProgram(const std::string& relative)
{
    std::string out = "C:\\";
    for (char c : relative) out += (c == '/') ? '\\' : c;
    return out;
}

}  // namespace

class BadInputTest : public TDriveFixture {};

TEST_F(BadInputTest, HostileNamesComeBackByteForByte)
{
    const std::vector<std::string> names = {"new\nline.txt", "  leading blanks.txt",
                                            "trailing blank.txt ", "bad\xff\xfe utf8.txt",
                                            "star*and?mark.txt", "colon:name.txt",
                                            std::string(255, 'x')};
    for (const std::string& name : names) Tree.WriteFile(name, "payload");
    std::set<std::string> found = SearchNames("C:\\*.*", faAnyFile);
    EXPECT_EQ(found, std::set<std::string>(names.begin(), names.end()));
    for (const std::string& name : names) {
        TSearchRec rec;
        ASSERT_TRUE(FindFile("C:\\" + name, rec)) << name;
        EXPECT_EQ(rec.Name, name);
        EXPECT_EQ(rec.Size, 7);
        TFileContent content;
        ASSERT_TRUE(content.Open("C:\\" + name)) << name;
        EXPECT_EQ(content.Size(), 7);
    }
    // A mask that matches only the literal name of a file named with wildcards.
    EXPECT_EQ(SearchNames("C:\\star*and?mark.txt", 0).size(), 1u);
    EXPECT_FALSE(FileExists("C:\\" + std::string(256, 'x')));
}

TEST_F(BadInputTest, FoldersThatCannotBeReadLookEmpty)
{
    Tree.WriteFile("noread/inside.txt", "x");
    Tree.WriteFile("noexec/inside.txt", "x");
    Tree.WriteFile("open/inside.txt", "x");
    OpenToOthers(Tree.Root(), Tree.Path("open"));
    chmod(Tree.Path("noread").c_str(), 0711);  // others may pass, not list
    chmod(Tree.Path("noexec").c_str(), 0744);  // others may list, not reach the entries
    int result = RunUnprivileged([&] {
        int failures = 0;
        failures += !SearchNames("C:\\noread\\*.*", faAnyFile).empty();
        failures += !SearchNames("C:\\noexec\\*.*", faAnyFile).empty();
        failures += SearchNames("C:\\open\\*.*", faAnyFile).size() != 1;
        TFolderListing listing;
        failures += listing.Read("C:\\noread") || listing.Count() != 0;
        failures += !listing.Read("C:\\noexec") || listing.Count() != 0;
        TSearchRec rec;
        failures += !FindFile("C:\\noread\\inside.txt", rec);  // passing is allowed
        failures += FindFile("C:\\noexec\\inside.txt", rec);
        return failures;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(BadInputTest, EntriesThatVanishAreSkipped)
{
    for (int i = 0; i < 200; ++i) Tree.WriteFile("f" + std::to_string(i) + ".txt", "v");
    TDirSearch search;
    TSearchRec rec;
    ASSERT_TRUE(search.First("C:\\*.*", 0, rec));
    std::string first = rec.Name;
    for (int i = 0; i < 200; ++i) {
        std::string name = "f" + std::to_string(i) + ".txt";
        if (name != first && i % 2 == 0) unlink(Tree.Path(name).c_str());
    }
    std::set<std::string> rest;
    while (search.Next(rec)) {
        rest.insert(rec.Name);
        EXPECT_TRUE(FileExists("C:\\" + rec.Name)) << rec.Name;
    }
    EXPECT_LE(rest.size(), 100u);
    unlink(Tree.Path(first).c_str());
    EXPECT_FALSE(FindFile("C:\\" + first, rec));
    TFileContent content;
    EXPECT_FALSE(content.Open("C:\\" + first));
}

TEST_F(BadInputTest, LongPathsAndDeepTreesStayReachable)
{
    // About 4,000 characters in 19 folders of 200: still one piece for the kernel.
    std::string longChain = MakeChain(Tree.Root(), std::string(200, 'L'), 19);
    TChainGuard longGuard{Tree.Root(), longChain};
    TSearchRec rec;
    EXPECT_TRUE(FindFile(ToProgram(longChain) + "\\leaf.txt", rec));

    // 2,000 levels: far beyond what the kernel takes as one path.
    std::string deepChain = MakeChain(Tree.Root(), "deep", 2000);
    TChainGuard deepGuard{Tree.Root(), deepChain};
    ASSERT_FALSE(deepChain.empty());
    std::string deepFolder = ToProgram(deepChain);
    ASSERT_GT(deepFolder.size(), static_cast<std::size_t>(2 * PATH_MAX));
    EXPECT_EQ(SearchNames(deepFolder + "\\*.*", faAnyFile), std::set<std::string>{"leaf.txt"});
    EXPECT_EQ(SearchNames(ToProgram(deepChain.substr(0, 5 * 1500 - 1)) + "\\*.*", faAnyFile),
              std::set<std::string>{"deep"});
    ASSERT_TRUE(FindFile(deepFolder + "\\leaf.txt", rec));
    EXPECT_EQ(rec.Size, 4);
    TFileContent content;
    ASSERT_TRUE(content.Open(deepFolder + "\\leaf.txt"));
    char buffer[8] = {};
    EXPECT_EQ(content.ReadAt(0, buffer, sizeof buffer), 4);
    TFolderListing listing;
    EXPECT_TRUE(listing.Read(deepFolder));
    EXPECT_EQ(listing.Count(), 1u);
}

TEST_F(BadInputTest, ADriveWhoseFolderIsMissingHoldsNothing)
{
    TDriveTable::SetCurrent(TDriveTable::FromFolders({Tree.Path("gone")}));
    EXPECT_TRUE(SearchNames("C:\\*.*", faAnyFile).empty());
    TFolderListing listing;
    EXPECT_FALSE(listing.Read("C:\\"));
    TSearchRec rec;
    EXPECT_FALSE(FindFile("C:\\x.txt", rec));
    EXPECT_FALSE(FileExists("C:\\"));
    EXPECT_EQ(GetDriveType("C:\\"), dtNoRootDir);
    TFileContent content;
    EXPECT_FALSE(content.Open("C:\\x.txt"));
}
