#pragma once
// Directory search with the rules of the Windows search, on native Linux folders.
//
// Attribute mapping: hidden = the name begins with "."; system never set; read-only = the
// owner has no write permission; archive = every regular file; directory = a real directory
// on the same file system as the folder searched. Never returned: symbolic links, FIFOs,
// sockets, devices, names holding a backslash, directories on another file system, volume
// labels, and the "." and ".." entries (a walk that forgot to skip them could never end).
// Masks: "*" any run, "?" one character (or none where a name part ends), case ignored, "*.*"
// matches every name and "*." every name without an extension (see MatchesMask).
#include <dirent.h>

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr std::uint32_t faReadOnly = 0x01;
constexpr std::uint32_t faHidden = 0x02;
constexpr std::uint32_t faSysFile = 0x04;
constexpr std::uint32_t faVolumeID = 0x08;
constexpr std::uint32_t faDirectory = 0x10;
constexpr std::uint32_t faArchive = 0x20;
constexpr std::uint32_t faCompressed = 0x800;
constexpr std::uint32_t faAnyFile = 0x3F;

struct TSearchRec {
    std::string Name;       // as the file system gave it
    std::string ShortName;  // always empty: no 8.3 names here
    std::uint32_t Attr = 0;
    std::int64_t Size = 0;  // real size; 0 for folders
    // Windows file times: 100 ns units since 1601-01-01 UTC; 0 = unknown.
    std::uint64_t CreationTime = 0;  // birth time where the file system keeps one
    std::uint64_t LastAccessTime = 0;
    std::uint64_t LastWriteTime = 0;
    std::uint64_t Device = 0, Inode = 0;
};

// True when name matches the Windows wildcard mask. "*" stands for any run; "?" for one
// character (one UTF-8 sequence; a byte that is no valid UTF-8 counts as one character), or
// for none where the name part ends (at a "." or the end: "a??.txt" takes "a.txt"); letters
// are compared by their simple case folding. "*.*" matches every name, a mask ending in ".*"
// also the name without that part ("readme.*" takes "readme"), and one ending in "." the
// names without a dot ("*." takes the names without an extension). An empty mask matches
// nothing. Never allocates.
bool MatchesMask(std::string_view name, std::string_view mask);

// The FindFirst filter: an entry carrying the hidden, system, volume-label or directory
// attribute passes only when that attribute is in attrFilter.
bool PassesAttrFilter(std::uint32_t attr, std::uint32_t attrFilter);

// First/next/close over one folder and one mask. The filter follows FindFirst (see
// PassesAttrFilter). A folder that cannot be listed simply yields nothing, as does an empty
// mask. Entries that vanish or cannot be examined while the search runs are skipped.
class TDirSearch {
public:
    TDirSearch() = default;
    TDirSearch(const TDirSearch&) = delete;
    TDirSearch& operator=(const TDirSearch&) = delete;
    ~TDirSearch();
    // pathWithMask in the program's form, e.g. "C:\Data\*.txt".
    bool First(std::string_view pathWithMask, std::uint32_t attrFilter, TSearchRec& rec);
    bool Next(TSearchRec& rec);
    void Close();

private:
    struct TState;
    TState* FState = nullptr;
};

// One entry of a TFolderListing; its name lies in the listing's name buffer.
struct TFolderEntry {
    std::size_t NameOffset = 0;
    std::size_t NameLength = 0;
    std::uint32_t Attr = 0;
    std::int64_t Size = 0;
    std::uint64_t CreationTime = 0, LastAccessTime = 0, LastWriteTime = 0;
    std::uint64_t Device = 0, Inode = 0;
};

// A whole folder read in one pass, for a walk that needs both its subfolders and its files
// under several masks: the folder is read once instead of once for folders and once per
// mask, and an entry is examined (stat) only when its name can be wanted. It holds exactly
// the entries a search of "*.*" with faAnyFile would return (hidden ones included, with
// their attributes), in the file system's order; apply PassesAttrFilter and MatchesMask to
// narrow it as a search with that filter and mask would. Names share one buffer, so reading
// a folder allocates a few times, not once per entry; a listing reused for the next folder
// keeps its capacity.
class TFolderListing {
public:
    // fileMasks: a non-folder entry is kept only when its name matches one of them (nullptr:
    // every file; an empty list: folders only). False, and an empty listing, when the folder
    // cannot be listed. programFolder may end in a separator or not.
    bool Read(std::string_view programFolder, const std::vector<std::string>* fileMasks = nullptr);
    // The same from a native folder.
    bool ReadNative(std::string_view nativeFolder, const std::vector<std::string>* fileMasks);
    // The same from an open folder (see OpenFolderNoFollow); the descriptor stays open.
    bool ReadAt(int folderFd, const std::vector<std::string>* fileMasks);
    void Clear();

    std::size_t Count() const { return FEntries.size(); }
    const TFolderEntry& Entry(std::size_t i) const { return FEntries[i]; }
    std::string_view Name(std::size_t i) const
    {
        return std::string_view(FNames).substr(FEntries[i].NameOffset, FEntries[i].NameLength);
    }
    // The folder read, as the last read opened it.
    std::uint64_t Device() const { return FDevice; }
    std::uint64_t Inode() const { return FInode; }

    // A file name looked out for in every folder read, whatever the masks, compared ignoring
    // ASCII letter case; HoldsWatchedFile tells whether the last read met such a regular file.
    void SetWatchedName(std::string_view name) { FWatchedName = name; }
    const std::string& WatchedName() const { return FWatchedName; }
    // A read ends early, as one that failed, once *cancel is set (null: never).
    void SetCancel(const std::atomic<bool>* cancel) { FCancel = cancel; }
    bool HoldsWatchedFile() const { return FHoldsWatched; }

private:
    bool ReadEntries(DIR* dir, const std::vector<std::string>* fileMasks);

    std::string FNames;
    std::vector<TFolderEntry> FEntries;
    std::string FWatchedName;
    const std::atomic<bool>* FCancel = nullptr;
    bool FHoldsWatched = false;
    std::uint64_t FDevice = 0, FInode = 0;
};

// Opens a folder of a walk for reading, never through a symbolic link below the drive's root:
// each component is opened relative to the one before it with O_NOFOLLOW, so a folder swapped
// for a link is not followed. -1 when that fails; the caller closes what it gets.
int OpenFolderNoFollow(std::string_view programFolder);
// One subfolder of an open folder, the same way.
int OpenSubfolderNoFollow(int folderFd, const std::string& name);

// The folder (program's form, ending in "\\") that a typed folder names: the folder itself
// when it exists as typed, else the one folder that matches it apart from letter case. Gives
// the number of folders found: 1, 0, or 2 for several that match only apart from case (then
// `found` is left empty, as no one of them is meant more than another).
int FindFolderAnyCase(std::string_view programFolder, std::string& found);

// Look-up of one path (program's form) with any attributes: the record a search of its
// folder would give, so nothing that a search never returns (a link, a FIFO, a mount point
// of another file system, a drive root) is found. withCompression also asks the file system
// for its compression flag (faCompressed), one more open of the file: for the properties of
// one file, not for a walk.
bool FindFile(std::string_view programPath, TSearchRec& rec, bool withCompression = false);
// The record FindFile gives for a regular file, taken from the file opened (fd) at that path
// rather than by looking the path up again.
bool FindOpenFile(std::string_view programPath, int fd, TSearchRec& rec);
// True when any kind of entry exists at the path (a link, also a dangling one, a FIFO, a
// folder...). Links are not followed.
bool FileExists(std::string_view programPath);
// True when both paths name the very same file (device and inode; links not followed).
bool SameFile(std::string_view programPathA, std::string_view programPathB);
