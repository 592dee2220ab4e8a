#pragma once
// Real temporary folder trees for tests, removed when the object goes.
#include <cstdint>
#include <string>
#include <string_view>

class TTempTree {
public:
    TTempTree();
    ~TTempTree();
    TTempTree(const TTempTree&) = delete;
    TTempTree& operator=(const TTempTree&) = delete;

    // Native root folder, no trailing "/".
    const std::string& Root() const { return FRoot; }
    // Native path of a relative path below the root ("a/b.txt").
    std::string Path(std::string_view relative) const;

    // Creates the folders on the way. Returns the native path.
    std::string MakeDir(std::string_view relative);
    std::string WriteFile(std::string_view relative, std::string_view contents);
    // A file of `size` bytes, each byte derived from `seed` and its offset.
    std::string WriteSized(std::string_view relative, std::int64_t size, unsigned seed = 1);
    // Sets the last-write (and access) time, POSIX seconds.
    void SetTime(std::string_view relative, std::int64_t unixSeconds);

private:
    std::string FRoot;
};

// Sets an environment variable for the life of the object, restoring the old value after.
class TEnvGuard {
public:
    TEnvGuard(const char* name, const std::string& value);
    ~TEnvGuard();
    TEnvGuard(const TEnvGuard&) = delete;
    TEnvGuard& operator=(const TEnvGuard&) = delete;

private:
    std::string FName;
    std::string FOld;
    bool FHadOld = false;
};
