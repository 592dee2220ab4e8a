#include "views/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct TScript {
    QList<int> Answers;
    QList<TMessageBoxRecord> History;
    bool Unattended = false;
    std::function<void(const TMessageBoxRequest&)> WhileShown;
};

TScript& Script()
{
    static TScript script;
    return script;
}

QMessageBox::StandardButton StandardButtonOf(int result)
{
    switch (result) {
        case mrOk:
            return QMessageBox::Ok;
        case mrCancel:
            return QMessageBox::Cancel;
        case mrYes:
            return QMessageBox::Yes;
        case mrNo:
            return QMessageBox::No;
        default:
            return QMessageBox::NoButton;
    }
}

int ResultOf(int standardButton)
{
    switch (standardButton) {
        case QMessageBox::Ok:
            return mrOk;
        case QMessageBox::Cancel:
            return mrCancel;
        case QMessageBox::Yes:
            return mrYes;
        case QMessageBox::No:
            return mrNo;
        default:
            return mrNone;
    }
}

QMessageBox::Icon IconOf(TMsgIcon icon)
{
    switch (icon) {
        case TMsgIcon::Information:
            return QMessageBox::Information;
        case TMsgIcon::Warning:
            return QMessageBox::Warning;
        case TMsgIcon::Question:
            return QMessageBox::Question;
        case TMsgIcon::Critical:
            return QMessageBox::Critical;
        case TMsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// What closing the box by its close button or Escape means.
int EscapeResult(const QList<int>& buttons)
{
    if (buttons.contains(mrCancel))
        return mrCancel;
    if (buttons.contains(mrNo))
        return mrNo;
    return buttons.size() == 1 ? buttons.first() : mrCancel;
}

int RunBox(QWidget* parent, const TMessageBoxRequest& request)
{
    QMessageBox box(IconOf(request.Icon),
                    request.Title.isEmpty() ? QApplication::applicationName() : request.Title,
                    request.Text, QMessageBox::NoButton, parent);
    // Texts carry file and folder names typed or found anywhere: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    if (!request.Details.isEmpty())
        box.setDetailedText(request.Details);
    for (int result : request.Buttons) {
        const auto standard = StandardButtonOf(result);
        if (standard != QMessageBox::NoButton)
            box.addButton(standard);
    }
    const auto defaultButton = StandardButtonOf(request.DefaultButton);
    if (box.button(defaultButton))
        box.setDefaultButton(defaultButton);
    if (auto* esc = box.button(StandardButtonOf(EscapeResult(request.Buttons))))
        box.setEscapeButton(esc);
    box.exec();
    auto* clicked = box.clickedButton();
    const int result = clicked ? ResultOf(box.standardButton(clicked)) : mrNone;
    return result == mrNone ? EscapeResult(request.Buttons) : result;
}

}  // namespace

int TMessageBox::Show(QWidget* parent, const TMessageBoxRequest& request)
{
    TScript& script = Script();
    TMessageBoxRecord record{request, mrNone, false};
    if (script.WhileShown)
        script.WhileShown(request);
    if (!script.Answers.isEmpty()) {
        record.Answer = script.Answers.takeFirst();
        record.Answered = true;
    } else if (script.Unattended) {
        record.Answer = request.DefaultButton;
    } else {
        record.Answer = RunBox(parent, request);
        record.Answered = true;
    }
    script.History.append(record);
    return record.Answer;
}

void TMessageBox::ShowMessage(QWidget* parent, const QString& text)
{
    TMessageBoxRequest request;
    request.Text = text;
    Show(parent, request);
}

void TMessageBox::SetWhileShown(std::function<void(const TMessageBoxRequest&)> hook)
{
    Script().WhileShown = std::move(hook);
}

void TMessageBox::AnswerNext(int answer)
{
    Script().Answers.append(answer);
}

void TMessageBox::SetUnattended(bool on)
{
    Script().Unattended = on;
}

int TMessageBox::PendingAnswers()
{
    return static_cast<int>(Script().Answers.size());
}

const QList<TMessageBoxRecord>& TMessageBox::History()
{
    return Script().History;
}

void TMessageBox::ClearHistory()
{
    Script().History.clear();
    Script().Answers.clear();
}
