#pragma once
// TCatalogueList: the sorted catalogue. It reads like a sorted TStringList that accepts equal
// strings (same order, same texts: ascending under AnsiCompareText, equal texts newest first),
// but holds a million entries in little room and sorts them without a collation key each.
//
// An entry that begins with a size field ("%9lld " of a size below 10^9, as the catalogue
// writes it) keeps the size as a number and only the text after the field. Two such entries of
// different sizes compare as their sizes (NumberFieldsCollateAsNumbers); only entries that tie
// on size, and entries of any other form, are ordered by collation keys, made for the sort and
// dropped after it. Texts live in shared blocks, so an entry costs 32 bytes and its name.
//
// Adds are buffered and merged on the next read, as in TStringList.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TCatalogueList {
public:
    int Count() const;
    // Merges the buffered adds now, calling pump between steps (see TStringList::Prepare).
    void Prepare(const std::function<void()>& pump);
    // The whole entry text; empty when the index is out of range.
    std::string Strings(int index) const;
    std::string operator[](int index) const { return Strings(index); }
    std::int64_t Objects(int index) const;
    // The size of an entry that begins with a size field, else -1; Tail is then the text after
    // the field (the name), else the whole text. Both empty/-1 out of range.
    std::int64_t SizeField(int index) const;
    std::string_view Tail(int index) const;
    // A 32-bit value kept beside the entry (0 unless given to Add).
    std::uint32_t Extra(int index) const;

    // The object is a folder index: it is kept in 32 bits.
    void Add(std::string_view s, std::int64_t object = 0, std::uint32_t extra = 0);
    void Delete(int index);
    void Clear();

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate()
    {
        if (FUpdateCount > 0)
            --FUpdateCount;
    }
    int UpdateCount() const { return FUpdateCount; }

private:
    struct TItem {
        std::int64_t Size = -1;  // the size field, or -1: the text is the whole entry
        std::uint32_t Block = 0;
        std::uint32_t Offset = 0;
        std::uint32_t Length = 0;
        std::int32_t Object = 0;
        std::uint32_t Extra = 0;
    };
    std::string_view TextOf(const TItem& item) const;
    std::string EntryOf(const TItem& item) const;
    bool InRange(int index) const;
    void Normalize() const;
    void SortPending(std::vector<TItem>& pending, const std::function<void()>& pump) const;
    void MergePending(std::vector<TItem>& pending) const;
    int Compare(const TItem& a, const TItem& b) const;

    int FUpdateCount = 0;
    std::vector<std::unique_ptr<char[]>> FBlocks;
    std::size_t FBlockUsed = 0;  // bytes used in the last block
    std::size_t FBlockSize = 0;  // size of the last block
    mutable std::vector<TItem> FItems;
    mutable std::vector<TItem> FPending;  // adds not yet merged, oldest first
};
