#pragma once
// The program's own path form ("C:\Data\report.txt", "/" accepted as a separator too) and
// native paths. A path on no drive maps to nothing; every caller treats that as "not found".
//
// Both directions resolve "." and ".." by the text alone and never climb above the drive's
// root, as Windows does for "C:\..\x": a hostile or careless path cannot reach a folder
// outside the drive it names.
#include <fcntl.h>

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
