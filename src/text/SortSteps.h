#pragma once
// Sorting a large list while a window stays responsive: in chunks, then merges of neighbouring
// sorted runs, with a pump after every step; and putting items into a sorted order in place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// Chunks of this many items are sorted in one go, and a merge of runs pumps once.
inline constexpr std::size_t kSortChunk = 8192;

// Sorts [begin, end) by less; with a pump, in steps with the pump after each. In place: a
// merge borrows room for the shorter of its two runs only.
template <typename It, typename Less>
void SortInSteps(It begin, It end, const Less& less, const std::function<void()>& pump)
{
    const auto n = static_cast<std::size_t>(end - begin);
    if (!pump || n <= kSortChunk) {
        std::sort(begin, end, less);
        return;
    }
    for (std::size_t from = 0; from < n; from += kSortChunk) {
        std::sort(begin + from, begin + std::min(n, from + kSortChunk), less);
        pump();
    }
    for (std::size_t width = kSortChunk; width < n; width *= 2) {
        for (std::size_t from = 0; from + width < n; from += 2 * width) {
            const auto first = begin + from;
            std::inplace_merge(first, first + width, begin + std::min(n, from + 2 * width), less);
            pump();
        }
    }
}

// Puts items in the order of refs in place, one cycle at a time: position i receives the item
// at refs[i].Index (refs' indexes are rewritten on the way). A pump, when given, runs every
// pumpEvery moves: a million scattered moves take some 100 ms.
template <typename Item, typename Ref>
void ApplyOrder(std::vector<Item>& items, std::vector<Ref>& refs,
                const std::function<void()>& pump = {}, std::size_t pumpEvery = 8 * kSortChunk)
{
    std::size_t moved = 0;
    for (std::size_t i = 0; i < refs.size(); ++i) {
        if (refs[i].Index == i)
            continue;
        Item held = std::move(items[i]);
        std::size_t to = i;
        for (;;) {
            const std::size_t from = refs[to].Index;
            refs[to].Index = static_cast<decltype(refs[to].Index)>(to);
            if (from == i) {
                items[to] = std::move(held);
                break;
            }
            items[to] = std::move(items[from]);
            to = from;
            if (pump && ++moved % pumpEvery == 0)
                pump();
        }
    }
}

// Merges the sorted pending items into the sorted items and empties pending, giving its memory
// back. From the back into the grown vector, so no second copy of the items is needed; an item
// already present stays behind an equal pending one (compare(present, pending) >= 0 keeps the
// present one later): newer goes first.
template <typename Item, typename Compare>
void MergeInto(std::vector<Item>& items, std::vector<Item>& pending, const Compare& compare)
{
    if (items.empty()) {
        items.swap(pending);
        std::vector<Item>().swap(pending);
        return;
    }
    std::size_t i = items.size();
    std::size_t j = pending.size();
    items.resize(i + j);
    std::size_t k = items.size();
    while (j > 0) {
        if (i > 0 && compare(items[i - 1], pending[j - 1]) >= 0)
            items[--k] = std::move(items[--i]);
        else
            items[--k] = std::move(pending[--j]);
    }
    std::vector<Item>().swap(pending);
}
