#pragma once
// TTreeScanner: walks one folder tree under a list of file masks and reports what it meets
// through events. It keeps no results; handlers read FileFound and FileSize while an event
// runs. Paths are in the program's form ("C:\Data\").
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileFind.h"
#include "scan/ListingReader.h"
#include "text/StringList.h"

class TTreeScanner;
// An event: a callback bound to its object, given the sender. Unassigned events are not fired.
using TNotifyEvent = std::function<void(TTreeScanner* sender)>;
// "Let pending window messages run": called at the start of every folder visit, and in a
// folder of many entries every 25 ms too.
using TProcessMessages = std::function<void()>;

class TTreeScanner {
public:
    TTreeScanner();
    TTreeScanner(const TTreeScanner&) = delete;
    TTreeScanner& operator=(const TTreeScanner&) = delete;

    TNotifyEvent OnDirectoryFound;
    TNotifyEvent OnDirectoryDone;
    TNotifyEvent OnSearchDone;
    TNotifyEvent OnFileFound;
    TProcessMessages ProcessMessages;

    const std::string& FileFound() const { return FFileFound; }
    std::int64_t FileSize() const { return FFileSize; }
    // The file's last write time as the listing saw it (Windows file time; 0 = unknown).
    std::uint64_t FileWriteTime() const { return FFileWriteTime; }
    bool SearchInProgress() const { return FSearchInProgress; }

    const std::string& InitialDirectory() const { return FInitialDirectory; }
    void SetInitialDirectory(std::string_view dir) { FInitialDirectory = dir; }
    std::string FileMask() const;
    void SetFileMask(std::string_view mask);
    std::string FileMaskCommaText() const;
    void SetFileMaskCommaText(std::string_view text);
    bool Recursive() const { return FRecursive; }
    void SetRecursive(bool value) { FRecursive = value; }
    bool FindHiddenFiles() const { return FFindHiddenFiles; }
    void SetFindHiddenFiles(bool value) { FFindHiddenFiles = value; }
    bool FindHiddenFolders() const { return FFindHiddenFolders; }
    void SetFindHiddenFolders(bool value) { FFindHiddenFolders = value; }

    // Cleared by an owner to stop the running walk; read at the start of each folder.
    bool KeepSearching = false;
    // Folders read ahead of the walk by a thread of its own, at most (never more than the
    // descriptors the process may open allow); 0: none, the walk reads each folder itself.
    std::size_t ListingsAhead = 0;
    // Set when a folder could not be opened or read because the process ran out of file
    // descriptors (such a folder is no unreadable one); only an owner clears it.
    bool OutOfDescriptors = false;

    // A file name looked out for in every folder, whatever the masks, compared ignoring ASCII
    // letter case (empty: none). During OnDirectoryFound, FolderHoldsWatchedFile tells whether
    // the folder being reported holds such a regular file.
    std::string WatchedFileName;
    bool FolderHoldsWatchedFile() const { return FHoldsWatched; }

    // One complete walk from InitialDirectory; returns when it has ended (also after a stop).
    // Called from a handler while a walk runs, it returns at once without any event.
    void Search();

    // The normal form of InitialDirectory: a backslash appended unless the path ends in one
    // ("C:" gives "C:\", "D:\Data" gives "D:\Data\", "D:\Data\" stays as it is).
    static std::string NormalFolder(std::string_view dir);

private:
    struct TSubfolder;
    struct TFolderVisit;
    void ScanFolder(std::string folder);
    static int OpenSubfolder(const std::vector<TFolderVisit>& path, const std::string& name);
    bool EnterFolder(const TSubfolder& folder, std::vector<TFolderVisit>& path);
    void ReportFiles(const std::string& folder, std::vector<std::size_t>& files);
    void Fire(const TNotifyEvent& event);
    void Pump();
    void PumpIfDue();

    // Folders with at least this many entries may let messages run more than once.
    static constexpr std::size_t kLongFolder = 256;

    std::string FFileFound;
    std::int64_t FFileSize = 0;
    std::uint64_t FFileWriteTime = 0;
    bool FSearchInProgress = false;
    bool FHoldsWatched = false;
    std::string FInitialDirectory;
    TStringList FMasks{true, TDuplicates::dupIgnore};
    bool FRecursive = true;
    bool FFindHiddenFiles = false;
    bool FFindHiddenFolders = false;

    // For the running walk: the masks as the listing takes them, and one listing reused from
    // folder to folder (a folder's entries are all used before the next folder is read).
    std::vector<std::string> FWalkMasks;
    TFolderListing FListing;
    std::unique_ptr<TListingReader> FAhead;  // while a root folder is walked
    std::chrono::steady_clock::time_point FLastPump{};
};
