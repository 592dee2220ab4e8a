#pragma once
// The results list as plain rows: a caption and its sub-items, exactly what the saved list
// stores. Group layout: an empty row before every group but the first, a header row whose
// caption is "Duplicate files .....", then one file row per file (caption = full path,
// sub-items = size, type, modified, attributes, file version, product version).
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct TResultRow {
    std::string Caption;
    std::vector<std::string> SubItems;
};

inline constexpr const char* kGroupHeaderCaption = "Duplicate files .....";

// A header row: its caption holds the header text (a hand-edited list may pad it).
inline bool IsGroupHeader(const std::string& caption)
{
    return caption.find(kGroupHeaderCaption) != std::string::npos;
}

// The rows with change notifications, so a view can follow them without one reset per row.
class TResultRows {
public:
    // Told after rows [first, first + count) were appended, removed, or after a reset.
    std::function<void(std::size_t first, std::size_t count)> OnAppended;
    std::function<void(std::size_t first, std::size_t count)> OnRemoved;
    std::function<void()> OnReset;

    std::size_t Count() const { return FRows.size(); }
    const TResultRow& Row(std::size_t index) const { return FRows[index]; }
    const std::vector<TResultRow>& Rows() const { return FRows; }

    void Append(TResultRow row);
    void Remove(std::size_t index);
    void Clear();

    // Appends are held back and told as one batch when the outermost bracket closes.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }
    // Tells the appends held back so far without closing the bracket.
    void Flush();

private:
    std::vector<TResultRow> FRows;
    int FUpdateCount = 0;
    std::size_t FUntold = 0;  // rows appended but not yet told
};
