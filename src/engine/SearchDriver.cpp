#include "engine/SearchDriver.h"

#include "text/TextUtil.h"

namespace {

constexpr std::string_view kWholeDrive = "\\";

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

    TStringList rootFolders(true, TDuplicates::dupIgnore);
    ReadRootFolders(rootFolders);
    ReadSkipFolders();
    ReadFileMask();
    TakeSnapshots();

    // Tells "Scan complete" from "Scan interrupted" at the end, also when no drive is walked.
    TreeScanner1.KeepSearching = true;
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
    for (int i = 0; i < rootFolders.Count(); ++i) {
        TreeScanner1.SetInitialDirectory(drive + rootFolders[i]);
        TreeScanner1.Search();
    }
}

// The root folders keep the case of their letters: folder names on this platform are told
// apart by case, and a folder typed "Docs" must be the folder Docs, not docs.
void TSearchDriver::ReadRootFolders(TStringList& rootFolders)
{
    if (Trim(FWindow.EditText(TEditBox::ebRootDir)).empty()) {
        FWindow.SetEditText(TEditBox::ebRootDir, std::string(kWholeDrive));
    }
    rootFolders.SetCommaText(FWindow.EditText(TEditBox::ebRootDir));
    TStringList scratch(true, TDuplicates::dupIgnore);
    for (int i = 0; i < rootFolders.Count(); ++i) {
        // An empty item names no folder; taken as "\" it would widen the search to the drive.
        if (Trim(rootFolders[i]).empty()) continue;
        scratch.Add(NormaliseFolder(rootFolders[i], false));
    }
    if (scratch.Count() == 0) scratch.Add(kWholeDrive);
    RemoveNestedFolders(scratch);
    FWindow.SetEditText(TEditBox::ebRootDir, scratch.CommaText());
    FWindow.UpdateCaption();
    rootFolders.SetCommaText(FWindow.EditText(TEditBox::ebRootDir));
}

// Sorted, with every entry ending in a backslash, an enclosing folder stands before the folders
// inside it, and "\docs\" never swallows "\docs2\".
void TSearchDriver::RemoveNestedFolders(TStringList& folders)
{
    for (int i = 0; i < folders.Count() - 1; ++i) {
        for (int j = i + 1; j < folders.Count();) {
            const std::string& outer = folders[i];
            const std::string& inner = folders[j];
            if (inner.compare(0, outer.size(), outer) != 0) {
                ++j;
                continue;
            }
            FWindow.ShowMessage("Folder: " + UpperCaseAscii(inner) + "  is already included in \n" +
                                "folder: " + UpperCaseAscii(outer) +
                                "  and will therefore be removed.");
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
