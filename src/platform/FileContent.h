#pragma once
// Read-only access to a file's contents, safe against hostile or changing files: opened
// without following links and without blocking, only regular files, its real current size
// checked, nothing read past the end (a file that shrinks is read short, never crashes).
#include <cerrno>
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
    // The path is looked at (without following a link) right before it is opened, so that no
    // device node is ever opened (that alone can have effects), and what was opened is looked
    // at again: whatever was swapped in meanwhile is never read unless it is a regular file.
    bool Open(std::string_view programPath);
    void Close();
    bool IsOpen() const { return FFd >= 0; }
    int Fd() const { return FFd; }
    // The last Open failed only because the process or the system has no descriptor left:
    // the file may well be there.
    bool OutOfDescriptors() const { return FLastError == EMFILE || FLastError == ENFILE; }
    std::int64_t Size() const { return FSize; }  // at opening
    // True while the file still has this size and has not been changed (written, truncated,
    // its attributes set) since it was opened.
    bool Unchanged(std::int64_t size) const;
    std::uint64_t Device() const { return FDevice; }
    std::uint64_t Inode() const { return FInode; }
    std::int64_t WriteSeconds() const { return FWriteSeconds; }  // last write, at opening
    // Reads up to count bytes at offset; returns the bytes read (short at the real end), -1 on
    // an error.
    std::int64_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;
    // The same from the page cache only: never waits for the disk. False when not all count
    // bytes could be read so; uncached then tells that the disk would have been needed (the
    // kernel may not be able to say: then it stays false).
    bool ReadCachedAt(std::int64_t offset, void* buffer, std::size_t count, bool& uncached) const;
    // Tells the kernel that the whole file is about to be read from start to end (a larger
    // read-ahead). Only a hint.
    void AdviseSequential() const;

private:
    int FFd = -1;
    int FLastError = 0;
    std::int64_t FSize = 0;
    std::int64_t FChangeTime = 0;  // ns
    std::int64_t FWriteSeconds = 0;
    std::uint64_t FDevice = 0, FInode = 0;
};

// Compares the first `size` bytes of two open files; true only when both hold at least
// `size` bytes and they are equal. pump (may be null) is called between large blocks. Never
// true for two handles of the very same file (same device and inode: hard links, bind
// mounts, overlapping drives): a file is no duplicate of itself, and nothing is read.
bool SameContents(const TFileContent& a, const TFileContent& b, std::int64_t size,
                  void (*pump)(void*) = nullptr, void* pumpArg = nullptr);

// Raises the soft limit of open files to the hard limit, at program start: a run keeps many
// files open at once.
void RaiseOpenFileLimit();
// The number of files the process may hold open (its soft limit).
std::size_t OpenFileLimit();
