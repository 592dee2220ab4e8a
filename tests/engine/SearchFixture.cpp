#include "engine/SearchFixture.h"

#include "platform/Drives.h"
#include "text/Format.h"

void SearchFixture::SetUp()
{
    SetFormatLocale("C");
    TDriveTable::SetCurrent(TDriveTable::FromSpec("C=" + Tree.Root(), nullptr));
    Window.Edits[TEditBox::ebFileMask] = "*.*";
    Window.Edits[TEditBox::ebRootDir] = "\\";
    Window.Edits[TEditBox::ebSkipFolder] = "";
    Window.Checks[TCheckBox::cbCheckFileTimestamp] = true;
    Window.Checks[TCheckBox::cbCheckFilename] = false;
    Window.Checks[TCheckBox::cbSkipEmptyFiles] = true;
    Window.Checks[TCheckBox::cbFloppyIsMaster] = true;
    Window.Checks[TCheckBox::cbSkipSysbckup] = true;
    Window.Checks[TCheckBox::cbSkipDesktopFolders] = true;
    Window.Checks[TCheckBox::cbCheckFilesize] = true;
    Window.Drives = "C";
}

void SearchFixture::TearDown()
{
    TDriveTable::ResetCurrent();
}

void SearchFixture::UseDrives(const std::vector<std::string>& entries)
{
    std::string drives = "C=" + Tree.Root();
    for (const std::string& entry : entries) {
        const std::size_t eq = entry.find('=');
        const std::size_t comma = entry.find(',', eq);
        const std::string folder = entry.substr(eq + 1, comma == std::string::npos ? comma : comma - eq - 1);
        Tree.MakeDir(folder);
        drives += ";" + entry.substr(0, eq + 1) + Tree.Path(folder) +
                (comma == std::string::npos ? "" : entry.substr(comma));
    }
    TDriveTable::SetCurrent(TDriveTable::FromSpec(drives, nullptr));
}

std::string SearchFixture::Bytes(std::int64_t size, unsigned seed)
{
    std::string data(static_cast<std::size_t>(size), '\0');
    unsigned x = seed * 2654435761u + 12345u;
    for (char& c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return data;
}

std::string SearchFixture::Write(std::string_view relative, std::string_view contents,
                                 std::int64_t stamp)
{
    std::string path = Tree.WriteFile(relative, contents);
    Tree.SetTime(relative, stamp);
    return path;
}

std::string SearchFixture::Sized(std::string_view relative, std::int64_t size, unsigned seed,
                                 std::int64_t stamp)
{
    return Write(relative, Bytes(size, seed), stamp);
}

std::string SearchFixture::C(std::string_view relative)
{
    std::string path = "C:\\";
    for (const char c : relative) path.push_back(c == '/' ? '\\' : c);
    return path;
}
