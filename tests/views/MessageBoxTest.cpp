// The real box behind TMessageBox (every other test answers it in advance).
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "views/MessageBox.h"

namespace {

TEST(MessageBoxTest, RealBoxesShowTitleDefaultAndDetailsAndAnswerByTheirButtons)
{
    const TMessageBoxRequest request{"Reload", "Load the list?", TMsgIcon::Question, {mrYes, mrNo},
                                     mrNo,     "C:\\a\n/tmp/a"};
    QString title, details;
    bool noIsDefault = false;
    for (bool click : {true, false}) {
        QTimer::singleShot(0, [&, click] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            details = box->detailedText();
            noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
            click ? box->button(QMessageBox::Yes)->click() : box->reject();
        });
        // Closed without a button, a Yes/No box answers No.
        EXPECT_EQ(TMessageBox::Show(nullptr, request), click ? mrYes : mrNo);
    }
    EXPECT_EQ(title, "Reload");
    EXPECT_EQ(details, request.Details);
    EXPECT_TRUE(noIsDefault);
    TMessageBox::ClearHistory();
}

}  // namespace
