#include "dialogs/FilProps.h"

#include <QDesktopServices>
#include <QFile>
#include <QPushButton>
#include <QUrl>

#include "dialogs/DeleteConfirm.h"
#include "platform/FileFind.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ShellOps.h"
#include "views/MessageBox.h"

namespace {

bool OpenWithAssociatedProgram(const std::string& file)
{
    const auto native = ToNativePath(file);
    if (!native)
        return false;
    const QString name =
        QFile::decodeName(QByteArray(native->data(), static_cast<qsizetype>(native->size())));
    return QDesktopServices::openUrl(QUrl::fromLocalFile(name));
}

// A View that would reach something else than the listed file: told, and not started.
bool RefusedToView(QWidget* parent, const std::string& file)
{
    TListedFile listed;
    const TListedState state = listed.Open(file);
    const std::string why = ListedRefusal(state, listed.Error());
    if (!why.empty()) {
        TMessageBoxRequest box;
        box.Title = QStringLiteral("Zarvex - view file");
        box.Icon = TMsgIcon::Warning;
        box.Buttons = {mrOk};
        box.DefaultButton = mrOk;
        box.Text = QStringLiteral("Zarvex does not open this file:\n\n") +
                   QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size())) +
                   QStringLiteral("\n\n") + QString::fromStdString(why);
        TMessageBox::Show(parent, box);
    }
    return state != TListedState::lsFile;
}

}  // namespace

TfrmFileProperties1::TLauncher& TfrmFileProperties1::Launcher()
{
    static TLauncher launcher{
        [](const std::string& viewer, const std::string& file) {
            return StartDetached(viewer, file);
        },
        OpenWithAssociatedProgram,
    };
    return launcher;
}

TfrmFileProperties1::TfrmFileProperties1(QWidget* parent) : TfrmFileProperties(parent)
{
    setObjectName(QStringLiteral("frmFileProperties1"));
    btnView = AddBottomButton("btnView", "View", 96);
    btnDelete = AddBottomButton("btnDelete", "Delete", 192);
    connect(btnView, &QPushButton::clicked, this, [this] { btnViewClick(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    setTabOrder(btnOK, btnDelete);
    setTabOrder(btnDelete, btnView);
}

void TfrmFileProperties1::FormShow()
{
    TfrmFileProperties::FormShow();
    btnView->setEnabled(true);
}

void TfrmFileProperties1::btnDeleteClick()
{
    setResult(mrCancel);
    const bool gone = ConfirmAndDelete(this, FileName, false, Companions);
    done(gone ? mrYes : mrCancel);
}

void TfrmFileProperties1::btnViewClick()
{
    // A system folder that lies on no drive holds no quick viewer either: the file is then
    // opened with its associated program, as when the viewer is missing.
    const std::string system = SystemDirectory();
    const std::string viewer = system.empty() ? std::string() : system + "\\viewers\\QuikView.exe";
    bool started = false;
    if (RefusedToView(this, FileName)) {
        started = false;
    } else if (!viewer.empty() && FileExists(viewer)) {
        started = Launcher().StartViewer(viewer, FileName);
    } else if (!IsProgramFile(FileName)) {
        // Handing a program to its "associated program" would run it: View only shows.
        started = Launcher().OpenFile(FileName);
    }
    btnView->setEnabled(started);
}
