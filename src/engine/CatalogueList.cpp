#include "engine/CatalogueList.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "text/LocaleCompare.h"
#include "text/SortSteps.h"

namespace {

constexpr std::size_t kBlockSize = 1 << 20;
constexpr std::size_t kFieldWidth = 10;  // nine characters of number, one space

// A size field exactly as the catalogue writes it: blanks, then the digits of a number below
// 10^9 without leading zeros, right-aligned in nine characters, then one space. Anything else
// (a longer number, a zero in front) would not be given back byte for byte.
bool ReadSizeField(std::string_view s, std::int64_t& size)
{
    if (s.size() < kFieldWidth || s[kFieldWidth - 1] != ' ')
        return false;
    std::size_t i = 0;
    while (i < kFieldWidth - 1 && s[i] == ' ') ++i;
    if (i == kFieldWidth - 1 || (s[i] == '0' && i != kFieldWidth - 2))
        return false;
    std::int64_t value = 0;
    for (; i < kFieldWidth - 1; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    size = value;
    return true;
}

// A pending entry while sorting, in 8 bytes: its size (below 10^9), or later the place of its
// collation key among its group's; and its index among the adds.
struct TRef {
    std::uint32_t Size;
    std::uint32_t Index;
};

using TRefIt = std::vector<TRef>::iterator;

}  // namespace

std::string_view TCatalogueList::TextOf(const TItem& item) const
{
    return {FBlocks[item.Block].get() + item.Offset, item.Length};
}

std::string TCatalogueList::EntryOf(const TItem& item) const
{
    if (item.Size < 0)
        return std::string(TextOf(item));
    char field[32];
    const int n = std::snprintf(field, sizeof field, "%9lld ", static_cast<long long>(item.Size));
    std::string entry(field, static_cast<std::size_t>(n));
    entry.append(TextOf(item));
    return entry;
}

bool TCatalogueList::InRange(int index) const
{
    Normalize();
    return index >= 0 && static_cast<std::size_t>(index) < FItems.size();
}

int TCatalogueList::Count() const
{
    Normalize();
    return static_cast<int>(FItems.size());
}

std::string TCatalogueList::Strings(int index) const
{
    return InRange(index) ? EntryOf(FItems[static_cast<std::size_t>(index)]) : std::string();
}

std::int64_t TCatalogueList::Objects(int index) const
{
    return InRange(index) ? FItems[static_cast<std::size_t>(index)].Object : 0;
}

std::int64_t TCatalogueList::SizeField(int index) const
{
    return InRange(index) ? FItems[static_cast<std::size_t>(index)].Size : -1;
}

std::string_view TCatalogueList::Tail(int index) const
{
    return InRange(index) ? TextOf(FItems[static_cast<std::size_t>(index)]) : std::string_view();
}

std::uint32_t TCatalogueList::Extra(int index) const
{
    return InRange(index) ? FItems[static_cast<std::size_t>(index)].Extra : 0;
}

void TCatalogueList::Add(std::string_view s, std::int64_t object, std::uint32_t extra)
{
    TItem item;
    item.Extra = extra;
    if (ReadSizeField(s, item.Size))
        s.remove_prefix(kFieldWidth);
    if (FBlocks.empty() || FBlockSize - FBlockUsed < s.size()) {
        FBlockSize = std::max(kBlockSize, s.size());
        FBlocks.emplace_back(new char[FBlockSize]);
        FBlockUsed = 0;
    }
    std::memcpy(FBlocks.back().get() + FBlockUsed, s.data(), s.size());
    item.Block = static_cast<std::uint32_t>(FBlocks.size() - 1);
    item.Offset = static_cast<std::uint32_t>(FBlockUsed);
    item.Length = static_cast<std::uint32_t>(s.size());
    item.Object = static_cast<std::int32_t>(object);
    FBlockUsed += s.size();
    FPending.push_back(item);
}

void TCatalogueList::Delete(int index)
{
    if (!InRange(index))
        return;
    FItems.erase(FItems.begin() + index);  // the last one, as a comparison takes them, at no cost
}

void TCatalogueList::Clear()
{
    std::vector<TItem>().swap(FItems);
    std::vector<TItem>().swap(FPending);
    std::vector<std::unique_ptr<char[]>>().swap(FBlocks);
    FBlockUsed = FBlockSize = 0;
}

int TCatalogueList::Compare(const TItem& a, const TItem& b) const
{
    if (a.Size >= 0 && b.Size >= 0 && a.Size != b.Size && NumberFieldsCollateAsNumbers())
        return a.Size < b.Size ? -1 : 1;
    return CollationKey(EntryOf(a)).compare(CollationKey(EntryOf(b)));
}

void TCatalogueList::Normalize() const
{
    if (FPending.empty())
        return;
    SortPending(FPending, {});
    MergePending(FPending);
}

void TCatalogueList::Prepare(const std::function<void()>& pump)
{
    if (FPending.empty())
        return;
    std::vector<TItem> pending;
    pending.swap(FPending);
    SortPending(
        pending, pump ? pump : [] {});
    MergePending(pending);
}

// One-by-one insertion puts a new entry before the equal ones present: equal entries end up
// newest first, so ties go by the larger index.
void TCatalogueList::SortPending(std::vector<TItem>& pending,
                                 const std::function<void()>& pump) const
{
    const std::size_t n = pending.size();
    std::vector<TRef> refs(n);
    bool bySize = NumberFieldsCollateAsNumbers();
    for (std::size_t i = 0; i < n; ++i) {
        refs[i] = {static_cast<std::uint32_t>(std::max<std::int64_t>(pending[i].Size, 0)),
                   static_cast<std::uint32_t>(i)};
        bySize = bySize && pending[i].Size >= 0;
    }
    if (!bySize)  // every entry is one group of its own
        for (TRef& ref : refs) ref.Size = 0;
    SortInSteps(
        refs.begin(), refs.end(),
        [](const TRef& a, const TRef& b) {
            return a.Size != b.Size ? a.Size < b.Size : a.Index > b.Index;
        },
        pump);

    // Groups of one size in collation order; their keys live only while the group is sorted.
    std::vector<std::string> keys;
    std::size_t made = 0;
    for (std::size_t from = 0; from < n;) {
        std::size_t to = from + 1;
        while (to < n && refs[to].Size == refs[from].Size) ++to;
        if (to - from > 1) {
            keys.resize(to - from);
            for (std::size_t i = from; i < to; ++i) {
                keys[i - from] = CollationKey(EntryOf(pending[refs[i].Index]));
                refs[i].Size = static_cast<std::uint32_t>(i - from);  // where its key is
                if (pump && ++made % kSortChunk == 0)
                    pump();
            }
            const auto less = [&keys](const TRef& a, const TRef& b) {
                const int c = keys[static_cast<std::size_t>(a.Size)].compare(
                    keys[static_cast<std::size_t>(b.Size)]);
                return c != 0 ? c < 0 : a.Index > b.Index;
            };
            SortInSteps(refs.begin() + static_cast<std::ptrdiff_t>(from),
                        refs.begin() + static_cast<std::ptrdiff_t>(to), less, pump);
            std::vector<std::string>().swap(keys);
        }
        from = to;
    }

    // A million scattered moves take some 100 ms: pumped in between.
    ApplyOrder(pending, refs, pump);
}

void TCatalogueList::MergePending(std::vector<TItem>& pending) const
{
    MergeInto(FItems, pending, [this](const TItem& a, const TItem& b) { return Compare(a, b); });
}
