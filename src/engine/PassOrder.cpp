#include "engine/PassOrder.h"

TPassOrder::TPassOrder(const std::vector<std::optional<std::uint64_t>>& keys)
    : FPrev(keys.size()),
      FNext(keys.size()),
      FLeft(keys.size(), true),
      FFirst(keys.empty() ? kNone : 0),
      FCount(keys.size()),
      FKeys(keys)
{
    for (std::size_t i = 0; i < keys.size(); ++i) {
        FPrev[i] = i == 0 ? kNone : i - 1;
        FNext[i] = i + 1 < keys.size() ? i + 1 : kNone;
        if (keys[i]) FBuckets[*keys[i]].push_back(i);
    }
}

void TPassOrder::Unlink(std::size_t file)
{
    if (FPrev[file] != kNone) FNext[FPrev[file]] = FNext[file];
    if (FNext[file] != kNone) FPrev[FNext[file]] = FPrev[file];
    if (FFirst == file) FFirst = FNext[file];
    FLeft[file] = false;
    --FCount;
}

void TPassOrder::FinishBucket()
{
    if (!FBucket) return;
    FBucket->erase(FBucket->begin() + static_cast<std::ptrdiff_t>(FWrite),
                   FBucket->begin() + static_cast<std::ptrdiff_t>(FRead));
    FBucket = nullptr;
}

bool TPassOrder::StartPass(std::size_t& head)
{
    FinishBucket();
    for (const std::size_t file : FRemovedNow) Unlink(file);
    FRemovedNow.clear();
    if (FCount < 2)
        return false;
    head = FFirst;
    Unlink(head);
    if (FKeys[head]) {
        FBucket = &FBuckets[*FKeys[head]];
        FRead = FWrite = 0;
    }
    return true;
}

bool TPassOrder::NextCandidate(std::size_t& file)
{
    if (!FBucket) return false;
    std::vector<std::size_t>& bucket = *FBucket;
    while (FRead < bucket.size()) {
        const std::size_t f = bucket[FRead++];
        if (!FLeft[f]) continue;
        bucket[FWrite++] = f;
        file = f;
        return true;
    }
    FinishBucket();
    return false;
}

void TPassOrder::Remove(std::size_t file)
{
    FRemovedNow.push_back(file);
}
