#pragma once
// Reading and replacing the list and settings files: whole files, or line by line.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Reads a regular file whole. False (and `contents` emptied) when the path is missing, is no
// regular file (a folder, a FIFO that would block, a device) or a read fails.
bool ReadWholeFile(const std::string& nativePath, std::string& contents);

// True when the path may be written as a file of its own: nothing is there, or a regular file,
// or a symbolic link to one (or to nothing). A folder, FIFO, device or socket, or a link to
// one, is never written: through a planted link that would replace a device.
bool MayReplaceFile(const std::string& nativePath);

// Replaces the file with `contents`: written to a new file in the same folder, flushed, then
// renamed over the old one, so a full disk or an I/O error never leaves a truncated file. A
// symbolic link to a regular file is followed and its target replaced. Where the folder allows
// no new file but the file itself is writable, it is overwritten in place. False on any
// failure, and without touching anything when MayReplaceFile is false.
bool WriteWholeFile(const std::string& nativePath, std::string_view contents);

// A new file beside the one it will replace, renamed over it only by Commit: until then, and
// after any failure, the old file stays whole. A link to a regular file is followed; a path
// that MayReplaceFile refuses is never begun (errno EINVAL).
class TFileReplacement {
public:
    TFileReplacement() = default;
    TFileReplacement(const TFileReplacement&) = delete;
    TFileReplacement& operator=(const TFileReplacement&) = delete;
    ~TFileReplacement();  // discards what was not committed

    bool Begin(const std::string& nativePath);  // false with errno set
    int Fd() const { return FFd; }
    bool Commit();  // flushed to the disk, closed, renamed; false with errno set
    void Discard();

private:
    int FFd = -1;
    std::string FTarget, FTemp;
};

// Removes the temporary files that a WriteWholeFile of this path, killed before its rename,
// left beside the file (or beside the regular file its link names).
void RemoveLeftoverTemporaries(const std::string& nativePath);

// Lines longer than this (far beyond any path) are malformed in every list file.
inline constexpr std::size_t kMaxFileLine = 64 * 1024;

// Reads a regular file line by line (a CR, an LF or the pair ends a line) and hands each line
// to `line`. A line longer than maxLine is skipped as it streams by, never held whole. False
// when the file is missing, no regular file or a read fails (lines handed over stay handed).
bool ReadFileLines(const std::string& nativePath, std::size_t maxLine,
                   const std::function<void(std::string_view)>& line);
