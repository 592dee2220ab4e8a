// Random trees searched by the engine and by fdupes: the sets of identical files must agree,
// file by file (device and inode), after the rules by which the engine leaves files out.
// ZARVEX_DIFF_SEEDS sets the number of trees (20 by default).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "engine/SearchFixture.h"
#include "text/TextUtil.h"

namespace {

// Kinds of names that the generator can make but leaves out until the engine handles them.
struct TNameKinds {
    bool Colons = false;          // "7:notes.txt"
    bool ShortNames = false;      // "a", "2": pieces of the text of the swap file names
    bool DesktopIniCase = false;  // "Desktop.ini" marks its folder too
};

using TFileId = std::pair<dev_t, ino_t>;
using TSets = std::set<std::set<TFileId>>;

const char* const kFolders[] = {
    "",        "one",      "one/two",           "Two", "two",       "blank dir ",
    ".hidden", "SYSBCKUP", "one/sysbckup/deep", "ini", "ini/below", "q\"uo,te",
    "\xff\xfe"};
const char* const kNames[] = {"report.txt", " lead.txt", "trail.txt ", "say \"hi\".doc",
                              "a,b.csv",    "Twin.txt",  "twin.txt",   "bad\xff\xfe.bin",
                              ".dot",       "mm256.dat", "MM2048.DAT", "x y"};

class DifferentialTest : public SearchFixture {
protected:
    // A tree of about 40 to 80 files in a dozen content classes: equal sizes, equal first 512
    // bytes, equal checksums, equal stamps or not; hard links; names of every kind.
    void Generate(unsigned seed, const TNameKinds& kinds)
    {
        std::mt19937 random(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        for (const char* folder : kFolders) Tree.MakeDir(Under(folder));
        Write(kinds.DesktopIniCase && pick(2) ? "ini/Desktop.ini" : "ini/desktop.ini", "[x]");
        std::vector<std::string> classes{""};
        const std::size_t sizes[] = {1, 7, 512, 600, 4096, 9000, 70000};
        while (classes.size() < 12) {
            const std::size_t size = sizes[pick(7)];
            std::string data = Bytes(size, static_cast<unsigned>(pick(3)));
            const std::size_t kind = pick(4);
            if (kind == 1 && size > 512)  // the same first 512 bytes
                data[512 + pick(size - 512)] ^= 1;
            if (kind == 2 && size >= 8)  // the same checksum
                std::swap_ranges(data.begin(), data.begin() + 4, data.begin() + 4);
            if (kind == 3)
                data.back() ^= 2;
            classes.push_back(data);
        }
        std::vector<std::string> made;
        const std::size_t count = 40 + pick(40);
        for (std::size_t i = 0; i < count; ++i) {
            std::string name = kNames[pick(std::size(kNames))];
            if (pick(10) == 0)
                name = "nl\n" + std::to_string(i);  // no file is called "nl" alone
            if (kinds.Colons && pick(10) == 0)
                name = std::to_string(i) + ":" + name;
            if (kinds.ShortNames && pick(10) == 0)
                name = std::string(1, "a2d"[pick(3)]);
            const std::string path =
                Under(std::string(kFolders[pick(std::size(kFolders))]) + "/" + name);
            if (access(Tree.Path(path).c_str(), F_OK) == 0)
                continue;
            if (!made.empty() && pick(8) == 0) {
                ASSERT_EQ(link(Tree.Path(made[pick(made.size())]).c_str(), Tree.Path(path).c_str()),
                          0);
            } else {
                Tree.WriteFile(path, classes[pick(classes.size())]);
                Tree.SetTime(path, kStamp + 3600 * static_cast<std::int64_t>(pick(3)));
            }
            made.push_back(path);
        }
    }

    static TFileId Id(const std::string& path)
    {
        struct stat st {};
        EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
        return {st.st_dev, st.st_ino};
    }

    // The engine leaves out hidden folders, SYSBCKUP folders, folders that hold a desktop.ini
    // file, empty files and the two swap files.
    bool LeftOut(const std::string& path) const
    {
        const std::string drive = Tree.Path(Root);
        std::string rest = path.substr(drive.size()), folder = rest.substr(0, rest.rfind('/') + 1);
        const std::string name = LowerCaseAscii(rest.substr(folder.size()));
        if (name == "mm256.dat" || name == "mm2048.dat")
            return true;
        if (access((drive + folder + "desktop.ini").c_str(), F_OK) == 0 ||
            access((drive + folder + "Desktop.ini").c_str(), F_OK) == 0)
            return true;
        return folder.find("/.") != std::string::npos ||
               UpperCaseAscii(folder).find("/SYSBCKUP/") != std::string::npos;
    }

    // fdupes' sets of paths. Its lines are paths, a blank line ends a set; a name may hold a
    // line break, so a line that names no file is continued by the next.
    std::vector<Lines> Fdupes() const
    {
        const std::string command = "fdupes -r -H -n -q '" + Tree.Path(Root) + "'";
        std::FILE* pipe = popen(command.c_str(), "r");
        std::string out;
        for (int c; pipe && (c = std::fgetc(pipe)) != EOF;) out.push_back(static_cast<char>(c));
        EXPECT_TRUE(pipe && pclose(pipe) == 0) << command;
        std::vector<Lines> sets(1);
        std::string pending;
        for (std::size_t at = 0; at < out.size();) {
            const std::size_t end = out.find('\n', at);
            const std::string line = out.substr(at, end - at);
            at = end + 1;
            if (pending.empty() && line.empty()) {
                sets.emplace_back();
                continue;
            }
            pending = pending.empty() ? line : pending + "\n" + line;
            if (access(pending.c_str(), F_OK) == 0) {
                sets.back().push_back(pending);
                pending.clear();
            }
        }
        return sets;
    }

    // The sets without the files the engine leaves out, split by modification time when
    // stamps count (all stamps are whole hours apart).
    TSets Expected(const std::vector<Lines>& sets, bool byStamp) const
    {
        TSets result;
        for (const Lines& set : sets) {
            std::map<std::int64_t, std::set<TFileId>> byTime;
            for (const std::string& path : set) {
                struct stat st {};
                lstat(path.c_str(), &st);
                if (!LeftOut(path))
                    byTime[byStamp ? st.st_mtime : 0].insert(Id(path));
            }
            for (const auto& [time, ids] : byTime)
                if (ids.size() >= 2)
                    result.insert(ids);
        }
        return result;
    }

    // The tree's files with their inodes, to read a failure by.
    std::string Listing() const
    {
        const std::string command =
            "find '" + Tree.Path(Root) + "' -printf '%i %p\\n' | sort -n >&2";
        return std::system(command.c_str()) == 0 ? "(the files are listed above)" : "";
    }

    // The engine's groups; each file is listed once, in one group, under one name, and the
    // totals count the files after each group's first.
    TSets EngineSets(bool byStamp)
    {
        Window.Checks[TCheckBox::cbCheckFileTimestamp] = byStamp;
        Search();
        TSets result;
        std::set<TFileId> seen;
        std::int64_t files = 0, bytes = 0;
        std::vector<TFileId> group;
        Lines rows = Rows();
        rows.push_back(kHeader);
        for (const std::string& row : rows) {
            if (row == kHeader || row.empty()) {
                if (!group.empty()) {
                    result.insert(std::set<TFileId>(group.begin(), group.end()));
                    files += static_cast<std::int64_t>(group.size()) - 1;
                }
                group.clear();
                continue;
            }
            std::string path = row.substr(3);
            std::replace(path.begin(), path.end(), '\\', '/');
            path = Tree.Path(Under(path));
            group.push_back(Id(path));
            EXPECT_TRUE(seen.insert(group.back()).second) << "listed twice: " << path;
            struct stat st {};
            lstat(path.c_str(), &st);
            bytes += group.size() > 1 ? st.st_size : 0;
        }
        EXPECT_EQ(State.DuplicateFiles, files);
        EXPECT_EQ(State.DuplicateBytes, bytes);
        return result;
    }
};

TEST_F(DifferentialTest, FindsTheSetsOfIdenticalFilesThatFdupesFinds)
{
    const char* seeds = std::getenv("ZARVEX_DIFF_SEEDS");
    const unsigned count = seeds ? static_cast<unsigned>(std::atoi(seeds)) : 20;
    // The engine's ways of reading, which must all give the same groups. A run with a single
    // reader thread belongs here once files are read ahead.
    const struct {
        const char* Name;
        std::size_t MaxOpenFiles;
    } readers[] = {{"files kept open", 128}, {"files reopened", 1}};
    for (unsigned seed = 1; seed <= count; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        UseDrives({}, "seed" + std::to_string(seed));
        Generate(seed, TNameKinds{});
        const std::vector<Lines> sets = Fdupes();
        for (const bool byStamp : {false, true}) {
            const TSets expected = Expected(sets, byStamp);
            for (const auto& reader : readers) {
                SCOPED_TRACE(std::string(reader.Name) + (byStamp ? ", same stamp" : ""));
                Driver.Comparison.MaxOpenFiles = reader.MaxOpenFiles;
                ASSERT_EQ(EngineSets(byStamp), expected) << Listing();
            }
        }
    }
}

}  // namespace
