#include "engine/SearchDriver.h"

#include <algorithm>
#include <vector>

#include "platform/FileFind.h"
#include "text/TextUtil.h"

namespace {

constexpr std::string_view kWholeDrive = "\\";
// Folders the walk has read ahead by a thread of its own when the comparison reads ahead too.
constexpr std::size_t kListingsAhead = 64;

// Mode of the pass over one drive: with the floppy as master, A: is the master pass and every
// drive after it a filtered one.
TScanMode NextScanMode(TScanMode mode, bool floppyIsMaster, char letter)
{
    if (mode == TScanMode::smMaster) return TScanMode::smFiltered;
    if (mode == TScanMode::smNormal && floppyIsMaster && letter == 'A') return TScanMode::smMaster;
    return mode;
}

const char* PhaseText(TScanMode mode)
{
    switch (mode) {
    case TScanMode::smMaster: return "Scanning master folders ....";
    case TScanMode::smFiltered: return "Scanning filtered folders ....";
    default: return "Scanning folders ....";
    }
}

}  // namespace

TSearchDriver::TSearchDriver(TSearchState& state, TSearchWindow& window)
    : Catalogue(state, window), Comparison(state, window, TreeScanner1), FState(state), FWindow(window)
{
    Catalogue.Bind(TreeScanner1);
    TreeScanner1.ProcessMessages = [this] { FWindow.ProcessMessages(); };
    TreeScanner1.SetFindHiddenFiles(true);
}

void TSearchDriver::btnSearchClick()
{
    if (TreeScanner1.SearchInProgress()) {
        TreeScanner1.KeepSearching = false;
        FState.Running = false;
        return;
    }
    // Busy is the comparison; a click anywhere else inside a running search (between two walks)
    // is a Stop as well, never a second search.
    if (FState.Busy || FSearching) {
        FState.Running = false;
        return;
    }
    FSearching = true;
    FWindow.SetListCaption("Searching ...");
    FWindow.SetSearchCaption("Stop");
    FState.Running = true;
    ScanDrives();
    Comparison.CompareCatalogue();
    // Totals read as numbers also when nothing was compared.
    ShowTotals(FState, FWindow);
    if (!FMissingFolders.empty()) {
        const std::string outcome = FWindow.StatusText(3);
        FWindow.SetStatusText(3, (outcome.empty() ? "" : outcome + " - ") +
                                     "Folder not found: " + FMissingFolders);
    }
    FSearching = false;
}

void TSearchDriver::StopSearch()
{
    TreeScanner1.KeepSearching = false;
    FState.Running = false;
}

std::string TSearchDriver::NormaliseFolder(std::string_view entry, bool lowerCase)
{
    std::string folder = Trim(lowerCase ? LowerCaseAscii(entry) : std::string(entry));
    if (folder.empty() || folder.front() != '\\') folder.insert(folder.begin(), '\\');
    if (folder.back() != '\\') folder.push_back('\\');
    return folder;
}

void TSearchDriver::ScanDrives()
{
    FWindow.SetStatusText(1, "Bytes:");
    FWindow.SetStatusText(2, "Files:");
    FWindow.SetListHint("");
    FWindow.SetHourglass(true);
    FWindow.ClearRows();
    FWindow.SetHourglass(false);
    FState.Catalogue.Clear();
    FState.FolderList.Clear();
    FState.MasterKeys.Clear();

    TStringList rootFolders(true, TDuplicates::dupAccept);
    ReadRootFolders(rootFolders);
    FMissingFolders.clear();
    ReadSkipFolders();
    ReadFileMask();
    TakeSnapshots();

    // Tells "Scan complete" from "Scan interrupted" at the end, also when no drive is walked.
    TreeScanner1.KeepSearching = true;
    TreeScanner1.OutOfDescriptors = false;
    TreeScanner1.ListingsAhead = Comparison.Readers > 1 ? kListingsAhead : 0;
    FState.ScanMode = TScanMode::smNormal;
    const bool floppyIsMaster = FWindow.Checked(TCheckBox::cbFloppyIsMaster);
    for (const char letter : FWindow.SelectedDrives()) {
        FState.ScanMode = NextScanMode(FState.ScanMode, floppyIsMaster, letter);
        ScanDrive(letter, rootFolders);
        if (!FState.Running) break;
    }
    FWindow.SetStatusText(0, "");
    FWindow.SetStatusText(3, "");
}

void TSearchDriver::ScanDrive(char letter, const TStringList& rootFolders)
{
    const std::string drive = std::string(1, letter) + ":";
    FWindow.SetStatusText(0, PhaseText(FState.ScanMode));
    std::vector<std::string> walked;
    for (int i = 0; i < rootFolders.Count() && FState.Running; ++i) {
        std::string folder;
        if (FindFolderAnyCase(drive + rootFolders[i], folder) != 1) {
            if (!FMissingFolders.empty())
                FMissingFolders += ", ";
            FMissingFolders += drive + rootFolders[i];
            continue;
        }
        // "\music" taken as the folder Music may meet "\Music" typed as well.
        if (std::find(walked.begin(), walked.end(), folder) != walked.end())
            continue;
        walked.push_back(folder);
        TreeScanner1.SetInitialDirectory(folder);
        TreeScanner1.Search();
    }
}

// Root folder lists keep entries that differ in letter case only: on this platform "\Docs\"
// and "\docs\" may be two folders. Exact repeats go.
void TSearchDriver::AddRootFolder(TStringList& folders, const std::string& folder)
{
    for (int i = 0; i < folders.Count(); ++i)
        if (folders[i] == folder)
            return;
    folders.Add(folder);
}

// The root folders keep the case of their letters: folder names on this platform are told
// apart by case, and a folder typed "Docs" is the folder Docs when there is one (ScanDrive
// takes a folder that matches apart from case only when none matches exactly).
void TSearchDriver::ReadRootFolders(TStringList& rootFolders)
{
    if (Trim(FWindow.EditText(TEditBox::ebRootDir)).empty()) {
        FWindow.SetEditText(TEditBox::ebRootDir, std::string(kWholeDrive));
    }
    TStringList typed;
    typed.SetCommaText(FWindow.EditText(TEditBox::ebRootDir));
    TStringList scratch(true, TDuplicates::dupAccept);
    for (int i = 0; i < typed.Count(); ++i) {
        // An empty item names no folder; taken as "\" it would widen the search to the drive.
        if (Trim(typed[i]).empty())
            continue;
        AddRootFolder(scratch, NormaliseFolder(typed[i], false));
    }
    if (scratch.Count() == 0) scratch.Add(kWholeDrive);
    RemoveNestedFolders(scratch);
    FWindow.SetEditText(TEditBox::ebRootDir, scratch.CommaText());
    FWindow.UpdateCaption();
    typed.SetCommaText(FWindow.EditText(TEditBox::ebRootDir));
    for (int i = 0; i < typed.Count(); ++i) AddRootFolder(rootFolders, typed[i]);
}

// Sorted, with every entry ending in a backslash, an enclosing folder stands before the folders
// inside it, and "\docs\" never swallows "\docs2\".
void TSearchDriver::RemoveNestedFolders(TStringList& folders)
{
    std::string lastMessage;  // "\docs" and "\Docs" inside "\" are told once
    for (int i = 0; i < folders.Count() - 1; ++i) {
        for (int j = i + 1; j < folders.Count();) {
            const std::string& outer = folders[i];
            const std::string& inner = folders[j];
            if (inner.compare(0, outer.size(), outer) != 0) {
                ++j;
                continue;
            }
            std::string message =
                "Folder: " + UpperCaseAscii(inner) + "  is already included in \n" +
                "folder: " + UpperCaseAscii(outer) + "  and will therefore be removed.";
            if (message != lastMessage)
                FWindow.ShowMessage(message);
            lastMessage = std::move(message);
            folders.Delete(j);
        }
    }
}

void TSearchDriver::ReadSkipFolders()
{
    FState.SkipFolders.SetCommaText(FWindow.EditText(TEditBox::ebSkipFolder));
    TStringList scratch(true, TDuplicates::dupIgnore);
    for (int i = 0; i < FState.SkipFolders.Count(); ++i) {
        const std::string folder = NormaliseFolder(FState.SkipFolders[i], true);
        if (folder.size() >= 3) scratch.Add(folder);  // "\" alone would skip everything
    }
    FWindow.SetEditText(TEditBox::ebSkipFolder, scratch.CommaText());
    FState.SkipFolders.SetCommaText(FWindow.EditText(TEditBox::ebSkipFolder));
}

void TSearchDriver::ReadFileMask()
{
    if (FWindow.EditText(TEditBox::ebFileMask).empty()) {
        FWindow.SetEditText(TEditBox::ebFileMask, "*.*");
    }
    TreeScanner1.SetFileMaskCommaText(FWindow.EditText(TEditBox::ebFileMask));
    FWindow.SetEditText(TEditBox::ebFileMask, TreeScanner1.FileMaskCommaText());
}

void TSearchDriver::TakeSnapshots()
{
    FState.SkipSysbckupFolder = FWindow.Checked(TCheckBox::cbSkipSysbckup);
    FState.SkipDesktopIniFolders = FWindow.Checked(TCheckBox::cbSkipDesktopFolders);
    FState.IncludeEmptyFiles = !FWindow.Checked(TCheckBox::cbSkipEmptyFiles);
    FState.RequireSameSize = FWindow.Checked(TCheckBox::cbCheckFilesize);
}
