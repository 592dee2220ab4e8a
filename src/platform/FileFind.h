#pragma once
// Directory search with the rules of the Windows search, on native Linux folders.
//
// Attribute mapping: hidden = the name begins with "."; system never set; read-only = the
// owner has no write permission; archive = every regular file; directory = a real directory
// on the same file system as the folder searched. Never returned: symbolic links, FIFOs,
// sockets, devices, names holding a backslash, directories on another file system, volume
// labels. Masks: "*" any run, "?" one character, case ignored, "*.*" matches every name.
#include <cstdint>
#include <string>
#include <string_view>

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

// True when name matches the Windows wildcard mask.
bool MatchesMask(std::string_view name, std::string_view mask);

// First/next/close over one folder and one mask. The filter follows FindFirst: an entry with
// the hidden, system, volume-label or directory attribute is returned only when that
// attribute is in attrFilter. A folder that cannot be listed simply yields nothing.
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

// Look-up of one path (program's form) with any attributes: the record a search would give.
bool FindFile(std::string_view programPath, TSearchRec& rec);
// True when any kind of entry exists at the path (a link, a FIFO, a folder...).
bool FileExists(std::string_view programPath);
// True when both paths name the very same file (device and inode).
bool SameFile(std::string_view programPathA, std::string_view programPathB);
