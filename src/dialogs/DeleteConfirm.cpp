#include "dialogs/DeleteConfirm.h"

#include <QApplication>
#include <QCursor>
#include <QString>

#include "platform/FileContent.h"
#include "platform/FileFind.h"
#include "platform/ShellOps.h"

namespace {

bool SameAs(const TFileContent& file, const std::string& otherPath)
{
    TFileContent other;
    if (!other.Open(otherPath))
        return false;
    if (other.Device() == file.Device() && other.Inode() == file.Inode())
        return false;
    if (other.Size() != file.Size())
        return false;
    return SameContents(file, other, file.Size());
}

QString Shown(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TMessageBoxRequest FailureBox(const std::string& path, const TDeleteResult& result)
{
    TMessageBoxRequest box;
    box.Title = QStringLiteral("Zarvex - delete file");
    box.Icon = TMsgIcon::Critical;
    box.Buttons = {mrOk};
    box.DefaultButton = mrOk;
    if (result.Outcome == TDeleteOutcome::doNotAFile) {
        box.Text =
            QStringLiteral("This is not a file, and Zarvex deletes only files:\n\n") + Shown(path);
    } else {
        box.Text = QStringLiteral("Zarvex could not delete this file:\n\n") + Shown(path) +
                   QStringLiteral("\n\n") + Shown(result.Error);
    }
    return box;
}

// The comparison may read large files; show that Zarvex is busy meanwhile.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

bool HasIdenticalCopy(const std::string& path, const std::vector<std::string>& others)
{
    TFileContent file;
    if (!file.Open(path))
        return false;
    for (const std::string& other : others) {
        if (other != path && SameAs(file, other))
            return true;
    }
    return false;
}

TMessageBoxRequest DeleteConfirmation(const std::string& path, bool permanent, bool lastCopy)
{
    TMessageBoxRequest box;
    box.Title = permanent ? QStringLiteral("Zarvex - delete file permanently")
                          : QStringLiteral("Zarvex - send file to the trash");
    box.Icon = lastCopy ? TMsgIcon::Warning : TMsgIcon::Question;
    box.Buttons = {mrYes, mrNo};
    box.DefaultButton = lastCopy ? mrNo : mrYes;
    // The first line stays free of the file name: a name never turns the text into markup.
    if (lastCopy) {
        box.Text = QStringLiteral(
            "This is the last copy of these contents: no other file of its "
            "group holds them any more.\n\n");
    }
    box.Text += permanent ? QStringLiteral(
                                "Are you sure you want to delete this file "
                                "permanently? It cannot be restored.\n\n")
                          : QStringLiteral(
                                "Are you sure you want to send this file to the "
                                "trash?\n\n");
    box.Text += Shown(path);
    return box;
}

bool ConfirmAndDelete(QWidget* parent, const std::string& path, bool permanent,
                      const std::vector<std::string>& others)
{
    if (!FileExists(path))
        return true;
    bool lastCopy = false;
    {
        TBusyCursor busy;
        lastCopy = !HasIdenticalCopy(path, others);
    }
    if (TMessageBox::Show(parent, DeleteConfirmation(path, permanent, lastCopy)) != mrYes) {
        return false;
    }
    const TDeleteResult result = permanent ? DeletePermanently(path) : MoveToTrash(path);
    if (result.Outcome == TDeleteOutcome::doFailed ||
        result.Outcome == TDeleteOutcome::doNotAFile) {
        TMessageBox::Show(parent, FailureBox(path, result));
    }
    // Judged by the outcome, not by a second look-up: a refusal for a link on the way must
    // keep the row even when nothing is found through that link.
    return result.Outcome == TDeleteOutcome::doDeleted ||
           result.Outcome == TDeleteOutcome::doNotFound;
}
