#pragma once
// Read-only access to a file's contents, safe against hostile or changing files: opened
// without following links and without blocking, only regular files, its real current size
// checked, nothing read past the end (a file that shrinks is read short, never crashes).
#include <cstddef>
#include <cstdint>
#include <string_view>

class TFileContent {
public:
    TFileContent() = default;
    TFileContent(const TFileContent&) = delete;
    TFileContent& operator=(const TFileContent&) = delete;
    ~TFileContent();

    // False when the path is on no drive, is no regular file, or cannot be opened.
    // The path is looked at before it is opened, so that no device node is ever opened (that
    // alone can have effects). A caller that has just seen a regular file at the path (the
    // walk's listing) may pass seenRegular to save that look-up; whatever stands there is still
    // checked after opening and never read unless it is a regular file.
    bool Open(std::string_view programPath, bool seenRegular = false);
    void Close();
    bool IsOpen() const { return FFd >= 0; }
    std::int64_t Size() const { return FSize; }  // at opening
    // The size now (the file may have changed since it was opened); -1 on an error.
    std::int64_t CurrentSize() const;
    std::uint64_t Device() const { return FDevice; }
    std::uint64_t Inode() const { return FInode; }
    // Reads up to count bytes at offset; returns the bytes read (short at the real end), -1 on
    // an error.
    std::int64_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;

private:
    int FFd = -1;
    std::int64_t FSize = 0;
    std::uint64_t FDevice = 0, FInode = 0;
};

// Compares the first `size` bytes of two open files; true only when both hold at least
// `size` bytes and they are equal. pump (may be null) is called between large blocks. Never
// true for two handles of the very same file (same device and inode: hard links, bind
// mounts, overlapping drives): a file is no duplicate of itself, and nothing is read.
bool SameContents(const TFileContent& a, const TFileContent& b, std::int64_t size,
                  void (*pump)(void*) = nullptr, void* pumpArg = nullptr);
