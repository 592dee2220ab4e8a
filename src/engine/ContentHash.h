#pragma once
// A fast 64-bit hash of a byte stream, fed in pieces of any length. Not cryptographic: equal
// hashes only say that two files are worth comparing byte for byte.
#include <cstddef>
#include <cstdint>

class TContentHash {
public:
    void Update(const void* data, std::size_t length);
    std::uint64_t Final() const;

private:
    void Mix(std::uint64_t word);

    std::uint64_t FState = 0x6a09e667f3bcc908ULL;
    std::uint64_t FLength = 0;
    unsigned char FTail[8] = {};
    std::size_t FTailLength = 0;  // bytes held back until a whole word is there
};
