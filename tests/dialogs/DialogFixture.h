#pragma once
// A temporary tree standing as drive C:, with the trash and the home folder inside it, so the
// dialogs work on real files and nothing leaves the tree.
#include <gtest/gtest.h>

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

    // "dir/a.txt" as the program names it: "C:\dir\a.txt".
    static std::string OnC(const std::string& relative)
    {
        std::string path = "C:\\" + relative;
        for (char& c : path) {
            if (c == '/')
                c = '\\';
        }
        return path;
    }

    // The one box shown so far, for its title, text and default button.
    static const TMessageBoxRecord& OnlyBox()
    {
        static const TMessageBoxRecord none;
        EXPECT_EQ(TMessageBox::History().size(), 1);
        return TMessageBox::History().isEmpty() ? none : TMessageBox::History().front();
    }
};
