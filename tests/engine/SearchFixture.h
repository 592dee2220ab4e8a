#pragma once
// A window that records what the engine did, and whole searches on a temporary tree as drive C:.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/SearchDriver.h"
#include "platform/Drives.h"
#include "platform/FileFind.h"
#include "support/TempTree.h"
#include "text/Format.h"

using Lines = std::vector<std::string>;
inline constexpr const char* kHeader = "Duplicate files .....";

class TFakeWindow : public TSearchWindow {
public:
    std::map<TEditBox, std::string> Edits;
    std::map<TCheckBox, bool> Checks;  // absent boxes read as unchecked
    std::string Drives;
    // Runs inside ProcessMessages with the 1-based number of the call: the place to press Stop.
    std::function<void(int call)> OnProcessMessages;

    Lines Log;  // edits and caption updates, in order
    std::array<std::string, 4> Status;
    std::array<Lines, 4> StatusHistory;
    Lines Messages, Rows;  // ShowMessage texts; row captions
    std::string SearchCaption;
    int PumpCalls = 0, FixWidthCalls = 0, OpenUpdates = 0;
    bool ProgressVisible = false;

    void ProcessMessages() override
    {
        if (OnProcessMessages)
            OnProcessMessages(++PumpCalls);
    }
    void SetStatusText(int panel, const std::string& text) override
    {
        Status.at(panel) = text;
        StatusHistory.at(panel).push_back(text);
    }
    std::string StatusText(int panel) const override { return Status.at(panel); }
    void RepaintStatusBar() override {}
    std::string EditText(TEditBox box) override { return Edits[box]; }
    void SetEditText(TEditBox box, const std::string& text) override
    {
        Log.push_back("edit " + text);
        Edits[box] = text;
    }
    bool Checked(TCheckBox box) override { return Checks[box]; }
    std::string SelectedDrives() override { return Drives; }
    void UpdateCaption() override { Log.push_back("caption"); }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void SetListCaption(const std::string&) override {}
    void SetSearchCaption(const std::string& text) override { SearchCaption = text; }
    void SetListHint(const std::string&) override {}
    void SetHourglass(bool) override {}
    void SetProgressMax(int) override {}
    void SetProgressPosition(int) override {}
    void SetProgressVisible(bool visible) override { ProgressVisible = visible; }
    int RowCount() override { return static_cast<int>(Rows.size()); }
    void ClearRows() override { Rows.clear(); }
    void AddRow(const std::string& caption) override { Rows.push_back(caption); }
    bool AddFile(const std::string& path, std::int64_t& size) override
    {
        TSearchRec rec;
        if (!FindFile(path, rec))
            return false;
        size = rec.Size;
        Rows.push_back(path);
        return true;
    }
    void BeginRowsUpdate() override { ++OpenUpdates; }
    void EndRowsUpdate() override { --OpenUpdates; }
    void RepaintRows() override {}
    void AutoSizeColumns() override {}
    void FixColumnWidths() override { ++FixWidthCalls; }
};

class SearchFixture : public testing::Test {
protected:
    static constexpr std::int64_t kStamp = 1'000'000'000;  // 2001-09-09

    void SetUp() override
    {
        SetFormatLocale("C");
        Defaults();
        UseDrives({});
    }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    // The window's inputs as it starts, drive C: selected.
    void Defaults()
    {
        Window.Edits = {{TEditBox::ebFileMask, "*.*"}, {TEditBox::ebRootDir, "\\"}};
        Window.Checks = {
            {TCheckBox::cbCheckFileTimestamp, true}, {TCheckBox::cbSkipEmptyFiles, true},
            {TCheckBox::cbFloppyIsMaster, true},     {TCheckBox::cbSkipSysbckup, true},
            {TCheckBox::cbSkipDesktopFolders, true}, {TCheckBox::cbCheckFilesize, true}};
        Window.Drives = "C";
    }
    // Drive C: is the tree's folder `root` (where Write puts files); further entries map
    // letters to folders below it ("A=floppy,removable").
    void UseDrives(const Lines& entries, const std::string& root = "")
    {
        Root = root;
        std::string drives = "C=" + (root.empty() ? Tree.Root() : Tree.MakeDir(root));
        for (const std::string& entry : entries) {
            const std::size_t eq = entry.find('='), comma = entry.find(',', eq);
            const std::string folder = entry.substr(eq + 1, comma - std::min(comma, eq + 1));
            drives += ";" + entry.substr(0, eq + 1) + Tree.MakeDir(Under(folder)) +
                      (comma == std::string::npos ? "" : entry.substr(comma));
        }
        TDriveTable::SetCurrent(TDriveTable::FromSpec(drives, nullptr));
    }
    std::string Write(const std::string& relative, std::string_view contents,
                      std::int64_t stamp = kStamp)
    {
        std::string path = Tree.WriteFile(Under(relative), contents);
        Tree.SetTime(Under(relative), stamp);
        return path;
    }
    std::string Under(const std::string& relative) const
    {
        return Root.empty() ? relative : Root + "/" + relative;
    }
    // size pseudo-random bytes from seed; the byte at `change`, when given, flipped.
    static std::string Bytes(std::size_t size, unsigned seed, std::size_t change = -1)
    {
        std::string data(size, '\0');
        unsigned x = seed * 2654435761u + 12345u;
        for (char& c : data) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
        if (change < size)
            data[change] ^= 1;
        return data;
    }
    // The program's form of a path below drive C:'s root ("one/a.dat" gives "C:\one\a.dat").
    static std::string C(std::string_view relative)
    {
        std::string path = "C:\\";
        for (const char c : relative) path.push_back(c == '/' ? '\\' : c);
        return path;
    }
    void Search() { Driver.btnSearchClick(); }
    const Lines& Rows() const { return Window.Rows; }

    TTempTree Tree;
    std::string Root;
    TSearchState State;
    TFakeWindow Window;
    TSearchDriver Driver{State, Window};
};
