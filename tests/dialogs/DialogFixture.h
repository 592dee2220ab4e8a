#pragma once
// A temporary tree standing as drive C:, with the trash and the home folder inside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/Drives.h"
#include "support/TempTree.h"
#include "text/Format.h"
#include "views/MessageBox.h"

class DialogFixture : public testing::Test {
protected:
    TTempTree Tree;
    TEnvGuard Drives{"ZARVEX_DRIVES", "C=" + Tree.Root()};
    TEnvGuard Home{"HOME", Tree.Root()};
    TEnvGuard Data{"XDG_DATA_HOME", Tree.Path(".local/share")};

    void SetUp() override
    {
        TDriveTable::ResetCurrent();
        SetFormatLocale("C");
        TMessageBox::ClearHistory();
        TMessageBox::SetUnattended(true);
    }
    void TearDown() override
    {
        TMessageBox::SetUnattended(false);
        TMessageBox::ClearHistory();
        TDriveTable::ResetCurrent();
    }

    static std::string OnC(std::string relative)
    {
        std::replace(relative.begin(), relative.end(), '/', '\\');
        return "C:\\" + relative;
    }
    bool Exists(const std::string& relative) const
    {
        return std::filesystem::exists(Tree.Path(relative));
    }
};
