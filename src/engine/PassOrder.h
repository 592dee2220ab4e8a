#pragma once
// The order of the later passes over the files that a sub-run's first pass left unmatched.
//
// Each pass takes the first file left as its head and checks the others against it in their
// order; a file removed in a pass (matched) leaves the order when the next pass starts. Only
// files of the head's key can match it, so a pass visits just those: k files of k different
// keys cost k passes of one step each, not k*k/2.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

class TPassOrder {
public:
    // The keys of the files, in their order; a file without a key matches nothing.
    explicit TPassOrder(const std::vector<std::optional<std::uint64_t>>& keys);

    // Starts the next pass; false when fewer than two files are left.
    bool StartPass(std::size_t& head);
    // The next file of this pass with the head's key, in order; false when there is none.
    bool NextCandidate(std::size_t& file);
    // The file leaves the order when the next pass starts.
    void Remove(std::size_t file);

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    void Unlink(std::size_t file);
    void FinishBucket();

    std::vector<std::size_t> FPrev, FNext;  // the files left, as a list
    std::vector<bool> FLeft;
    std::size_t FFirst = kNone, FCount = 0;
    std::vector<std::optional<std::uint64_t>> FKeys;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> FBuckets;  // files by key, in order
    // The head's bucket during a pass, read at FRead and written back without the files that
    // left the order at FWrite, so no pass reads a file that left.
    std::vector<std::size_t>* FBucket = nullptr;
    std::size_t FRead = 0, FWrite = 0;
    std::vector<std::size_t> FRemovedNow;
};
