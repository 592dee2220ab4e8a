#include "views/MessageBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

class MessageBoxTest : public testing::Test {
protected:
    void SetUp() override { TMessageBox::ClearHistory(); }
    void TearDown() override
    {
        TMessageBox::SetUnattended(false);
        TMessageBox::ClearHistory();
    }

    static TMessageBoxRequest YesNo(int defaultButton)
    {
        TMessageBoxRequest request;
        request.Title = "Reload";
        request.Text = "Load the list?";
        request.Icon = TMsgIcon::Question;
        request.Buttons = {mrYes, mrNo};
        request.DefaultButton = defaultButton;
        return request;
    }

    // Acts on the real modal box once its loop runs.
    static void WhenShown(std::function<void(QMessageBox*)> act)
    {
        QTimer::singleShot(0, [act] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            act(box);
        });
    }
};

TEST_F(MessageBoxTest, QueuedAnswersComeInOrderThenUnattendedGivesTheDefault)
{
    TMessageBox::AnswerNext(mrNo);
    TMessageBox::AnswerNext(mrYes);
    EXPECT_EQ(TMessageBox::Show(nullptr, YesNo(mrYes)), mrNo);
    EXPECT_EQ(TMessageBox::Show(nullptr, YesNo(mrYes)), mrYes);
    ASSERT_EQ(TMessageBox::History().size(), 2);
    EXPECT_TRUE(TMessageBox::History()[0].Answered);

    TMessageBox::AnswerNext(mrYes);
    TMessageBox::ClearHistory();  // drops the answer nobody used
    TMessageBox::SetUnattended(true);
    EXPECT_EQ(TMessageBox::Show(nullptr, YesNo(mrNo)), mrNo);
    TMessageBox::ShowMessage(nullptr, "Folder: \\A\\");
    ASSERT_EQ(TMessageBox::History().size(), 2);
    EXPECT_FALSE(TMessageBox::History()[0].Answered);
    EXPECT_EQ(TMessageBox::History()[1].Answer, mrOk);
}

TEST_F(MessageBoxTest, RealBoxes)
{
    QString title;
    bool noIsDefault = false;
    WhenShown([&](QMessageBox* box) {
        title = box->windowTitle();
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(TMessageBox::Show(nullptr, YesNo(mrNo)), mrYes);
    EXPECT_EQ(title, "Reload");
    EXPECT_TRUE(noIsDefault);

    WhenShown([](QMessageBox* box) { box->reject(); });
    EXPECT_EQ(TMessageBox::Show(nullptr, YesNo(mrYes)), mrNo) << "closed without a button";
}

}  // namespace
