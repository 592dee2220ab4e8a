#include "app/BulkCleanup.h"

#include <QApplication>
#include <QFontMetrics>
#include <QItemSelection>
#include <QKeyEvent>
#include <QProgressDialog>
#include <algorithm>

#include "app/MainForm.h"
#include "app/ResultsHandling.h"
#include "platform/Paths.h"
#include "text/Format.h"
#include "views/FileList.h"
#include "views/MessageBox.h"
#include "views/ResultRowsModel.h"

namespace {

QString Shown(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Number(std::size_t count)
{
    return Shown(FormatInt(static_cast<std::int64_t>(count)));
}

QString Count(std::size_t count, const char* one, const char* many)
{
    return Number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

QString Bytes(std::int64_t bytes)
{
    return Shown(FormatInt(bytes)) +
           (bytes == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
}

// A path in the program's form, then the native path the user knows the file by.
QString BothForms(const std::string& path)
{
    const auto native = ToNativePath(path);
    return Shown(path) + (native ? QStringLiteral("\n    ") + Shown(*native) : QString());
}

TMessageBoxRequest Confirmation(const TCleanupPlan& plan, bool permanent)
{
    TMessageBoxRequest box;
    box.Title = permanent ? QStringLiteral("Zarvex - delete selected files permanently")
                          : QStringLiteral("Zarvex - send selected files to the trash");
    box.Icon = permanent ? TMsgIcon::Warning : TMsgIcon::Question;
    box.Buttons = {mrYes, mrNo};
    // As for one file: Enter in haste may only send files to the trash.
    box.DefaultButton = permanent ? mrNo : mrYes;
    const QString what = Count(plan.Files, "file", "files") + QStringLiteral(" (") +
                         Bytes(plan.Bytes) + QLatin1Char(')');
    box.Text = permanent ? QStringLiteral("Are you sure you want to delete ") + what +
                               QStringLiteral(" permanently? They cannot be restored.")
                         : QStringLiteral("Are you sure you want to send ") + what +
                               QStringLiteral(" to the trash?");
    box.Text += QStringLiteral(
        "\n\nEach file goes only while another file of its group still holds the same "
        "contents; the others stay.");
    if (!plan.KeptFirst.empty()) {
        box.Text += QStringLiteral("\n\n") +
                    Count(plan.KeptFirst.size(), "group has", "groups have") +
                    QStringLiteral(" every file selected: the first file of each stays.");
    }
    box.Details = QStringLiteral("Files to delete:\n");
    for (const std::string& path : plan.Paths) box.Details += BothForms(path) + QLatin1Char('\n');
    if (!plan.KeptFirst.empty()) {
        box.Details += QStringLiteral("\nKept as the first file of a fully selected group:\n");
        for (const std::string& path : plan.KeptFirst)
            box.Details += BothForms(path) + QLatin1Char('\n');
    }
    return box;
}

TMessageBoxRequest Summary(const TCleanupReport& report)
{
    std::int64_t removedBytes = 0;
    for (const TCleanupResult& file : report.Files)
        removedBytes += file.Outcome == TCleanupOutcome::coRemoved ? file.Size : 0;
    const std::size_t failed = report.Count(TCleanupOutcome::coFailed);
    TMessageBoxRequest box;
    box.Title = QStringLiteral("Zarvex - delete selected files");
    box.Icon = failed > 0 ? TMsgIcon::Warning : TMsgIcon::Information;
    box.Text = QStringLiteral("Removed: ") +
               Count(report.Count(TCleanupOutcome::coRemoved), "file", "files") +
               QStringLiteral(" (") + Bytes(removedBytes) + QStringLiteral(").\n") +
               QStringLiteral("Kept because no other copy was left: ") +
               Number(report.Count(TCleanupOutcome::coKeptNoCopy)) + QStringLiteral(".\n");
    const std::pair<TCleanupOutcome, const char*> others[] = {
        {TCleanupOutcome::coKeptChanged, "Kept because they changed since the search: "},
        {TCleanupOutcome::coGone, "Already gone: "},
        {TCleanupOutcome::coNotReached, "Not reached, cancelled: "},
    };
    for (const auto& [outcome, text] : others) {
        if (const std::size_t n = report.Count(outcome))
            box.Text += QString::fromLatin1(text) + Number(n) + QStringLiteral(".\n");
    }
    box.Text += QStringLiteral("Failed: ") + Number(failed) + QLatin1Char('.');
    // The reasons of the first failures in the text itself; every file that stayed in the
    // details.
    constexpr std::size_t kReasonsShown = 5;
    std::size_t shown = 0;
    for (const TCleanupResult& file : report.Files) {
        if (file.Outcome == TCleanupOutcome::coFailed && shown++ < kReasonsShown)
            box.Text +=
                QStringLiteral("\n") + Shown(file.Path) + QStringLiteral(": ") + Shown(file.Reason);
        if (file.Outcome != TCleanupOutcome::coRemoved)
            box.Details += Shown(file.Path) + QStringLiteral(": ") + Shown(OutcomeText(file)) +
                           QLatin1Char('\n');
    }
    return box;
}

// The modal progress of a run; the window's events run in its pump.
class TCleanupProgressDialog : public QProgressDialog {
public:
    TCleanupProgressDialog(TfrmMain& form, bool permanent) : QProgressDialog(&form), FForm(form)
    {
        setObjectName(QStringLiteral("dlgCleanupProgress"));
        setWindowTitle(permanent ? QStringLiteral("Zarvex - deleting files")
                                 : QStringLiteral("Zarvex - sending files to the trash"));
        setWindowModality(Qt::ApplicationModal);
        setAutoReset(false);
        setAutoClose(false);
        setMinimumDuration(0);
        setMinimumWidth(420);
    }
    bool Pump(const TCleanupProgress& progress)
    {
        if (maximum() != static_cast<int>(progress.FilesTotal))
            setRange(0, static_cast<int>(progress.FilesTotal));
        const QString current =
            fontMetrics().elidedText(Shown(progress.Current), Qt::ElideMiddle, 400);
        setLabelText(QStringLiteral("Files: %1 of %2\nBytes: %3 of %4\n%5")
                         .arg(Number(progress.FilesDone), Number(progress.FilesTotal),
                              Shown(FormatInt(progress.BytesDone)),
                              Shown(FormatInt(progress.BytesTotal)), current));
        setValue(static_cast<int>(progress.FilesDone));
        FForm.ProcessMessages();
        return !wasCanceled();
    }

private:
    TfrmMain& FForm;
};

// Removes the rows of the files that are gone, last first so the earlier indexes stay
// valid, and tidies each group as a single deletion does.
void RemoveRowsOfFilesGone(TfrmMain& form, const TCleanupReport& report)
{
    TResultRows& rows = form.FileListView1->Rows();
    std::vector<const TCleanupResult*> gone;
    for (const TCleanupResult& file : report.Files) {
        if (file.Outcome == TCleanupOutcome::coRemoved || file.Outcome == TCleanupOutcome::coGone)
            gone.push_back(&file);
    }
    std::sort(gone.begin(), gone.end(),
              [](const TCleanupResult* a, const TCleanupResult* b) { return a->Tag > b->Tag; });
    for (const TCleanupResult* file : gone) {
        if (file->Tag >= rows.Count() || rows.Row(file->Tag).Caption != file->Path)
            continue;  // the list changed meanwhile: leave it as it is now
        rows.Remove(file->Tag);
        TidyGroup(rows, file->Tag > 0 ? static_cast<std::ptrdiff_t>(file->Tag) - 1 : kNoRow);
    }
}

}  // namespace

TRowSelection SelectedFileRows(const TfrmMain& form)
{
    const TResultRows& rows = form.FileListView1->Rows();
    TRowSelection selected;
    for (const QModelIndex& index : form.FileListView1->selectionModel()->selectedRows()) {
        const auto row = static_cast<std::size_t>(index.row());
        if (!SelectedFilePath(rows, static_cast<std::ptrdiff_t>(row)).empty())
            selected.push_back(row);
    }
    std::sort(selected.begin(), selected.end());
    return selected;
}

void SelectFileRows(TfrmMain& form, const TRowSelection& rows)
{
    // Runs of neighbouring rows as one range each: thousands of rows select at once.
    const QAbstractItemModel* model = form.FileListView1->model();
    QItemSelection selection;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t last = i;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
        selection.select(model->index(static_cast<int>(rows[i]), 0),
                         model->index(static_cast<int>(rows[last]), 0));
        i = last + 1;
    }
    form.FileListView1->selectionModel()->select(
        selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void SelectAllButOneOfEachGroup(TfrmMain& form, TKeepRule keep)
{
    SelectFileRows(form, SelectAllButOne(form.FileListView1->Rows().Rows(), keep));
}

void InvertSelectionWithinGroups(TfrmMain& form)
{
    SelectFileRows(form,
                   InvertWithinGroups(form.FileListView1->Rows().Rows(), SelectedFileRows(form)));
}

void DeleteSelectedFiles(TfrmMain& form, bool permanent)
{
    if (form.SearchActive())
        return;
    const std::vector<TCleanupGroup> groups =
        CleanupGroupsOfRows(form.FileListView1->Rows().Rows(), SelectedFileRows(form));
    const TCleanupPlan plan = PlanCleanup(groups);
    if (plan.Files == 0) {
        TMessageBox::ShowMessage(&form,
                                 QStringLiteral("No file is selected that could be deleted: the "
                                                "first file of a fully selected group stays."));
        return;
    }
    if (TMessageBox::Show(&form, Confirmation(plan, permanent)) != mrYes)
        return;
    TCleanupReport report;
    {
        TCleanupProgressDialog progress(form, permanent);
        report =
            CleanUpCopies(groups, permanent ? TCleanupMode::cmPermanent : TCleanupMode::cmTrash,
                          [&progress](const TCleanupProgress& now) { return progress.Pump(now); });
    }
    RemoveRowsOfFilesGone(form, report);
    form.FileListView1->clearSelection();
    form.FileListView1->SetHint(QString::fromLatin1(kReviewHint));
    TMessageBox::Show(&form, Summary(report));
}

bool BulkSelectionKey(TfrmMain& form, const QKeyEvent& key)
{
    if (key.modifiers() != Qt::ControlModifier)
        return false;
    switch (key.key()) {
        case Qt::Key_1:
            SelectAllButOneOfEachGroup(form, TKeepRule::krFirst);
            return true;
        case Qt::Key_2:
            SelectAllButOneOfEachGroup(form, TKeepRule::krNewest);
            return true;
        case Qt::Key_3:
            SelectAllButOneOfEachGroup(form, TKeepRule::krOldest);
            return true;
        case Qt::Key_I:
            InvertSelectionWithinGroups(form);
            return true;
        default:
            return false;
    }
}
