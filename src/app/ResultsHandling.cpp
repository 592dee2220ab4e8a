#include "app/ResultsHandling.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <optional>

#include "app/BulkCleanup.h"
#include "app/MainForm.h"
#include "dialogs/DeleteConfirm.h"
#include "dialogs/FilProps.h"
#include "platform/FileFind.h"
#include "platform/Paths.h"
#include "text/TextUtil.h"
#include "views/FileList.h"
#include "views/MessageBox.h"

namespace {

// The header at or above `row`; kNoRow when the walk reaches the top without one.
std::ptrdiff_t HeaderAbove(const TResultRows& rows, std::ptrdiff_t row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= rows.Count())
        return kNoRow;
    for (std::ptrdiff_t i = row; i >= 0; --i) {
        if (IsGroupHeader(rows.Row(static_cast<std::size_t>(i)).Caption))
            return i;
    }
    return kNoRow;
}

// One past the last row of the group whose header is at `header`: an empty row or the end.
std::size_t GroupEnd(const TResultRows& rows, std::size_t header)
{
    std::size_t i = header + 1;
    while (i < rows.Count() && !rows.Row(i).Caption.empty()) ++i;
    return i;
}

}  // namespace

std::string SelectedFilePath(const TResultRows& rows, std::ptrdiff_t selected)
{
    if (selected < 0 || static_cast<std::size_t>(selected) >= rows.Count())
        return {};
    // Linux names may begin or end with blanks: the trim only tells an empty row; the path is
    // the caption exactly as listed, never another file of the trimmed name.
    const std::string& caption = rows.Row(static_cast<std::size_t>(selected)).Caption;
    if (Trim(caption).empty() || IsGroupHeader(caption))
        return {};
    return caption;
}

std::vector<std::string> GroupCompanions(const TResultRows& rows, std::size_t row)
{
    std::vector<std::string> others;
    if (row >= rows.Count())
        return others;
    auto inGroup = [&rows](std::size_t i) {
        const std::string& caption = rows.Row(i).Caption;
        return !caption.empty() && !IsGroupHeader(caption);
    };
    std::size_t first = row;
    while (first > 0 && inGroup(first - 1)) --first;
    std::size_t end = row + 1;
    while (end < rows.Count() && inGroup(end)) ++end;
    for (std::size_t i = first; i < end; ++i) {
        const std::string path = SelectedFilePath(rows, static_cast<std::ptrdiff_t>(i));
        if (i != row && !path.empty())
            others.push_back(path);
    }
    return others;
}

void TidyGroup(TResultRows& rows, std::ptrdiff_t row)
{
    const std::ptrdiff_t found = HeaderAbove(rows, row);
    if (found == kNoRow)
        return;
    const auto header = static_cast<std::size_t>(found);
    const std::size_t end = GroupEnd(rows, header);
    if (end - header - 1 != 1)
        return;
    if (end < rows.Count())
        rows.Remove(end);
    rows.Remove(header + 1);
    rows.Remove(header);
}

// ---- The window's side ---------------------------------------------------------------------

namespace {

// The file row a handler acts on.
struct TSelectedRow {
    std::ptrdiff_t Index = kNoRow;
    std::string Path;  // empty: no file row is selected
};

// With several rows selected, the one-file keys and entries act on the current row (the one
// with the focus frame) when it is among them, else on the first selected row.
TSelectedRow SelectedRow(const TfrmMain& form)
{
    const TFileListView& view = *form.FileListView1;
    const QModelIndex current = view.currentIndex();
    const std::ptrdiff_t index =
        current.isValid() && view.selectionModel()->isRowSelected(current.row())
            ? current.row()
            : view.SelectedIndex();
    return {index, SelectedFilePath(view.Rows(), index)};
}

// True while the row still names the file: a modal dialog or box may have run meanwhile.
bool StillAt(const TResultRows& rows, const TSelectedRow& row)
{
    return !row.Path.empty() && SelectedFilePath(rows, row.Index) == row.Path;
}

void RemoveRowAndTidy(TfrmMain& form, const TSelectedRow& row, bool remove)
{
    TResultRows& rows = form.FileListView1->Rows();
    if (remove && !StillAt(rows, row))
        return;  // the list changed: leave it as it is now
    const std::ptrdiff_t above = row.Index > 0 ? row.Index - 1 : kNoRow;
    if (remove) {
        rows.Remove(static_cast<std::size_t>(row.Index));
        // As with the deleted row, the selection goes: a second Delete never falls on a
        // neighbour the user did not choose.
        form.FileListView1->clearSelection();
    }
    TidyGroup(rows, above);
    form.FileListView1->SetHint(QString::fromLatin1(kReviewHint));
}

void DeleteRow(TfrmMain& form, const TSelectedRow& row, bool permanent)
{
    const TResultRows& rows = form.FileListView1->Rows();
    if (!StillAt(rows, row))
        return;
    const auto companions = GroupCompanions(rows, static_cast<std::size_t>(row.Index));
    const bool gone = ShellDeleteFile(&form, row.Path, permanent, companions);
    RemoveRowAndTidy(form, row, gone);
}

void ReviewRow(TfrmMain& form, const TSelectedRow& row)
{
    const TResultRows& rows = form.FileListView1->Rows();
    if (!StillAt(rows, row))
        return;
    bool gone = !FileExists(row.Path);
    if (!gone) {
        TfrmFileProperties1* dialog = form.frmFileProperties1;
        if (!dialog)
            return;
        dialog->FileName = row.Path;
        dialog->Companions = GroupCompanions(rows, static_cast<std::size_t>(row.Index));
        gone = dialog->exec() == mrYes;
    }
    RemoveRowAndTidy(form, row, gone);
}

void OpenContainingFolder(TfrmMain&, const TSelectedRow& row)
{
    // The folder, never the file: opening the file could run it.
    TfrmFileProperties1::Launcher().OpenFolder(row.Path.substr(0, row.Path.rfind('\\') + 1));
}

void CopyNativePath(TfrmMain&, const TSelectedRow& row)
{
    const auto native = ToNativePath(row.Path);
    const std::string& path = native ? *native : row.Path;
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
}

// The entries of the context menu, in their order, each offered when its condition holds.
// A one-file entry acts on the row selected when the menu opened, and only while that row
// still names the same file; the others act on the list and its selection as they are then.
enum class TOffer { ofFileRow, ofAnyFile, ofSelectedFiles };
struct TMenuEntry {
    const char* Text;
    TOffer Offer;
    void (*Act)(TfrmMain&, const TSelectedRow&);
    const char* Shortcut = nullptr;  // shown only: BulkSelectionKey handles the keys
};
const TMenuEntry kMenuEntries[] = {
    {"Review\u2026", TOffer::ofFileRow, ReviewRow},
    {"Delete to trash", TOffer::ofFileRow,
     [](TfrmMain& f, const TSelectedRow& r) { DeleteRow(f, r, false); }},
    {"Delete permanently\u2026", TOffer::ofFileRow,
     [](TfrmMain& f, const TSelectedRow& r) { DeleteRow(f, r, true); }},
    {"Open containing folder", TOffer::ofFileRow, OpenContainingFolder},
    {"Copy path", TOffer::ofFileRow, CopyNativePath},
    {"Select all but the first file of each group", TOffer::ofAnyFile,
     [](TfrmMain& f, const TSelectedRow&) { SelectAllButOneOfEachGroup(f, TKeepRule::krFirst); },
     "Ctrl+1"},
    {"Select all but the newest file of each group", TOffer::ofAnyFile,
     [](TfrmMain& f, const TSelectedRow&) { SelectAllButOneOfEachGroup(f, TKeepRule::krNewest); },
     "Ctrl+2"},
    {"Select all but the oldest file of each group", TOffer::ofAnyFile,
     [](TfrmMain& f, const TSelectedRow&) { SelectAllButOneOfEachGroup(f, TKeepRule::krOldest); },
     "Ctrl+3"},
    {"Invert selection within groups", TOffer::ofAnyFile,
     [](TfrmMain& f, const TSelectedRow&) { InvertSelectionWithinGroups(f); }, "Ctrl+I"},
    {"Delete selected files\u2026", TOffer::ofSelectedFiles,
     [](TfrmMain& f, const TSelectedRow&) { DeleteSelectedFiles(f, false); }},
    {"Delete selected files permanently\u2026", TOffer::ofSelectedFiles,
     [](TfrmMain& f, const TSelectedRow&) { DeleteSelectedFiles(f, true); }},
};

bool Offered(TOffer offer, const TfrmMain& form, const TSelectedRow& row)
{
    switch (offer) {
        case TOffer::ofFileRow:
            return !row.Path.empty();
        case TOffer::ofAnyFile:
            return !GroupsOfRows(form.FileListView1->Rows().Rows()).empty();
        case TOffer::ofSelectedFiles:
            // Not while a search fills the list: rows must not go from under it.
            return !form.SearchActive() && !SelectedFileRows(form).empty();
    }
    return false;
}

}  // namespace

bool ShellDeleteFile(QWidget* parent, const std::string& path, bool permanent,
                     const std::vector<std::string>& companions)
{
    return ConfirmAndDelete(parent, path, permanent, companions);
}

void ResultsListClick(TfrmMain& form)
{
    TFileListView& view = *form.FileListView1;
    const std::string path = SelectedRow(form).Path;
    if (!path.empty()) {
        view.SetHint(QString::fromStdString(path));
        form.SetDefaultButton(nullptr);
    } else {
        view.SetHint(QString::fromLatin1(kReviewHint));
        form.SetDefaultButton(form.btnSearch);
    }
}

void ReviewSelectedFile(TfrmMain& form)
{
    ReviewRow(form, SelectedRow(form));
}

void ResultsListKeyDown(TfrmMain& form, const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        ReviewRow(form, SelectedRow(form));
    } else if (event.key() == Qt::Key_Delete) {
        const auto held = event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                               Qt::AltModifier | Qt::MetaModifier);
        DeleteRow(form, SelectedRow(form), held == Qt::ShiftModifier);
    }
}

void ShowResultsMenu(TfrmMain& form, const QPoint& at)
{
    auto* menu = form.FileListView1->findChild<QMenu*>(QStringLiteral("mnuResults"));
    if (!menu) {
        menu = new QMenu(form.FileListView1);
        menu->setObjectName(QStringLiteral("mnuResults"));
    }
    menu->clear();
    const TSelectedRow row = SelectedRow(form);
    std::optional<TOffer> last;
    for (const TMenuEntry& entry : kMenuEntries) {
        if (!Offered(entry.Offer, form, row))
            continue;
        if (last && *last != entry.Offer)
            menu->addSeparator();
        last = entry.Offer;
        QAction* action = menu->addAction(QString::fromUtf8(entry.Text));
        if (entry.Shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.Shortcut)));
        // Queued: the menu has closed before a box or the review dialog opens.
        QObject::connect(
            action, &QAction::triggered, &form, [&form, row, act = entry.Act] { act(form, row); },
            Qt::QueuedConnection);
    }
    if (!menu->isEmpty())
        menu->popup(at);
}
