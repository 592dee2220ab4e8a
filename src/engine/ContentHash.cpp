#include "engine/ContentHash.h"

#include <cstring>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;

std::uint64_t RotateLeft(std::uint64_t x, int bits)
{
    return (x << bits) | (x >> (64 - bits));
}

// Hashes live only while the program runs, so the host's byte order is as good as any.
std::uint64_t LoadWord(const unsigned char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

}  // namespace

void TContentHash::Mix(std::uint64_t word)
{
    FState = RotateLeft(FState ^ (word * kPrime1), 31) * kPrime2;
}

void TContentHash::Update(const void* data, std::size_t length)
{
    const auto* p = static_cast<const unsigned char*>(data);
    FLength += length;
    while (FTailLength > 0 && FTailLength < 8 && length > 0) {
        FTail[FTailLength++] = *p++;
        --length;
    }
    if (FTailLength == 8) {
        Mix(LoadWord(FTail));
        FTailLength = 0;
    }
    for (; length >= 8; p += 8, length -= 8) Mix(LoadWord(p));
    std::memcpy(FTail + FTailLength, p, length);
    FTailLength += length;
}

std::uint64_t TContentHash::Final() const
{
    std::uint64_t h = FState;
    for (std::size_t i = 0; i < FTailLength; ++i) h = RotateLeft(h ^ (FTail[i] * kPrime2), 11) * kPrime1;
    h ^= FLength * kPrime1;
    // Final avalanche, so that every input bit reaches every output bit.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}
