#pragma once
// The file-level rules of the comparison: when one file is a duplicate of another, and the
// signatures that order a run. Files are read through the run entries, which keep them open.
//
// A file is a duplicate of another when, in name mode, it is another file (never the same file
// under a second name); in size mode, when the same-name rule (if set) holds, and both are
// still regular files of the catalogued size with equal contents (zero-length files need no
// reading), and they are two files, not one. Contents are decided on bytes read at the time
// of the comparison, and only for files that kept their size and were not changed meanwhile.
#include <cstdint>
#include <functional>
#include <optional>

#include "engine/ComparisonReaders.h"
#include "engine/ContentReader.h"
#include "engine/RunEntry.h"
#include "engine/SearchState.h"

class TFileMatcher {
public:
    explicit TFileMatcher(TSearchState& state) : FState(state) {}

    // Called between blocks of long reads; false abandons the read (no match).
    std::function<bool()>& OnBlock() { return FReader.OnBlock; }
    // Called when a file cannot be opened for want of descriptors: should close every file
    // kept open except the two given (the pair being compared, or one file twice). The open
    // is then tried once more; when it fails again, FState.FilesNotOpened counts it.
    std::function<void(const TRunEntry&, const TRunEntry&)> OnOutOfDescriptors;
    // Tests only: called right before the bytes of two opened files are compared, the place
    // to change a file behind the comparison's back.
    std::function<void(const TRunEntry&, const TRunEntry&)> OnCompare;

    // The readers whose results the entries marked Ahead take over before they are read; null
    // when the window thread reads everything itself.
    TReadAhead* Ahead = nullptr;

    // Whether other is a duplicate of first. Counts nothing.
    bool Match(std::int64_t size, TRunEntry& first, TRunEntry& other);
    // Counts one file of this size found equal to its group's first file in the totals.
    void Count(std::int64_t size);
    // Fills the entry's device and inode (opening it in size mode, where it is read anyway);
    // false when the file cannot be opened or looked up.
    bool Identify(std::int64_t size, TRunEntry& entry);
    // What files must share to be worth a Match in the later passes: the content hash in size
    // mode (one reading of the file, none when it cannot be read whole), else one key for all.
    std::optional<std::uint64_t> PassKey(std::int64_t size, TRunEntry& entry);
    // The stamp (RequireSameStamp) or the checksum of the first 512 bytes; 0 for size 0 and
    // for a file that cannot be looked up or read.
    std::uint32_t Signature(std::int64_t size, TRunEntry& entry);
    // The file's date-time stamp as a signature; false when it cannot be looked up.
    static bool StampOf(const std::string& path, std::uint32_t& stamp);
    // A last write time (Windows file time) in the 32 bits the catalogue keeps beside an
    // entry: whole seconds from the end of 1979, enough for every time a stamp tells apart.
    static std::uint32_t WalkTime(std::uint64_t lastWriteTime);
    // The stamp StampOf gives for a file of that write time.
    static std::uint32_t StampOfWalkTime(std::uint32_t walkTime);

private:
    void Adopt(TRunEntry& entry);
    const TFileContent* Open(TRunEntry& entry, const TRunEntry& partner);
    bool SameNames(const TRunEntry& first, const TRunEntry& other) const;
    bool TwoEmptyFiles(const TRunEntry& first, const TRunEntry& other) const;
    bool SameContents(std::int64_t size, TRunEntry& first, TRunEntry& other);

    TSearchState& FState;
    TContentReader FReader;
};
