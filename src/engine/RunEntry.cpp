#include "engine/RunEntry.h"

#include "engine/ComparisonReaders.h"
#include "engine/ContentReader.h"

const TFileContent* TRunEntry::Open()
{
    if (const TFileContent* open = Content())
        return open;
    if (FOpenFailed)
        return nullptr;
    if (!FContent)
        FContent = std::make_unique<TFileContent>();
    FOpenFailed = !FContent->Open(Path);
    return FOpenFailed ? nullptr : FContent.get();
}

const std::string* TRunEntry::Head(std::int64_t size)
{
    if (FHeadState == THead::hNone) {
        const TFileContent* file = Open();
        FHeadState =
            file && TContentReader::ReadHead(*file, size, FHead) ? THead::hRead : THead::hFailed;
    }
    return FHeadState == THead::hRead ? &FHead : nullptr;
}

void TRunEntry::Close()
{
    if (FContent)
        FContent->Close();
    FOpenFailed = false;
    FHead.clear();
    FHead.shrink_to_fit();
    FHeadState = THead::hNone;
}

void TRunEntry::Adopt(TAheadResult&& result)
{
    if (result.Signed) {
        Signed = true;
        Signature = result.Signature;
    }
    if (result.Content && !Content()) {
        FContent = std::move(result.Content);
        FOpenFailed = false;
    }
    if (result.HeadRead && FHeadState == THead::hNone) {
        FHead = std::move(result.Head);
        FHeadState = THead::hRead;
    }
}
