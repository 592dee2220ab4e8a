#pragma once
// The program's own path form ("C:\Data\report.txt", "/" accepted as a separator too) and
// native paths. A path on no drive maps to nothing; every caller treats that as "not found".
//
// Both directions resolve "." and ".." by the text alone and never climb above the drive's
// root, as Windows does for "C:\..\x": a hostile or careless path cannot reach a folder
// outside the drive it names.
#include <fcntl.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

// A trailing separator is kept ("C:\Data\" gives "<root>/Data/"); a drive alone ("C:" or
// "C:\") gives its root. Nothing for a path without a drive letter, on an absent drive, or
// holding a NUL byte.
std::optional<std::string> ToNativePath(std::string_view programPath);
// The program's form of a native absolute path, on the drive whose root holds it most
// closely (the longest matching root); nothing when no drive holds it, or when a component
// holds a backslash (such a name could not be told apart from a separator).
std::optional<std::string> FromNativePath(std::string_view nativePath);

// "/a/./b//c/../d" -> "/a/b/d"; ".." never climbs above "/". Keeps one trailing "/" when the
// path had one and is not "/" itself. Empty for a relative path or one holding a NUL byte.
std::string NormalizeNativePath(std::string_view nativePath);

// A native path opened far enough to reach its last component: Fd() is a directory to use
// with the *at() calls and Leaf() the name relative to it. Paths below PATH_MAX need no
// opening (Fd() is AT_FDCWD and Leaf() the whole path); longer ones, which the kernel refuses
// in one piece, are opened piece by piece so that deep trees stay reachable.
class TNativeLocation {
public:
    TNativeLocation() = default;
    TNativeLocation(const TNativeLocation&) = delete;
    TNativeLocation& operator=(const TNativeLocation&) = delete;
    ~TNativeLocation();

    // False when a folder on the way cannot be opened (then nothing is held).
    bool Open(std::string_view nativePath);
    int Fd() const { return FFd; }
    const char* Leaf() const { return FLeaf.c_str(); }

private:
    void Release();
    int FFd = AT_FDCWD;
    bool FOwned = false;
    std::string FLeaf;
};

// A listed file reached from its drive's root one component at a time without following any
// link, so an action on Folder()/Name() falls on exactly the entry the list names, with the
// bytes of its name. The drive's root itself is configuration and may be reached through
// links; nothing below it may be one.
enum class TListedState {
    lsFile,          // a regular file
    lsNotFound,      // nothing at the path (or no drive): it was deleted or moved
    lsLinkOnTheWay,  // a folder on the way or the entry itself is a symbolic link
    lsNotAFile,      // a folder on the way is no folder, or the entry is no regular file
    lsFailed,        // a folder on the way could not be opened (Error tells why)
};

class TListedFile {
public:
    TListedFile() = default;
    TListedFile(const TListedFile&) = delete;
    TListedFile& operator=(const TListedFile&) = delete;
    ~TListedFile();

    TListedState Open(std::string_view programPath);
    int Folder() const { return FFolder; }  // the folder holding the entry (an O_PATH descriptor)
    const std::string& Name() const { return FName; }
    const std::string& NativePath() const { return FNative; }
    const struct stat& Stat() const { return FStat; }
    const std::string& Error() const { return FError; }

private:
    int FFolder = -1;
    std::string FName, FNative, FError;
    struct stat FStat {};
};

// What the user is told when a listed file is not acted on; empty for lsFile and lsNotFound.
std::string ListedRefusal(TListedState state, const std::string& error);
