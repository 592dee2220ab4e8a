#include "dialogs/DeleteConfirm.h"

#include <sys/stat.h>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QString>

#include "engine/CopyCleanup.h"
#include "platform/FileFind.h"
#include "platform/Paths.h"
#include "platform/ShellOps.h"

namespace {

QString Shown(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The program's form, then the native path the user knows the file by.
QString BothForms(const std::string& path)
{
    const auto native = ToNativePath(path);
    return Shown(path) + (native ? QStringLiteral("\n") + Shown(*native) : QString());
}

TMessageBoxRequest FailureBox(const std::string& path, const TDeleteResult& result)
{
    TMessageBoxRequest box;
    box.Title = QStringLiteral("Zarvex - delete file");
    box.Icon = TMsgIcon::Critical;
    if (result.Outcome == TDeleteOutcome::doNotAFile) {
        box.Text = QStringLiteral("This is not a file, and Zarvex deletes only files:\n\n") +
                   BothForms(path);
    } else {
        box.Text = QStringLiteral("Zarvex could not delete this file:\n\n") + BothForms(path) +
                   QStringLiteral("\n\n") + Shown(result.Error);
    }
    return box;
}

bool SameUnchangedFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

TMessageBoxRequest ChangedBox(const std::string& path)
{
    TMessageBoxRequest box;
    box.Title = QStringLiteral("Zarvex - delete file");
    box.Icon = TMsgIcon::Warning;
    box.Text = QStringLiteral(
                   "This file was changed or replaced while you were asked, so Zarvex "
                   "left it alone:\n\n") +
               BothForms(path) + QStringLiteral("\n\nReview it again before you delete it.");
    return box;
}

// While the copy check reads, the window stays alive but takes no input: a click or a key
// could start a second deletion. Escape cancels; the wait cursor shows the reading.
class TCheckPump : public QObject {
public:
    TCheckPump()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        qApp->installEventFilter(this);
    }
    ~TCheckPump() override
    {
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
    }
    bool operator()()
    {
        QCoreApplication::processEvents();
        return !FCancelled;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                    FCancelled = true;
                return true;
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
                return true;
            default:
                return false;
        }
    }

private:
    bool FCancelled = false;
};

}  // namespace

TMessageBoxRequest DeleteConfirmation(const std::string& path, bool permanent, bool lastCopy)
{
    TMessageBoxRequest box;
    box.Title = permanent ? QStringLiteral("Zarvex - delete file permanently")
                          : QStringLiteral("Zarvex - send file to the trash");
    box.Icon = lastCopy ? TMsgIcon::Warning : TMsgIcon::Question;
    box.Buttons = {mrYes, mrNo};
    // Enter in haste may only send a file to the trash.
    box.DefaultButton = lastCopy || permanent ? mrNo : mrYes;
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
    box.Text += BothForms(path);
    return box;
}

bool ConfirmAndDelete(QWidget* parent, const std::string& path, bool permanent,
                      const std::vector<std::string>& others)
{
    if (!FileExists(path))
        return true;
    // What was checked is what goes: the file at the path must still be that one, unchanged,
    // when the user has answered.
    struct stat checked {};
    {
        TListedFile listed;
        if (listed.Open(path) == TListedState::lsFile)
            checked = listed.Stat();
    }
    TCopyCheck check = TCopyCheck::ccNoCopy;
    {
        TCheckPump pump;
        check = FindIdenticalCopy(path, others, [&pump] { return pump(); });
    }
    if (check == TCopyCheck::ccCancelled)
        return false;
    const bool lastCopy = check == TCopyCheck::ccNoCopy;
    if (TMessageBox::Show(parent, DeleteConfirmation(path, permanent, lastCopy)) != mrYes) {
        return false;
    }
    TListedFile listed;
    TDeleteResult result;
    if (listed.Open(path) == TListedState::lsFile) {
        if (!SameUnchangedFile(checked, listed.Stat())) {
            TMessageBox::Show(parent, ChangedBox(path));
            return false;
        }
        result = permanent ? DeleteListedFile(listed) : TrashListedFile(listed);
    } else {
        result = permanent ? DeletePermanently(path) : MoveToTrash(path);
    }
    if (result.Outcome == TDeleteOutcome::doFailed ||
        result.Outcome == TDeleteOutcome::doNotAFile) {
        TMessageBox::Show(parent, FailureBox(path, result));
    }
    // Judged by the outcome, not by a second look-up: a refusal for a link on the way must
    // keep the row even when nothing is found through that link.
    return result.Outcome == TDeleteOutcome::doDeleted ||
           result.Outcome == TDeleteOutcome::doNotFound;
}
