#include "app/SavedLists.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <limits>
#include <string_view>

#include "app/MainForm.h"
#include "platform/Process.h"
#include "platform/Settings.h"
#include "text/Format.h"
#include "text/TextFile.h"
#include "text/TextUtil.h"
#include "views/FileList.h"
#include "views/ResultRowsModel.h"

namespace {

bool IsWritableFolder(const std::string& folder)
{
    struct stat st {};
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           access(folder.c_str(), W_OK | X_OK) == 0;
}

// Folders of installed software: writable for root, but never a place for a user's lists.
bool IsSystemFolder(const std::string& folder)
{
    if (folder.empty() || folder[0] != '/')
        return true;  // no absolute path: no place to trust either
    const std::size_t end = folder.find('/', 1);
    const std::string top = folder.substr(1, end == std::string::npos ? end : end - 1);
    return top == "usr" || top == "bin" || top == "sbin" || top.rfind("lib", 0) == 0 ||
           top == "opt" || top == "etc";
}

}  // namespace

std::string UserDataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QFile::encodeName(base + QStringLiteral("/Quillmoor/Zarvex")).toStdString();
}

std::string ListFolder(const std::string& exeFolder, const std::string& dataFolder)
{
    if (IsWritableFolder(exeFolder) && !IsSystemFolder(exeFolder))
        return exeFolder;
    QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(dataFolder)));
    return dataFolder;
}

TListFilePaths ListFilePathsIn(const std::string& folder)
{
    return {folder + "/Zarvex.lis", folder + "/SkipDupl.lis", folder + "/NewDupl.lis"};
}

TListFilePaths ListFilePaths()
{
    return ListFilePathsIn(ListFolder(ExecutableFolder(), UserDataFolder()));
}

bool WriteLinesSafely(const std::vector<std::string>& lines, const std::string& nativePath)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += kListLineEnd;
    }
    return WriteWholeFile(nativePath, text);
}

bool WriteListFiles(const TResultRows& rows, const TListFilePaths& paths, std::size_t* leftOut)
{
    if (rows.Count() == 0)
        return false;
    const TListLines lines = BuildListLines(rows);
    if (leftOut)
        *leftOut = lines.LeftOut.size();
    return WriteLinesSafely(lines.Results, paths.List) &&
           WriteLinesSafely(lines.NewDuplicates, paths.NewList);
}

std::int64_t SaturatingAdd(std::int64_t total, std::int64_t size)
{
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    return size > 0 && total > kMax - size ? kMax : total + size;
}

namespace {

// A size that no file can have: a negative number, or digits beyond 64 bits. Text that is no
// integer at all is not counted here; its row stays, without a size in the totals.
bool IsImpossibleSize(const std::vector<std::string>& subItems)
{
    if (subItems.empty())
        return false;
    std::string_view text = subItems[0];
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    long long size = 0;
    return (negative && text.find_first_not_of('0') != std::string_view::npos) ||
           !TryStrToInt64(text, size);
}

}  // namespace

TReloadTotals ReloadRows(const TStringList& lines, TResultRows& rows,
                         const std::function<void(int)>& progress)
{
    TReloadTotals totals;
    bool previousHadSubItems = false;
    for (int i = 0; i < lines.Count(); ++i) {
        if (progress)
            progress(i);
        TResultRow row = RowFromLine(lines[i]);
        if (IsImpossibleSize(row.SubItems))
            continue;  // a malformed row: left out, as if the line were not there
        if (row.Caption.empty())
            previousHadSubItems = false;
        if (previousHadSubItems) {
            ++totals.Files;
            long long size = 0;
            if (!row.SubItems.empty() && TryStrToInt64(row.SubItems[0], size))
                totals.Bytes = SaturatingAdd(totals.Bytes, size);
        }
        previousHadSubItems = !row.SubItems.empty();
        rows.Append(std::move(row));
    }
    return totals;
}

bool ListFileExists(const std::string& nativePath)
{
    struct stat st {};
    return lstat(nativePath.c_str(), &st) == 0;
}

std::string ListFileStamp(const std::string& nativePath)
{
    struct stat st {};
    if (stat(nativePath.c_str(), &st) != 0)
        return {};
    return PreviousRunText(UnixToLocalDateTime(st.st_mtime));
}

namespace {

// Both prompts: the title, the lines around the file's stamp, Yes and No with Yes the default.
// A carriage return alone ends a line in the box text.
TMessageBoxRequest ReloadPrompt(const char* title, const char* found, const std::string& stamp,
                                const char* reason)
{
    TMessageBoxRequest request;
    request.Title = QString::fromUtf8(title);
    request.Text = QString::fromUtf8(found) + QStringLiteral("\r") + QString::fromStdString(stamp) +
                   QStringLiteral("\r\r") + QString::fromUtf8(reason) +
                   QStringLiteral("\r\rDo you want to reload that list?");
    request.Icon = TMsgIcon::Question;
    request.Buttons = {mrYes, mrNo};
    request.DefaultButton = mrYes;
    return request;
}

}  // namespace

TMessageBoxRequest SkipListPrompt(const std::string& stamp)
{
    return ReloadPrompt("Zarvex - known duplicates to skip list found",
                        "A list of known duplicate files to skip was found from a", stamp,
                        "Reloading that list will prevent these known duplicates from being "
                        "found again.");
}

TMessageBoxRequest PreviousListPrompt(const std::string& stamp)
{
    return ReloadPrompt("Zarvex - previous list found",
                        "A list of duplicate files was found from a", stamp,
                        "Reloading that list will save time.");
}

// ---- The window's side ---------------------------------------------------------------------

namespace {

bool Asked(TfrmMain& form, const TMessageBoxRequest& request)
{
    return TMessageBox::Show(&form, request) == mrYes;
}

}  // namespace

TMessageBoxRequest UnwritableFilesBox(const std::vector<std::string>& paths)
{
    TMessageBoxRequest box;
    box.Title = QStringLiteral("Zarvex - files not written");
    box.Icon = TMsgIcon::Warning;
    box.Text = QStringLiteral(
        "These files are no regular files, or links to something that is not one, so Zarvex "
        "will not write them at exit:\n");
    for (const std::string& path : paths)
        box.Text += QStringLiteral("\n") + QFile::decodeName(QByteArray::fromStdString(path));
    return box;
}

void LoadSavedLists(TfrmMain& form)
{
    RemoveLeftoverTemporaries(form.ListFilePath);
    RemoveLeftoverTemporaries(form.NewListFilePath);
    std::vector<std::string> unwritable;
    for (const std::string& path :
         {form.ListFilePath, form.NewListFilePath, TSettingsKey::FilePath()}) {
        if (!MayReplaceFile(path))
            unwritable.push_back(path);
    }
    if (!unwritable.empty())
        TMessageBox::Show(&form, UnwritableFilesBox(unwritable));
    const std::string& skip = form.SkipListFilePath;
    if (ListFileExists(skip) && Asked(form, SkipListPrompt(ListFileStamp(skip)))) {
        form.State.KnownDuplicates.LoadFromFile(skip);  // a failure leaves the list as it was
    }
    const std::string& list = form.ListFilePath;
    if (ListFileExists(list) && Asked(form, PreviousListPrompt(ListFileStamp(list)))) {
        ReloadPreviousList(form);
    }
}

void ReloadPreviousList(TfrmMain& form)
{
    TStringList lines;
    form.RepaintStatusBar();
    if (!lines.LoadFromFile(form.ListFilePath) || lines.Count() == 0)
        return;

    TFileListView& view = *form.FileListView1;
    form.SetProgressMax(lines.Count() - 1);
    form.SetProgressVisible(true);
    form.SetHourglass(true);
    view.BeginUpdate();
    for (int column = 0; column < TResultRowsModel::kColumnCount; ++column) {
        view.setColumnWidth(column, 0);
    }
    const TReloadTotals totals =
        ReloadRows(lines, view.Rows(), [&form](int i) { form.SetProgressPosition(i); });
    form.State.DuplicateFiles += totals.Files;
    form.State.DuplicateBytes = SaturatingAdd(form.State.DuplicateBytes, totals.Bytes);
    view.EndUpdate();
    view.AutoSizeColumns();
    form.SetHourglass(false);
    form.SetProgressVisible(false);
    form.SetStatusText(0, "Duplicates read from file .....");
    form.ShowTotals();
}

QString LeftOutMessage(std::size_t leftOut)
{
    return leftOut == 1 ? QStringLiteral(
                              "1 file whose name holds a line break was not saved in "
                              "the list.")
                        : QStringLiteral(
                              "%1 files whose names hold a line break were not saved "
                              "in the list.")
                              .arg(leftOut);
}

void SaveListFiles(TfrmMain& form)
{
    std::size_t leftOut = 0;
    WriteListFiles(form.FileListView1->Rows(),
                   {form.ListFilePath, form.SkipListFilePath, form.NewListFilePath}, &leftOut);
    if (leftOut > 0)
        TMessageBox::ShowMessage(&form, LeftOutMessage(leftOut));
}
