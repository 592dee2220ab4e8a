#pragma once
// A fast 64-bit hash of a byte stream (XXH3), fed in pieces of any length. Not cryptographic:
// equal hashes only say that two files are worth comparing byte for byte.
#include <cstddef>
#include <cstdint>
#include <memory>

struct XXH3_state_s;

class TContentHash {
public:
    TContentHash();
    ~TContentHash();
    TContentHash(const TContentHash&) = delete;
    TContentHash& operator=(const TContentHash&) = delete;

    void Update(const void* data, std::size_t length);
    std::uint64_t Final() const;

private:
    struct TFree {
        void operator()(XXH3_state_s* state) const;
    };
    std::unique_ptr<XXH3_state_s, TFree> FState;
};
