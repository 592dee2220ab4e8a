// Feeds arbitrary bytes to the version block reader, both as a file image (PE or ELF) and as
// a block, and runs every query that the program makes on what it finds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/VersionImage.h"
#include "platform/VersionQuery.h"

namespace {

void Query(std::span<const std::uint8_t> block)
{
    IsVersionBlock(block);
    QueryFixedFileInfo(block);
    for (TTranslation t : QueryTranslations(block)) {
        std::string name = TranslationName(t.Language, t.CodePage);
        QueryStringValue(block, name, "CompanyName");
        QueryStringValue(block, name, "FileVersion");
    }
    if (std::optional<std::string> first = FirstTranslationName(block))
        QueryStringValue(block, *first, "ProductVersion");
    TVersionValue value;
    VerQueryValue(block, "\\StringFileInfo\\040904E4\\FileDescription", value);
    VerQueryValue(block, "\\\\VarFileInfo\\\\", value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> bytes(data, size);
    if (std::optional<std::vector<std::uint8_t>> block = LocateVersionBlock(TMemorySource(bytes)))
        Query(*block);
    Query(bytes);
    return 0;
}
