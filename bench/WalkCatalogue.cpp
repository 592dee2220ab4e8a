// Walks one native folder tree with the tree scanner and catalogues every file, as the first
// phase of a search does, and prints the time it took.
//
//   bench-WalkCatalogue TREE             walk and catalogue; prints "files N seconds S"
//   bench-WalkCatalogue --make-tree TREE [FOLDERS] [FILES_PER_FOLDER]
//                                         makes the deterministic test tree (default 10,000
//                                         leaf folders of 10 files each; sparse files, so
//                                         their sizes cost no disk)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/Catalogue.h"
#include "engine/SearchState.h"
#include "engine/SearchWindow.h"
#include "platform/Drives.h"
#include "scan/TreeScan.h"

namespace {

// A window that is not there: the walk's texts and pumps go nowhere.
class TNullWindow : public TSearchWindow {
public:
    int Pumps = 0;
    void ProcessMessages() override { ++Pumps; }
    void SetStatusText(int, const std::string&) override {}
    void RepaintStatusBar() override {}
    std::string EditText(TEditBox) override { return {}; }
    void SetEditText(TEditBox, const std::string&) override {}
    bool Checked(TCheckBox) override { return false; }
    std::string SelectedDrives() override { return "C"; }
    void UpdateCaption() override {}
    void ShowMessage(const std::string&) override {}
    void SetListCaption(const std::string&) override {}
    void SetSearchCaption(const std::string&) override {}
    void SetListHint(const std::string&) override {}
    void SetHourglass(bool) override {}
    void SetProgressMax(int) override {}
    void SetProgressPosition(int) override {}
    void SetProgressVisible(bool) override {}
    int RowCount() override { return 0; }
    void ClearRows() override {}
    void AddRow(const std::string&) override {}
    bool AddFile(const std::string&, std::int64_t&) override { return false; }
    void BeginRowsUpdate() override {}
    void EndRowsUpdate() override {}
    void RepaintRows() override {}
    void AutoSizeColumns() override {}
    void FixColumnWidths() override {}
};

std::uint32_t NextRandom(std::uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

std::string FileName(std::uint32_t& state, int index)
{
    static const char* const stems[] = {"report", "IMG_",  "Notes",  "data",    "setup",
                                        "Résumé", "track", "backup", "Invoice", "readme"};
    static const char* const exts[] = {".txt", ".JPG",    ".pdf", ".dll", ".mp3",
                                       "",     ".tar.gz", ".doc", ".png", ".ini"};
    std::uint32_t r = NextRandom(state);
    return std::string(stems[r % 10]) + std::to_string(index) + "_" + std::to_string(r % 977) +
           exts[(r / 10) % 10];
}

// Three levels: 10 x 10 x (folders / 100) leaf folders, each holding filesPerFolder files.
int MakeTree(const std::string& root, int folders, int filesPerFolder)
{
    std::uint32_t state = 20240601u;
    if (mkdir(root.c_str(), 0755) != 0) {
        std::perror(root.c_str());
        return 1;
    }
    const int leavesPerMiddle = folders / 100 > 0 ? folders / 100 : 1;
    for (int top = 0; top < 10; ++top) {
        const std::string topPath = root + "/Top" + std::to_string(top);
        mkdir(topPath.c_str(), 0755);
        for (int mid = 0; mid < 10; ++mid) {
            const std::string midPath = topPath + "/mid " + std::to_string(mid);
            mkdir(midPath.c_str(), 0755);
            for (int leaf = 0; leaf < leavesPerMiddle; ++leaf) {
                const std::string leafPath = midPath + "/Leaf" + std::to_string(leaf);
                if (mkdir(leafPath.c_str(), 0755) != 0) {
                    std::perror(leafPath.c_str());
                    return 1;
                }
                for (int f = 0; f < filesPerFolder; ++f) {
                    const std::string path = leafPath + "/" + FileName(state, f);
                    int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
                    if (fd < 0 || ftruncate(fd, NextRandom(state) % 5'000'000) != 0) {
                        std::perror(path.c_str());
                        return 1;
                    }
                    close(fd);
                }
            }
        }
    }
    return 0;
}

int WalkAndCatalogue(const std::string& tree)
{
    char* resolved = realpath(tree.c_str(), nullptr);  // drive roots are absolute folders
    if (!resolved) {
        std::perror(tree.c_str());
        return 1;
    }
    TDriveTable::SetCurrent(TDriveTable::FromFolders({resolved}));
    std::free(resolved);
    TSearchState state;
    state.SkipSysbckupFolder = true;
    state.SkipDesktopIniFolders = true;
    state.IncludeEmptyFiles = true;
    state.RequireSameSize = true;
    TNullWindow window;
    TTreeScanner scanner;
    TCatalogue catalogue(state, window);
    catalogue.Bind(scanner);
    scanner.ProcessMessages = [&window] { window.ProcessMessages(); };
    scanner.SetFindHiddenFiles(true);
    scanner.SetFileMaskCommaText("*.*");

    const auto start = std::chrono::steady_clock::now();
    scanner.SetInitialDirectory("C:\\");
    scanner.Search();
    const int files = state.Catalogue.Count();  // the sorted catalogue, ready for comparing
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("files %d folders %d pumps %d seconds %.3f\n", files, state.FolderList.Count(),
                window.Pumps, took.count());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string(argv[1]) == "--make-tree") {
        const int folders = argc > 3 ? std::atoi(argv[3]) : 10'000;
        const int files = argc > 4 ? std::atoi(argv[4]) : 10;
        return MakeTree(argv[2], folders, files);
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TREE | --make-tree TREE [FOLDERS] [FILES]\n", argv[0]);
        return 2;
    }
    return WalkAndCatalogue(argv[1]);
}
