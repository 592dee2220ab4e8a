#include "views/ResultRows.h"

void TResultRows::Append(TResultRow row)
{
    FRows.push_back(std::move(row));
    ++FUntold;
    if (FUpdateCount == 0) Flush();
}

void TResultRows::Remove(std::size_t index)
{
    if (index >= FRows.size()) return;
    Flush();
    FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(index));
    if (OnRemoved) OnRemoved(index, 1);
}

void TResultRows::Clear()
{
    FRows.clear();
    FUntold = 0;
    if (OnReset) OnReset();
}

void TResultRows::BeginUpdate()
{
    ++FUpdateCount;
}

void TResultRows::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0) Flush();
}

void TResultRows::Flush()
{
    if (FUntold == 0) return;
    const std::size_t first = FRows.size() - FUntold;
    const std::size_t count = FUntold;
    FUntold = 0;
    if (OnAppended) OnAppended(first, count);
}
