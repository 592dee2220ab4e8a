#include "dialogs/FilProps.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "dialogs/DeleteConfirm.h"
#include "platform/FileFind.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ShellOps.h"
#include "views/MessageBox.h"

namespace {

QString NativeName(const std::string& programPath)
{
    const auto native = ToNativePath(programPath);
    if (!native)
        return {};
    return QFile::decodeName(QByteArray(native->data(), static_cast<qsizetype>(native->size())));
}

// xdg-open may wait for the program it starts, so its exit status is looked at until it comes.
// The native name goes to it byte for byte: through text, a name that is no valid UTF-8 would
// reach it changed and name another file, or none.
bool OpenWithAssociatedProgram(const std::string& file, std::function<void()> failed)
{
    const auto native = ToNativePath(file);
    if (!native)
        return false;
    const pid_t launcher = StartProgram({"xdg-open", *native});
    if (launcher <= 0)
        return false;
    auto* watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, watch, [watch, launcher, failed] {
        const std::optional<int> status = ProgramExitStatus(launcher);
        if (!status)
            return;
        if (*status != 0)
            failed();
        watch->deleteLater();
    });
    watch->start(50);
    return true;
}

bool OpenFolderInFileManager(const std::string& folder)
{
    const QString name = NativeName(folder);
    return !name.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(name));
}

QString Shown(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
        OpenFolderInFileManager,
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
    ++FShowing;
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
    } else if (IsProgramFile(FileName)) {
        // Handing a program to its "associated program" would run it: View only shows.
        const auto native = ToNativePath(FileName);
        TMessageBox::Show(this, {QStringLiteral("Zarvex - View"),
                                 QStringLiteral("Zarvex does not open programs: this file would "
                                                "run instead of being shown.\n\n") +
                                     Shown(FileName) +
                                     (native ? QStringLiteral("\n") + Shown(*native) : QString()),
                                 TMsgIcon::Information});
    } else {
        QPointer<TfrmFileProperties1> self(this);
        const int showing = FShowing;
        started = Launcher().OpenFile(FileName, [self, showing] {
            if (self && self->FShowing == showing && self->isVisible())
                self->btnView->setEnabled(false);
        });
    }
    btnView->setEnabled(started);
}
