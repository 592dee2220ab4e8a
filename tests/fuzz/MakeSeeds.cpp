// Writes the synthetic seed files of the version reader's fuzzer into a folder.
// Files named "ok-*" hold a sound block that the reader must find.
// Usage: fuzz-seeds FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/VersionBlock.h"
#include "platform/VersionBuild.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes Block(std::optional<TBytes> translation, std::vector<TVersionStringTable> tables, std::uint32_t flags = 0)
{
    TVersionBlockContent content;
    content.Fixed = MakeFixedFileInfo(1, 2, 3, 4, flags);
    content.Tables = std::move(tables);
    content.Translation = std::move(translation);
    return BuildVersionBlock(content);
}

TVersionStringTable Table(const std::string& name)
{
    return {name,
            {{"CompanyName", "Quillmoor"},
             {"FileDescription", "Seed \xC2\xA9"},
             {"FileVersion", "1.2.3.4"},
             {"ProductVersion", "1.2"},
             {"Comments", ""}}};
}

bool Write(const std::string& folder, const std::string& name, const TBytes& bytes)
{
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    TBytes us = Block(TranslationBytes({{0x0409, 0x04E4}, {0x0407, 0x04B0}}), {Table("040904E4"), Table("040704B0")}, 0x3F);
    TBytes zero = Block(TranslationBytes({{0, 0}}), {Table("040904E4")});
    TBytes shortTranslation = Block(TBytes{0x09, 0x04}, {Table("04090000")});
    TBytes none = Block(std::nullopt, {Table("040904E4")});
    bool ok = Write(folder, "ok-pe32.dll", BuildPeImage({{0x0409, us}}, false).Bytes) &&
              Write(folder, "ok-pe32plus-languages.dll",
                    BuildPeImage({{0x0000, zero}, {0x0407, none}, {0x0409, us}}, true).Bytes) &&
              Write(folder, "ok-short-translation.dll", BuildPeImage({{0x0409, shortTranslation}}, true).Bytes) &&
              Write(folder, "ok-elf", BuildElfImage(us, kVersionSectionName)) &&
              Write(folder, "block-only.bin", us) &&
              Write(folder, "text.txt", TBytes{'M', 'Z', ' ', 'n', 'o', 't', ' ', 'a', ' ', 'P', 'E', '\n'});
    return ok ? 0 : 1;
}
