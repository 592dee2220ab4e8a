#pragma once
// TCatalogue: the main window's handlers of the tree scanner's events. They turn the walk into
// the catalogue of TSearchState: one entry per candidate file, "key" + file name, held in the
// sorted Catalogue with the index of its folder in FolderList as object, so that files which
// may be duplicates stand next to each other. They also apply every skip rule of a search and
// the master/filtered passes.
//
// The handlers rely on the scanner's order: a folder's files come right after the folder and
// before any subfolder, so CurrentFolder and SkipThisFolder hold for every file reported.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/SearchState.h"
#include "engine/SearchWindow.h"
#include "scan/TreeScan.h"

class TCatalogue {
public:
    // Both must outlive this object; the handlers read and write them directly.
    TCatalogue(TSearchState& state, TSearchWindow& window) : FState(state), FWindow(window) {}

    // Assigns the three handlers below to the scanner's OnDirectoryFound, OnFileFound and
    // OnDirectoryDone, and has the scanner look out for desktop.ini. OnSearchDone and the
    // scanner's ProcessMessages are left as they are.
    void Bind(TTreeScanner& scanner);

    // A folder is entered: appended to FolderList, judged by the skip rules, shown in status
    // panel 3, and the catalogue's update bracket opened.
    void TreeScanner1DirectoryFound(TTreeScanner* sender);
    // A file matched the masks: catalogued unless a skip rule or the filtered pass drops it.
    void TreeScanner1FileFound(TTreeScanner* sender);
    // A folder's subtree is finished: the update bracket closed.
    void TreeScanner1DirectoryDone(TTreeScanner* sender);

    // The key of an entry. Size mode: the size right-aligned in 9 characters (in full when
    // longer), then one space. Name mode: the name as stored, then a backslash.
    static std::string CatalogueKey(bool requireSameSize, std::int64_t size,
                                    std::string_view storedName);
    // The file name of a path in the program's form (PathName of text/PathText.h).
    static std::string_view NameOfPath(std::string_view path);

private:
    bool FolderIsSkipped(const std::string& folder, const TTreeScanner& scanner) const;

    TSearchState& FState;
    TSearchWindow& FWindow;
};
