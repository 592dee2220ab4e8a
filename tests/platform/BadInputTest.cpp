// Hostile trees: every case has a defined, silent outcome.
#include "platform/FileContent.h"
#include "platform/FileFind.h"
#include "platform/Paths.h"
#include "platform/VersionBlock.h"
#include "platform/VersionBuild.h"

#include "DriveFixture.h"
#include "support/Privileges.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A PE file whose FileVersion is "deep".
std::string LeafImage()
{
    TVersionBlockContent content;
    content.Tables = {{"040904E4", {{"FileVersion", "deep"}}}};
    content.Translation = TranslationBytes({{0x0409, 0x04E4}});
    std::vector<std::uint8_t> image = BuildPeImage({{0x0409, BuildVersionBlock(content)}}, false).Bytes;
    return std::string(image.begin(), image.end());
}

// `depth` nested folders made and removed with *at() calls, "leaf.dll" in the deepest.
class TChain {
public:
    TChain(const std::string& root, const std::string& name, int depth) : FRoot(root), FName(name)
    {
        int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < depth && fd >= 0; ++i) {
            mkdirat(fd, name.c_str(), 0700);
            int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = next;
            FRelative += (FRelative.empty() ? "" : "/") + name;
        }
        int file = fd < 0 ? -1 : openat(fd, "leaf.dll", O_CREAT | O_WRONLY, 0600);
        std::string image = LeafImage();
        if (file >= 0 && write(file, image.data(), image.size()) == ssize_t(image.size())) close(file);
        if (fd >= 0) close(fd);
    }
    // Moves the second folder up, removes the emptied first and renames the moved one.
    ~TChain()
    {
        int fd = open(FRoot.c_str(), O_RDONLY | O_DIRECTORY);
        std::string inner = FName + "/" + FName;
        while (renameat(fd, inner.c_str(), fd, "chain-moving") == 0) {
            unlinkat(fd, FName.c_str(), AT_REMOVEDIR);
            renameat(fd, "chain-moving", fd, FName.c_str());
        }
        unlinkat(fd, (FName + "/leaf.dll").c_str(), 0);
        unlinkat(fd, FName.c_str(), AT_REMOVEDIR);
        close(fd);
    }
    const std::string& Relative() const { return FRelative; }

private:
    std::string FRoot, FName, FRelative;
};

}  // namespace

class BadInputTest : public TDriveFixture {};

TEST_F(BadInputTest, HostileNamesComeBackByteForByte)
{
    const std::vector<std::string> names = {"new\nline.txt", "  leading blanks.txt", "trailing blank.txt ",
                                            "bad\xff\xfe utf8.txt", "star*and?mark.txt", "colon:name.txt",
                                            std::string(255, 'x')};
    for (const std::string& name : names) Tree.WriteFile(name, "payload");
    EXPECT_EQ(SearchAll("C:\\*.*", faAnyFile).size(), names.size());
    for (const std::string& name : names) {
        TSearchRec rec;
        EXPECT_TRUE(FindFile("C:\\" + name, rec) && rec.Size == 7) << name;
        TFileContent content;
        EXPECT_TRUE(content.Open("C:\\" + name)) << name;
    }
    // A mask that matches only the literal name of a file named with wildcards.
    EXPECT_EQ(Names("C:\\star*and?mark.txt", 0), "star*and?mark.txt");
    EXPECT_FALSE(FileExists("C:\\" + std::string(256, 'x')));
}

TEST_F(BadInputTest, WhatCannotBeReadLooksEmptyOrAbsent)
{
    Tree.WriteFile("noread/inside.txt", "x");
    Tree.WriteFile("noexec/inside.txt", "x");
    chmod(Tree.WriteFile("open/inside.txt", "x").c_str(), 0644);
    chmod(Tree.WriteFile("open/secret.txt", "s").c_str(), 0600);
    OpenToOthers(Tree.Root(), Tree.Path("open"));
    chmod(Tree.Path("noread").c_str(), 0711);  // others may pass, not list
    chmod(Tree.Path("noexec").c_str(), 0744);  // others may list, not reach the entries
    int result = RunUnprivileged([&] {
        int failures = 0;
        failures += !Names("C:\\noread\\*.*", faAnyFile).empty();
        failures += !Names("C:\\noexec\\*.*", faAnyFile).empty();
        failures += Names("C:\\open\\*.*", faAnyFile) != "inside.txt,secret.txt";
        TFolderListing listing;
        failures += listing.Read("C:\\noread") || listing.Count() != 0;
        failures += !listing.Read("C:\\noexec") || listing.Count() != 0;
        TSearchRec rec;
        failures += !FindFile("C:\\noread\\inside.txt", rec);  // passing is allowed
        failures += FindFile("C:\\noexec\\inside.txt", rec);
        TFileContent content;
        failures += content.Open("C:\\open\\secret.txt");  // looking at it is allowed, reading not
        failures += !content.Open("C:\\open\\inside.txt");
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
    for (int i = 0; i < 200; i += 2)
        if ("f" + std::to_string(i) + ".txt" != first) unlink(Tree.Path("f" + std::to_string(i) + ".txt").c_str());
    int rest = 0;
    for (; search.Next(rec); ++rest) EXPECT_TRUE(FileExists("C:\\" + rec.Name)) << rec.Name;
    EXPECT_LE(rest, 100);
}

TEST_F(BadInputTest, DeepTreesStayReachable)
{
    // 2,000 levels: far beyond what the kernel takes as one path.
    TChain deepChain(Tree.Root(), "deep", 2000);
    std::string deepFolder = OnC(deepChain.Relative());
    ASSERT_GT(deepFolder.size(), static_cast<std::size_t>(2 * PATH_MAX));
    EXPECT_EQ(Names(deepFolder + "\\*.*", faAnyFile), "leaf.dll");
    TSearchRec rec;
    ASSERT_TRUE(FindFile(deepFolder + "\\leaf.dll", rec));
    EXPECT_EQ(rec.Size, std::int64_t(LeafImage().size()));
    TFileContent content;
    EXPECT_TRUE(content.Open(deepFolder + "\\leaf.dll"));
    TFolderListing listing;
    EXPECT_TRUE(listing.Read(deepFolder) && listing.Count() == 1u);
    EXPECT_EQ(ReadVersionString(deepFolder + "\\leaf.dll", "FileVersion"), "deep");
}

TEST_F(BadInputTest, ADriveWhoseFolderIsMissingHoldsNothing)
{
    TDriveTable::SetCurrent(TDriveTable::FromFolders({Tree.Path("gone")}));
    TFolderListing listing;
    TFileContent content;
    EXPECT_TRUE(Names("C:\\*.*", faAnyFile).empty() && !listing.Read("C:\\") &&
                !FileExists("C:\\"));
    EXPECT_FALSE(content.Open("C:\\x.txt"));
}
