// Random trees searched by the engine and by fdupes: the sets of identical files must agree,
// file by file (device and inode), after the rules by which the engine leaves files out.
// ZARVEX_DIFF_SEEDS sets the number of trees (20 by default).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>

#include "engine/SearchFixture.h"
#include "text/TextUtil.h"

namespace {

using TFileId = std::pair<dev_t, ino_t>;  // device and inode
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
    void Generate(unsigned seed)
    {
        std::mt19937 random(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        for (const char* folder : kFolders) Tree.MakeDir(Under(folder));
        Write(pick(2) ? "ini/Desktop.ini" : "ini/desktop.ini", "[x]");
        std::vector<std::string> classes{""};
        while (classes.size() < 12) {
            const std::size_t size = std::array{1, 7, 512, 600, 4096, 9000, 300000}[pick(7)];
            std::string data = Bytes(size, static_cast<unsigned>(pick(3)));  // shared beginnings
            const std::size_t kind = pick(4);
            if (kind == 1 && size > 512)  // the same first 512 bytes
                data[512 + pick(size - 512)] ^= 1;
            if (kind == 2 && size >= 8)  // the same checksum
                std::swap_ranges(data.begin(), data.begin() + 4, data.begin() + 4);
            data.back() ^= kind == 3 ? 2 : 0;
            classes.push_back(data);
        }
        std::vector<std::string> made;
        const std::size_t count = 40 + pick(40);
        for (std::size_t i = 0; i < count; ++i) {
            std::string name = kNames[pick(std::size(kNames))];
            if (pick(10) == 0)
                name = "nl\n" + std::to_string(i);  // no file is called "nl" alone
            if (pick(10) == 0)
                name = std::to_string(i) + ":" + name;
            if (pick(10) == 0)
                name = std::string(1, "a2d"[pick(3)]);
            const std::string path = std::string(kFolders[pick(std::size(kFolders))]) + "/" + name;
            if (access(Tree.Path(Under(path)).c_str(), F_OK) == 0)
                continue;
            if (!made.empty() && pick(8) == 0)
                link(made[pick(made.size())].c_str(), Tree.Path(Under(path)).c_str());
            else
                Write(path, classes[pick(classes.size())], kStamp + 3600 * std::int64_t(pick(3)));
            made.push_back(Tree.Path(Under(path)));
        }
    }

    // The engine leaves out hidden folders, SYSBCKUP folders, folders that hold a desktop.ini
    // file, empty files (fdupes -n) and the two swap files.
    bool LeftOut(const std::string& path) const
    {
        const std::string drive = Tree.Path(Root), rest = path.substr(drive.size());
        const std::string folder = drive + rest.substr(0, rest.rfind('/') + 1);
        const std::string name = LowerCaseAscii(path.substr(folder.size()));
        return name == "mm256.dat" || name == "mm2048.dat" ||
               access((folder + "desktop.ini").c_str(), F_OK) == 0 ||
               access((folder + "Desktop.ini").c_str(), F_OK) == 0 ||
               folder.find("/.", drive.size()) != std::string::npos ||
               UpperCaseAscii(folder).find("/SYSBCKUP/", drive.size()) != std::string::npos;
    }

    // fdupes' sets, split by modification time when stamps count (all stamps are whole hours
    // apart). A blank line ends a set; a name may hold a line break, so a line that names no
    // file is continued by the next. -H: every name of a file is listed.
    TSets FdupesSets(bool byStamp) const
    {
        std::FILE* pipe = popen(("fdupes -r -H -n -q '" + Tree.Path(Root) + "'").c_str(), "r");
        std::string out, path;
        for (int c; pipe && (c = std::fgetc(pipe)) != EOF;) out.push_back(static_cast<char>(c));
        EXPECT_TRUE(pipe && pclose(pipe) == 0);
        std::map<std::pair<int, std::int64_t>, std::set<TFileId>> sets;  // by number and stamp
        int number = 0;
        for (std::size_t at = 0, end = 0; at < out.size(); at = end + 1) {
            end = std::min(out.find('\n', at), out.size());
            const std::string line = out.substr(at, end - at);
            number += path.empty() && line.empty();
            path = path.empty() ? line : path + "\n" + line;
            struct stat st {};
            if (path.empty() || lstat(path.c_str(), &st) != 0)
                continue;
            if (!LeftOut(path))
                sets[{number, byStamp ? st.st_mtime : 0}].emplace(st.st_dev, st.st_ino);
            path.clear();
        }
        TSets result;
        for (const auto& [key, ids] : sets)
            if (ids.size() >= 2)
                result.insert(ids);
        return result;
    }

    // The engine's groups; each file is listed once, in one group, under one name, and the
    // totals count the files after each group's first.
    TSets EngineSets(bool byStamp)
    {
        Window.Checks[TCheckBox::cbCheckFileTimestamp] = byStamp;
        Search();
        std::vector<std::set<TFileId>> groups;
        std::set<TFileId> seen;
        std::int64_t files = 0, bytes = 0;
        for (const std::string& row : Rows()) {
            if (row == kHeader)
                groups.emplace_back();
            if (row == kHeader || row.empty())
                continue;
            std::string path = Tree.Path(Under(row.substr(3)));
            std::replace(path.begin(), path.end(), '\\', '/');
            struct stat st {};
            EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
            EXPECT_TRUE(seen.emplace(st.st_dev, st.st_ino).second) << "listed twice: " << path;
            files += groups.back().empty() ? 0 : 1;
            bytes += groups.back().empty() ? 0 : st.st_size;
            groups.back().emplace(st.st_dev, st.st_ino);
        }
        EXPECT_EQ(State.DuplicateFiles, files);
        EXPECT_EQ(State.DuplicateBytes, bytes);
        return TSets(groups.begin(), groups.end());
    }
};

TEST_F(DifferentialTest, FindsTheSetsOfIdenticalFilesThatFdupesFinds)
{
    const char* seeds = std::getenv("ZARVEX_DIFF_SEEDS");
    const unsigned count = seeds ? static_cast<unsigned>(std::atoi(seeds)) : 20;
    for (unsigned seed = 1; seed <= count; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        UseDrives({}, "seed" + std::to_string(seed));
        Generate(seed);
        for (const bool byStamp : {false, true}) {
            const TSets expected = FdupesSets(byStamp);
            // Files kept open or opened for each use; read ahead by reader threads (few jobs
            // handed out at once, so the walk overtakes them) or by the window thread alone:
            // the same rows and the same event-pump calls (none by the clock here) each time.
            Driver.Comparison.PumpInterval = std::chrono::hours(1);
            std::optional<std::pair<Lines, int>> first;
            for (const auto& [maxOpenFiles, readers] :
                 {std::pair<std::size_t, std::size_t>{128, 3}, {1, 2}, {128, 1}}) {
                SCOPED_TRACE(std::to_string(maxOpenFiles) + " open, " + std::to_string(readers) +
                             " readers" + (byStamp ? ", same stamp" : ""));
                Driver.Comparison.MaxOpenFiles = maxOpenFiles;
                Driver.Comparison.Readers = readers;
                Driver.Comparison.ReadAheadFiles = 8;
                Driver.Comparison.ReadAheadJobs = 16;
                const int pumps = Window.PumpCalls;
                ASSERT_EQ(EngineSets(byStamp), expected);
                const std::pair<Lines, int> seen{Rows(), Window.PumpCalls - pumps};
                if (first) {
                    EXPECT_EQ(seen, *first);
                }
                first = seen;
            }
        }
    }
}

}  // namespace
