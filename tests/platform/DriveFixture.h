#pragma once
// A temporary tree that is drive C: for the length of one test.
#include "platform/Drives.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

class TDriveFixture : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromFolders({Tree.Root()})); }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    // The program's path of a path relative to the tree ("a/b.txt" -> "C:\a\b.txt").
    static std::string OnC(std::string_view relative)
    {
        std::string out = "C:\\";
        for (char c : relative) out += (c == '/') ? '\\' : c;
        return out;
    }

    TTempTree Tree;
};
