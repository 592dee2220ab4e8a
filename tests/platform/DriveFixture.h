#pragma once
// A temporary tree that is drive C: for the length of one test, and what searches return.
#include "platform/Drives.h"
#include "platform/FileFind.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <map>
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

    // Every record of a search, by name; none may come twice.
    static std::map<std::string, TSearchRec> SearchAll(std::string_view pathWithMask, std::uint32_t filter)
    {
        std::map<std::string, TSearchRec> found;
        TDirSearch search;
        TSearchRec rec;
        for (bool more = search.First(pathWithMask, filter, rec); more; more = search.Next(rec))
            EXPECT_TRUE(found.emplace(rec.Name, rec).second) << "returned twice: " << rec.Name;
        return found;
    }

    // The names of a search, sorted, joined by ",".
    static std::string Names(std::string_view pathWithMask, std::uint32_t filter)
    {
        std::string out;
        for (const auto& [name, rec] : SearchAll(pathWithMask, filter)) out += (out.empty() ? "" : ",") + name;
        return out;
    }

    TTempTree Tree;
};
