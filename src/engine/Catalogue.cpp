#include "engine/Catalogue.h"

#include <cstdio>

#include "engine/FileMatch.h"
#include "text/PathText.h"
#include "text/TextUtil.h"

namespace {

// The two swap files of the system the program comes from are never catalogued, in any
// letter case; every other name is, however short ("a", "dat").
bool IsReservedName(std::string_view name)
{
    return CompareTextAscii(name, "mm256.dat") == 0 || CompareTextAscii(name, "mm2048.dat") == 0;
}

}  // namespace

void TCatalogue::Bind(TTreeScanner& scanner)
{
    scanner.OnDirectoryFound = [this](TTreeScanner* sender) { TreeScanner1DirectoryFound(sender); };
    scanner.OnFileFound = [this](TTreeScanner* sender) { TreeScanner1FileFound(sender); };
    scanner.OnDirectoryDone = [this](TTreeScanner* sender) { TreeScanner1DirectoryDone(sender); };
    // Copies of Windows folders carry the file as Desktop.ini or DESKTOP.INI as well.
    scanner.WatchedFileName = "desktop.ini";
}

std::string TCatalogue::CatalogueKey(bool requireSameSize, std::int64_t size,
                                     std::string_view storedName)
{
    if (!requireSameSize) {
        std::string key(storedName);
        key += '\\';
        return key;
    }
    char field[32];
    int length = std::snprintf(field, sizeof field, "%9lld ", static_cast<long long>(size));
    return std::string(field, static_cast<std::size_t>(length));
}

std::string_view TCatalogue::NameOfPath(std::string_view path)
{
    return PathName(path);
}

// Each folder is judged by its own path: a folder below a skipped SYSBCKUP or user-named folder
// still holds the matching component, while a desktop.ini file counts only for its own folder.
bool TCatalogue::FolderIsSkipped(const std::string& folder, const TTreeScanner& scanner) const
{
    if (FState.SkipSysbckupFolder &&
        UpperCaseAscii(folder).find("\\SYSBCKUP\\") != std::string::npos) {
        return true;
    }
    if (FState.SkipFolders.Count() > 0) {
        const std::string lowered = LowerCaseAscii(folder);
        for (int i = 0; i < FState.SkipFolders.Count(); ++i) {
            const std::string& line = FState.SkipFolders[i];
            // An empty line would match every folder and silently empty the whole search.
            if (!line.empty() && lowered.find(line) != std::string::npos)
                return true;
        }
    }
    return FState.SkipDesktopIniFolders && scanner.FolderHoldsWatchedFile();
}

void TCatalogue::TreeScanner1DirectoryFound(TTreeScanner* sender)
{
    const std::string folder = Trim(sender->FileFound());
    FState.FolderList.Add(folder);
    FState.CurrentFolder = FState.FolderList.Count() - 1;
    FState.SkipThisFolder = FolderIsSkipped(folder, *sender);
    FWindow.SetStatusText(3, FState.SkipThisFolder ? "Skipping " + folder : folder);
    FWindow.RepaintStatusBar();
    FState.Catalogue.BeginUpdate();
}

void TCatalogue::TreeScanner1FileFound(TTreeScanner* sender)
{
    if (FState.SkipThisFolder)
        return;
    const std::string& path = sender->FileFound();
    int index;
    if (FState.KnownDuplicates.Count() > 0 && FState.KnownDuplicates.Find(path, index))
        return;
    const std::string_view name = NameOfPath(path);
    if (IsReservedName(name))
        return;

    // The directory lookup of this file is the scanner's: it examined the very entry (not
    // following links) while listing the folder, with no window message run since, and its
    // name is the name as stored. A second look-up by full path would double the cost of a
    // walk; a file that goes before the comparison is simply no duplicate there.
    const std::int64_t size = sender->FileSize();
    if (!FState.IncludeEmptyFiles && size == 0)
        return;

    std::string key = CatalogueKey(FState.RequireSameSize, size, name);
    switch (FState.ScanMode) {
        case TScanMode::smMaster:
            FState.MasterKeys.Add(key);
            break;
        case TScanMode::smFiltered:
            if (!FState.MasterKeys.Find(key, index))
                return;
            break;
        case TScanMode::smNormal:
            break;
    }
    key.append(name);
    FState.Catalogue.Add(key, FState.CurrentFolder,
                         TFileMatcher::WalkTime(sender->FileWriteTime()));
}

void TCatalogue::TreeScanner1DirectoryDone(TTreeScanner*)
{
    FState.Catalogue.EndUpdate();
}
