#pragma once
// The file-level rules of the comparison: when one file is a duplicate of another, and the
// signatures that order a run. Files are read through the run entries, which keep them open.
//
// A file is a duplicate of another when, in name mode, it is another file (never the same file
// under a second name); in size mode, when the same-name rule (if set) holds, and both are
// still regular files of the catalogued size with equal contents (zero-length files need no
// reading), and they are two files, not one.
#include <cstdint>
#include <functional>
#include <optional>

#include "engine/ContentReader.h"
#include "engine/RunEntry.h"
#include "engine/SearchState.h"

class TFileMatcher {
public:
    explicit TFileMatcher(TSearchState& state) : FState(state) {}

    // Called between blocks of long reads; false abandons the read (no match).
    std::function<bool()>& OnBlock() { return FReader.OnBlock; }

    // Whether other is a duplicate of first; a match is counted in the totals.
    bool Match(std::int64_t size, TRunEntry& first, TRunEntry& other);
    // What files must share to be worth a Match in the later passes: the content hash in size
    // mode (one reading of the file, none when it cannot be read whole), else one key for all.
    std::optional<std::uint64_t> PassKey(std::int64_t size, TRunEntry& entry);
    // The stamp (RequireSameStamp) or the checksum of the first 512 bytes; 0 for size 0 and
    // for a file that cannot be looked up or read.
    std::uint32_t Signature(std::int64_t size, TRunEntry& entry);

private:
    bool SameNames(const TRunEntry& first, const TRunEntry& other) const;
    bool TwoEmptyFiles(const TRunEntry& first, const TRunEntry& other) const;
    bool SameContents(std::int64_t size, TRunEntry& first, TRunEntry& other);

    TSearchState& FState;
    TContentReader FReader;
};
