#pragma once
// TStringList: an ordered list of strings, each carrying one integer object.
//
// Unsorted lists keep the order of adding. Sorted lists keep ascending order under the
// locale comparison of LocaleCompare.h and either accept equal strings (a new one goes in
// before the first equal string already present) or ignore them (a new equal string is not
// added).
//
// Adds to a sorted list are buffered and merged on the next read, so N adds followed by reads
// cost O(N log N) in total while giving exactly the order of one-by-one insertion. Reads that
// come between adds each pay for a merge (O(N)); fill first, then read. Deleting the last item
// is O(1), deleting elsewhere moves the items after it.
//
// An index out of range never crashes: reading gives an empty string and object 0, writing and
// deleting do nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TDuplicates { dupAccept, dupIgnore };

class TStringList {
public:
    TStringList();  // unsorted
    explicit TStringList(bool sorted, TDuplicates duplicates = TDuplicates::dupAccept);
    TStringList(const TStringList& other);
    TStringList& operator=(const TStringList& other);
    TStringList(TStringList&&) noexcept = default;
    TStringList& operator=(TStringList&&) noexcept = default;
    ~TStringList();

    bool Sorted() const { return FSorted; }
    TDuplicates Duplicates() const { return FDuplicates; }

    int Count() const;
    // Merges the buffered adds now, in steps, calling pump between steps (every few thousand
    // entries) so that a window stays responsive; the order is the one the next read would give.
    // The pump must leave this list alone: while it runs, the list holds only the items merged
    // before the call.
    void Prepare(const std::function<void()>& pump);
    const std::string& Strings(int index) const;
    const std::string& operator[](int index) const { return Strings(index); }
    std::int64_t Objects(int index) const;
    void SetObject(int index, std::int64_t object);

    // Sorted: goes to its sorted place (or nowhere, for an ignored equal string).
    // Unsorted: appended.
    void Add(std::string_view s, std::int64_t object = 0);
    // Unsorted lists only (an index past either end is clamped to it); on a sorted list it adds
    // as Add does.
    void Insert(int index, std::string_view s, std::int64_t object = 0);
    void Delete(int index);
    void Clear();

    // Binary search of a sorted list: true and the index of the first equal string when found,
    // else false and the index where s would go. On unsorted lists a linear search.
    bool Find(std::string_view s, int& index) const;
    // Index of the first string equal to s (locale comparison on sorted lists, exact bytes on
    // unsorted ones), or -1.
    int IndexOf(std::string_view s) const;

    // Change notifications held back; calls nest. The list itself does not depend on it.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate()
    {
        if (FUpdateCount > 0)
            --FUpdateCount;
    }
    int UpdateCount() const { return FUpdateCount; }

    // The one-line comma text form (CommaText.h). Setting clears the list first; the list's
    // sorting and duplicate rule apply to each item.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);

    // Lines of a file: a CR, an LF or the pair ends a line; a missing final line end still
    // ends the last line. Bytes are kept as they are (NUL and invalid UTF-8 included).
    // A line longer than kMaxFileLine (TextFile.h) is skipped as malformed without being held.
    // Clears the list first; false (list left as it was) when the file cannot be read.
    bool LoadFromFile(const std::string& nativePath);
    // Every string followed by CR LF. The file is replaced as a whole (written beside it, then
    // renamed over it), so a failed write leaves the old file intact. False when the file
    // cannot be written.
    bool SaveToFile(const std::string& nativePath) const;
    // Same as LoadFromFile, from text in memory.
    void SetText(std::string_view text);
    std::string Text() const;  // every string followed by CR LF

private:
    // The collation key of a sorted list's string, computed once: 4 bytes of length, then the
    // key bytes. Kept apart from the string to hold an item at 48 bytes (catalogues hold
    // millions).
    using TKey = std::unique_ptr<unsigned char[]>;
    struct TItem {
        std::string Str;
        std::int64_t Object = 0;
        TKey Key;  // sorted lists only
    };
    static TKey MakeKey(std::string_view s);
    static int CompareKeys(const TKey& a, const TKey& b);
    struct TRefLess;  // the order of buffered adds
    bool InRange(int index) const;
    void Normalize() const;  // merges buffered adds into the sorted items
    // An empty pump sorts in one piece.
    void SortPending(std::vector<TItem>& pending, const std::function<void()>& pump) const;
    void DropIgnoredPending(std::vector<TItem>& pending) const;
    void MergePending(std::vector<TItem>& pending) const;
    void AddLines(std::string_view text);

    bool FSorted = false;
    TDuplicates FDuplicates = TDuplicates::dupAccept;
    int FUpdateCount = 0;
    mutable std::vector<TItem> FItems;
    mutable std::vector<TItem> FPending;  // sorted lists: adds not yet merged, oldest first
};
