#pragma once
// A whole search on a real temporary tree: the tree is drive C: (more drives on request), the
// window is the recording TFakeWindow with the window's default inputs, and the driver is the
// one the window owns. Files get one fixed stamp unless a test gives another, so the
// date-and-time rule never depends on the clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FakeWindow.h"
#include "engine/SearchDriver.h"
#include "support/TempTree.h"

class SearchFixture : public testing::Test {
protected:
    static constexpr std::int64_t kStamp = 1'000'000'000;  // 2001-09-09

    void SetUp() override;
    void TearDown() override;

    // Drives: "C" is the tree's root; further letters map to subfolders of the tree
    // ("A=floppy,removable"), given as ZARVEX_DRIVES-like entries relative to the tree.
    void UseDrives(const std::vector<std::string>& entries);

    // A file of the given contents, stamped kStamp (or `stamp`).
    std::string Write(std::string_view relative, std::string_view contents,
                      std::int64_t stamp = kStamp);
    // size pseudo-random bytes from seed.
    std::string Sized(std::string_view relative, std::int64_t size, unsigned seed,
                      std::int64_t stamp = kStamp);
    static std::string Bytes(std::int64_t size, unsigned seed);

    // The program's form of a path below drive C:'s root ("one/a.dat" gives "C:\one\a.dat").
    static std::string C(std::string_view relative);

    void Search() { Driver.btnSearchClick(); }
    std::vector<std::string> Rows() const { return Window.RowCaptions(); }

    TTempTree Tree;
    TSearchState State;
    TFakeWindow Window;
    TSearchDriver Driver{State, Window};
};
