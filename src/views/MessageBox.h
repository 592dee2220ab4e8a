#pragma once
// Every modal message box of the program goes through TMessageBox, so that tests can answer a
// box before it is shown and no test ever blocks on a modal loop.
//
// Answers are the modal results of the dialogs: mrOk 1, mrCancel 2, mrYes 6, mrNo 7.
#include <QList>
#include <QString>
#include <functional>

class QWidget;

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

enum class TMsgIcon { None, Information, Warning, Question, Critical };

struct TMessageBoxRequest {
    QString Title;  // empty: the application name
    QString Text;
    TMsgIcon Icon = TMsgIcon::None;
    QList<int> Buttons{mrOk};  // in the order shown
    int DefaultButton = mrOk;  // Enter presses it; Escape gives mrCancel or mrNo when offered
    QString Details{};         // the box's details area; empty: none
};

// One box as it was asked for, and what it gave.
struct TMessageBoxRecord {
    TMessageBoxRequest Request;
    int Answer = mrNone;
    bool Answered = false;  // false: unattended, it gave its default button
};

class TMessageBox {
public:
    // Shows the box modally over parent (may be null) and returns the button pressed. Closing
    // the box without a button gives mrCancel, or mrNo when there is no Cancel button.
    static int Show(QWidget* parent, const TMessageBoxRequest& request);
    // A simple box with an OK button and the application name as its title.
    static void ShowMessage(QWidget* parent, const QString& text);

    // For tests: the next box shown returns answer at once, without showing (answers queue
    // up, oldest first).
    static void AnswerNext(int answer);
    // For tests: a box shown with no answer queued returns its default button at once instead
    // of waiting for a user who is not there.
    static void SetUnattended(bool on);
    static int PendingAnswers();
    // For tests: called with each box before it is answered, as if the user took a while.
    static void SetWhileShown(std::function<void(const TMessageBoxRequest&)> hook);
    // Every box asked for since the last ClearHistory, oldest first.
    static const QList<TMessageBoxRecord>& History();
    // Forgets the history and any answers still queued.
    static void ClearHistory();
};
