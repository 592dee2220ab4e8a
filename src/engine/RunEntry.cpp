#include "engine/RunEntry.h"

const TFileContent* TRunEntry::Open()
{
    if (const TFileContent* open = Content()) return open;
    if (FOpenFailed) return nullptr;
    if (!FContent) FContent = std::make_unique<TFileContent>();
    FOpenFailed = !FContent->Open(Path);
    return FOpenFailed ? nullptr : FContent.get();
}

void TRunEntry::Close()
{
    FContent.reset();
    FOpenFailed = false;
}
