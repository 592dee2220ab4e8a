#include "text/StringList.h"

#include <algorithm>
#include <cstring>

#include "text/CommaText.h"
#include "text/LocaleCompare.h"
#include "text/SortSteps.h"
#include "text/TextFile.h"

namespace {

const std::string EmptyString;

std::uint32_t KeyLength(const unsigned char* key)
{
    std::uint32_t n;
    std::memcpy(&n, key, sizeof n);
    return n;
}

// The first 8 key bytes as a number, zero-padded: ordering these agrees with ordering the
// keys, as a shorter key sorts first just as its zero padding does.
std::uint64_t KeyPrefix(const std::unique_ptr<unsigned char[]>& key)
{
    const std::uint32_t n = KeyLength(key.get());
    std::uint64_t prefix = 0;
    for (std::uint32_t i = 0; i < 8; ++i) prefix = (prefix << 8) | (i < n ? key[4 + i] : 0u);
    return prefix;
}

}  // namespace

TStringList::TStringList() = default;

TStringList::TStringList(bool sorted, TDuplicates duplicates)
    : FSorted(sorted), FDuplicates(duplicates)
{
}

TStringList::TStringList(const TStringList& other)
    : FSorted(other.FSorted), FDuplicates(other.FDuplicates), FUpdateCount(other.FUpdateCount)
{
    other.Normalize();
    FItems.reserve(other.FItems.size());
    for (const TItem& item : other.FItems) {
        TKey key;
        if (item.Key) {
            const std::size_t n = 4 + KeyLength(item.Key.get());
            key.reset(new unsigned char[n]);
            std::memcpy(key.get(), item.Key.get(), n);
        }
        FItems.push_back({item.Str, item.Object, std::move(key)});
    }
}

TStringList& TStringList::operator=(const TStringList& other)
{
    if (this != &other) {
        TStringList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TStringList::~TStringList() = default;

TStringList::TKey TStringList::MakeKey(std::string_view s)
{
    thread_local std::string scratch;
    scratch.clear();
    AppendCollationKey(s, scratch);
    const auto n = static_cast<std::uint32_t>(scratch.size());
    TKey key(new unsigned char[sizeof n + n]);
    std::memcpy(key.get(), &n, sizeof n);
    std::memcpy(key.get() + sizeof n, scratch.data(), n);
    return key;
}

int TStringList::CompareKeys(const TKey& a, const TKey& b)
{
    const std::uint32_t na = KeyLength(a.get());
    const std::uint32_t nb = KeyLength(b.get());
    const int c = std::memcmp(a.get() + 4, b.get() + 4, std::min(na, nb));
    if (c != 0)
        return c;
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

bool TStringList::InRange(int index) const
{
    Normalize();
    return index >= 0 && static_cast<std::size_t>(index) < FItems.size();
}

int TStringList::Count() const
{
    Normalize();
    return static_cast<int>(FItems.size());
}

const std::string& TStringList::Strings(int index) const
{
    return InRange(index) ? FItems[static_cast<std::size_t>(index)].Str : EmptyString;
}

std::int64_t TStringList::Objects(int index) const
{
    return InRange(index) ? FItems[static_cast<std::size_t>(index)].Object : 0;
}

void TStringList::SetObject(int index, std::int64_t object)
{
    if (InRange(index))
        FItems[static_cast<std::size_t>(index)].Object = object;
}

void TStringList::Add(std::string_view s, std::int64_t object)
{
    if (FSorted)
        FPending.push_back({std::string(s), object, MakeKey(s)});
    else
        FItems.push_back({std::string(s), object, nullptr});
}

void TStringList::Insert(int index, std::string_view s, std::int64_t object)
{
    if (FSorted) {
        Add(s, object);
        return;
    }
    const auto at = static_cast<std::ptrdiff_t>(std::clamp(index, 0, Count()));
    FItems.insert(FItems.begin() + at, {std::string(s), object, nullptr});
}

void TStringList::Delete(int index)
{
    if (!InRange(index))
        return;
    FItems.erase(FItems.begin() + index);  // the last one, as a comparison takes them, at no cost
}

void TStringList::Clear()
{
    // Swapped out rather than cleared, so a catalogue of millions gives its memory back.
    std::vector<TItem>().swap(FItems);
    std::vector<TItem>().swap(FPending);
}

bool TStringList::Find(std::string_view s, int& index) const
{
    Normalize();
    if (!FSorted) {
        for (std::size_t i = 0; i < FItems.size(); ++i) {
            if (AnsiCompareText(FItems[i].Str, s) == 0) {
                index = static_cast<int>(i);
                return true;
            }
        }
        index = static_cast<int>(FItems.size());
        return false;
    }
    const TKey key = MakeKey(s);
    const auto it = std::lower_bound(
        FItems.begin(), FItems.end(), key,
        [](const TItem& item, const TKey& k) { return CompareKeys(item.Key, k) < 0; });
    index = static_cast<int>(it - FItems.begin());
    return it != FItems.end() && CompareKeys(it->Key, key) == 0;
}

int TStringList::IndexOf(std::string_view s) const
{
    int index;
    if (FSorted)
        return Find(s, index) ? index : -1;
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Str == s)
            return static_cast<int>(i);
    return -1;
}

namespace {

// A buffered add while sorting: the first 8 key bytes and its index among the adds. Most
// comparisons never leave these 16 bytes.
struct TRef {
    std::uint64_t Prefix;
    std::uint32_t Index;
};

}  // namespace

// The key order, equal keys by their adding: newest first (accepted) or oldest first (ignored).
// Ties go by the index, so the order is total and any sort or merge of it gives the same result.
struct TStringList::TRefLess {
    const std::vector<TItem>& Pending;
    bool NewestFirst;

    bool operator()(const TRef& a, const TRef& b) const
    {
        if (a.Prefix != b.Prefix)
            return a.Prefix < b.Prefix;
        const int c = CompareKeys(Pending[a.Index].Key, Pending[b.Index].Key);
        if (c != 0)
            return c < 0;
        return NewestFirst ? a.Index > b.Index : a.Index < b.Index;
    }
};

// One-by-one insertion puts a new string before the equal ones already present, so equal
// strings end up newest first (accepted) or only the oldest survives (ignored). The buffered
// adds are ordered the same way here and then merged.
void TStringList::Normalize() const
{
    if (FPending.empty())
        return;
    SortPending(FPending, {});
    if (FDuplicates == TDuplicates::dupIgnore)
        DropIgnoredPending(FPending);
    MergePending(FPending);
}

void TStringList::Prepare(const std::function<void()>& pump)
{
    if (FPending.empty())
        return;
    // Taken out of the list while the pump runs, so the list stays whole whatever it reads.
    std::vector<TItem> pending;
    pending.swap(FPending);
    SortPending(
        pending, pump ? pump : [] {});
    if (FDuplicates == TDuplicates::dupIgnore)
        DropIgnoredPending(pending);
    MergePending(pending);
}

void TStringList::SortPending(std::vector<TItem>& pending, const std::function<void()>& pump) const
{
    // Sorted as small references rather than as the items: 16 extra bytes an item.
    const TRefLess less{pending, FDuplicates == TDuplicates::dupAccept};
    const std::size_t n = pending.size();
    std::vector<TRef> refs(n);
    for (std::size_t i = 0; i < n; ++i)
        refs[i] = {KeyPrefix(pending[i].Key), static_cast<std::uint32_t>(i)};
    SortInSteps(refs.begin(), refs.end(), less, pump);
    ApplyOrder(pending, refs);
}

void TStringList::DropIgnoredPending(std::vector<TItem>& pending) const
{
    // Pending is sorted, oldest first among equals: keep the first of each run, and none that
    // equals an item already merged (which is older still).
    std::size_t kept = 0;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (kept > 0 && CompareKeys(pending[kept - 1].Key, pending[i].Key) == 0)
            continue;
        const auto it = std::lower_bound(
            FItems.begin(), FItems.end(), pending[i].Key,
            [](const TItem& item, const TKey& k) { return CompareKeys(item.Key, k) < 0; });
        if (it != FItems.end() && CompareKeys(it->Key, pending[i].Key) == 0)
            continue;
        if (kept != i)
            pending[kept] = std::move(pending[i]);
        ++kept;
    }
    pending.resize(kept);
}

void TStringList::MergePending(std::vector<TItem>& pending) const
{
    MergeInto(FItems, pending,
              [](const TItem& a, const TItem& b) { return CompareKeys(a.Key, b.Key); });
}

std::string TStringList::CommaText() const
{
    Normalize();
    std::vector<std::string> items;
    items.reserve(FItems.size());
    for (const TItem& item : FItems) items.push_back(item.Str);
    return WriteCommaText(items);
}

void TStringList::SetCommaText(std::string_view text)
{
    Clear();
    for (const std::string& item : ReadCommaText(text)) Add(item);
}

void TStringList::AddLines(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        Add(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r')
            ++end;
        if (end < text.size() && text[end] == '\n')
            ++end;
        start = end;
    }
}

void TStringList::SetText(std::string_view text)
{
    Clear();
    AddLines(text);
}

bool TStringList::LoadFromFile(const std::string& nativePath)
{
    std::vector<std::string> lines;
    if (!ReadFileLines(nativePath, kMaxFileLine,
                       [&lines](std::string_view line) { lines.emplace_back(line); }))
        return false;
    Clear();
    for (const std::string& line : lines) Add(line);
    return true;
}

std::string TStringList::Text() const
{
    Normalize();
    std::size_t size = 0;
    for (const TItem& item : FItems) size += item.Str.size() + 2;
    std::string text;
    text.reserve(size);
    for (const TItem& item : FItems) {
        text += item.Str;
        text += "\r\n";
    }
    return text;
}

bool TStringList::SaveToFile(const std::string& nativePath) const
{
    return WriteWholeFile(nativePath, Text());
}
