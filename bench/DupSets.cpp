// bench-DupSets: checks that zarvex-find found the same sets of duplicate files as fdupes.
//
//   bench-DupSets ZARVEX_LIST ROOT FDUPES_OUTPUT
//
// ZARVEX_LIST is zarvex-find's results list for the single FOLDER ROOT (drive C:). Its groups
// are joined where they share a file (a first file that heads several groups). From the fdupes
// sets the files that Zarvex leaves out by its own rules are taken away first: zero-length
// files, files in hidden folders (never entered), names holding a backslash, the names
// mm256.dat and mm2048.dat, files in SYSBCKUP folders and in folders holding a desktop.ini
// file (any letter case). Prints both counts and the first differences; exit status 0 when equal.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using TSet = std::set<std::string>;

std::vector<std::string> Lines(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The caption of a file row: between the opening quote and the quote that the size follows.
bool FileCaption(const std::string& line, std::string& caption)
{
    for (std::size_t q = line.find("\",", 1); q != std::string::npos; q = line.find("\",", q + 1)) {
        std::size_t d = q + 2;
        while (d < line.size() && std::isdigit(static_cast<unsigned char>(line[d]))) ++d;
        if (d > q + 2 && d < line.size() && line[d] == ',') {
            caption = line.substr(1, q - 1);
            return true;
        }
    }
    return false;
}

struct TUnion {
    std::map<std::string, std::string> Parent;
    std::string Find(const std::string& x)
    {
        auto it = Parent.find(x);
        if (it == Parent.end()) return Parent[x] = x;
        if (it->second == x) return x;
        return it->second = Find(it->second);
    }
    void Join(const std::string& a, const std::string& b) { Parent[Find(a)] = Find(b); }
};

std::set<TSet> ZarvexSets(const char* listPath, const std::string& root)
{
    TUnion sets;
    std::string first;
    for (const std::string& line : Lines(listPath)) {
        std::string caption;
        if (!FileCaption(line, caption)) {
            first.clear();  // a header or an empty row: a new group follows
            continue;
        }
        std::string path = root;
        for (const char c : caption.substr(2)) path.push_back(c == '\\' ? '/' : c);
        if (first.empty()) {
            first = path;
            sets.Find(path);
        } else {
            sets.Join(path, first);
        }
    }
    std::map<std::string, TSet> groups;
    for (const auto& [path, parent] : sets.Parent) groups[sets.Find(path)].insert(path);
    std::set<TSet> result;
    for (auto& [root, members] : groups) result.insert(members);
    return result;
}

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ZarvexWouldSkip(const std::string& path, const std::string& root)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return true;
    const std::string relative = path.substr(root.size());
    const std::size_t slash = relative.rfind('/');
    const std::string name = relative.substr(slash + 1);
    const std::string folders = relative.substr(0, slash + 1);
    if (name.find('\\') != std::string::npos) return true;
    if (Lower(name) == "mm256.dat" || Lower(name) == "mm2048.dat") return true;
    if (folders.find("/.") != std::string::npos) return true;
    if (Lower(folders).find("/sysbckup/") != std::string::npos) return true;
    const std::string folder = path.substr(0, path.rfind('/'));
    DIR* dir = opendir(folder.c_str());
    bool marked = false;
    while (dirent* entry = dir ? readdir(dir) : nullptr)
        marked = marked || Lower(entry->d_name) == "desktop.ini";
    if (dir) closedir(dir);
    return marked;
}

std::set<TSet> FdupesSets(const char* outputPath, const std::string& root)
{
    std::set<TSet> result;
    TSet current;
    auto close = [&] {
        if (current.size() >= 2) result.insert(current);
        current.clear();
    };
    for (const std::string& line : Lines(outputPath)) {
        if (line.empty()) {
            close();
        } else if (!ZarvexWouldSkip(line, root)) {
            current.insert(line);
        }
    }
    close();
    return result;
}

std::size_t Files(const std::set<TSet>& sets)
{
    std::size_t n = 0;
    for (const TSet& s : sets) n += s.size();
    return n;
}

void ShowOnlyIn(const char* who, const std::set<TSet>& a, const std::set<TSet>& b)
{
    int shown = 0;
    for (const TSet& s : a) {
        if (b.count(s) || shown++ >= 3) continue;
        std::printf("  only %s:", who);
        for (const std::string& p : s) std::printf(" %s", p.c_str());
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench-DupSets ZARVEX_LIST ROOT FDUPES_OUTPUT\n");
        return 2;
    }
    std::string root = argv[2];
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    const std::set<TSet> zarvex = ZarvexSets(argv[1], root);
    const std::set<TSet> fdupes = FdupesSets(argv[3], root);
    const bool same = zarvex == fdupes;
    std::printf("sets: zarvex %zu (%zu files), fdupes %zu (%zu files): %s\n", zarvex.size(),
                Files(zarvex), fdupes.size(), Files(fdupes), same ? "the same" : "DIFFERENT");
    if (!same) {
        ShowOnlyIn("zarvex", zarvex, fdupes);
        ShowOnlyIn("fdupes", fdupes, zarvex);
    }
    return same ? 0 : 1;
}
