#pragma once
// TfrmFileProperties1: the review dialog, the properties dialog with View and Delete.
//
// The caller sets FileName (and Companions, the other files of the reviewed file's group) and
// runs exec(), which gives mrYes after Delete when the file is gone, mrCancel after Delete when
// it is still there and when the dialog is closed from its title bar, mrOk from OK.
#include <functional>
#include <string>
#include <vector>

#include "dialogs/FileProp.h"

class TfrmFileProperties1 : public TfrmFileProperties {
    Q_OBJECT
public:
    explicit TfrmFileProperties1(QWidget* parent = nullptr);

    // The other files listed in the reviewed file's group. Delete warns that it is removing
    // the last copy unless one of them still holds the same contents.
    std::vector<std::string> Companions;

    QPushButton* btnView = nullptr;
    QPushButton* btnDelete = nullptr;

    // How View (and the results list's "Open containing folder") start things; tests replace
    // them so nothing is launched. Paths are in the program's form. StartViewer and OpenFile
    // answer whether the start succeeded; OpenFile calls failed() later when the launcher,
    // once started, reports a failure (exit status not 0).
    struct TLauncher {
        std::function<bool(const std::string& viewer, const std::string& file)> StartViewer;
        std::function<bool(const std::string& file, std::function<void()> failed)> OpenFile;
        std::function<bool(const std::string& folder)> OpenFolder;
    };
    static TLauncher& Launcher();

    void btnDeleteClick();
    void btnViewClick();

protected:
    void FormShow() override;

private:
    // Counts the showings, so that a launcher failing late disables View only in its own.
    int FShowing = 0;
};
