#pragma once
// Files with version blocks made to measure, on a drive of their own.
#include <gtest/gtest.h>

#include <QString>

#include "platform/Drives.h"
#include "platform/VersionBuild.h"
#include "support/TempTree.h"

class VersInfoFixture : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromFolders({FTree.Root()})); }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    // Writes a PE file holding the block; returns its name in the program's form.
    QString WritePe(const std::string& name, const TVersionBlockContent& content)
    {
        std::vector<std::uint8_t> image = BuildPeImage({{0x0409, BuildVersionBlock(content)}}, false).Bytes;
        FTree.WriteFile(name, std::string(image.begin(), image.end()));
        return QString::fromStdString("C:\\" + name);
    }

    QString WriteText(const std::string& name, const std::string& text)
    {
        FTree.WriteFile(name, text);
        return QString::fromStdString("C:\\" + name);
    }

    // A block with every predefined string under 040904E4, version 1.2.0.7.
    static TVersionBlockContent FullContent(std::uint32_t fileFlags = 0)
    {
        TVersionBlockContent content;
        content.Fixed = MakeFixedFileInfo(1, 2, 0, 7, fileFlags);
        content.Fixed->ProductVersionMS = 0x00050006;
        content.Fixed->ProductVersionLS = 0x00070008;
        content.Tables = {{"040904E4",
                        {{"CompanyName", "Quillmoor"},
                         {"FileDescription", "Finds twins"},
                         {"FileVersion", "1.2 release"},
                         {"InternalName", "twins"},
                         {"LegalCopyright", "(C) Quillmoor"},
                         {"LegalTrademarks", "Twins(TM)"},
                         {"OriginalFilename", "twins.exe"},
                         {"ProductName", "Twins"},
                         {"ProductVersion", "5.6"},
                         {"Comments", "no comment"}}}};
        content.Translation = TranslationBytes({{0x0409, 0x04E4}});
        return content;
    }

    TTempTree FTree;
};
