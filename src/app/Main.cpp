#include <QApplication>

#include "app/Application.h"
#include "app/MainForm.h"
#include "dialogs/FilProps.h"
#include "platform/FileContent.h"

int main(int argc, char* argv[])
{
    RaiseOpenFileLimit();
    QApplication app(argc, argv);
    PrepareApplication();
    TfrmMain frmMain;
    TfrmFileProperties1 frmFileProperties1;
    frmMain.frmFileProperties1 = &frmFileProperties1;
    CloseOnTerminationSignals(frmMain);
    frmMain.show();
    // Closing the window, also from inside a running search, only ends this loop; the window
    // and the dialog are destroyed after it, when nothing runs on them any more.
    return app.exec();
}
