// The program's multi-line text boxes and the clipboard.
#include "ui/send/send_sms_page.h"
#include "ui/shell/page.h"
#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

class TextBoxTest : public LoggedInTest {
  protected:
    void SetUp() override {
        LoggedInTest::SetUp();
        main->show();
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    }
    // Shows the page holding `box`, gives the box the focus and presses Ctrl+V there; waits for
    // the tidy a number box starts.
    void PasteInto(QPlainTextEdit* box) {
        for (QWidget* up = box; up; up = up->parentWidget())
            if (auto* page = qobject_cast<Page*>(up)) main->PageArea()->setCurrentWidget(page);
        box->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == box; })) << Name(box);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        ASSERT_TRUE(main->workers().WaitAll(std::chrono::seconds(10)));
        QCoreApplication::sendPostedEvents();  // what the tidy posted
    }
    static std::string Name(const QObject* box) { return box->objectName().toStdString(); }
};

// Qt 6.4 ends the program on a paste of data holding nothing, which is what the clipboard of a
// program that has closed gives; an emptied clipboard gives no data at all.
TEST_F(TextBoxTest, CtrlVWithAnEmptyClipboardInsertsNothingInAnyBoxAndRealTextIsPastedAndTidied) {
    QApplication::clipboard()->setMimeData(new QMimeData);
    const QList<QPlainTextEdit*> boxes = main->findChildren<QPlainTextEdit*>();
    ASSERT_GE(boxes.size(), 4);  // the message and the numbers, the bulk numbers, the Excel template
    for (QPlainTextEdit* box : boxes) {
        PasteInto(box);
        EXPECT_TRUE(box->toPlainText().isEmpty()) << Name(box);
    }
    auto* send = qobject_cast<SendSmsPage*>(main->FindPage(QStringLiteral("sendSmsPage")));
    QApplication::clipboard()->setText(QStringLiteral("13912345678, 13812345678"));
    PasteInto(send->sMsg());
    EXPECT_EQ(send->sMsg()->toPlainText(), QStringLiteral("13912345678, 13812345678"));
    PasteInto(send->sMobs());
    EXPECT_EQ(send->sMobs()->toPlainText(), QStringLiteral("13812345678\n13912345678\n"));
}

}  // namespace
}  // namespace xunda::test
