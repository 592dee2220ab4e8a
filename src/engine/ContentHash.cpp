#include "engine/ContentHash.h"

#include <xxhash.h>

#include <new>

void TContentHash::TFree::operator()(XXH3_state_s* state) const
{
    XXH3_freeState(state);
}

TContentHash::TContentHash() : FState(XXH3_createState())
{
    if (!FState)
        throw std::bad_alloc();
    XXH3_64bits_reset(FState.get());
}

TContentHash::~TContentHash() = default;

void TContentHash::Update(const void* data, std::size_t length)
{
    XXH3_64bits_update(FState.get(), data, length);
}

std::uint64_t TContentHash::Final() const
{
    return XXH3_64bits_digest(FState.get());
}
