// The send page's import, favourites and last numbers, and the Excel page with its list window,
// in the main window over fakes.
#include "compose/number_tidy.h"
#include "ui/office/excel_form.h"
#include "ui/office/excel_page.h"
#include "ui/send/send_favourites.h"
#include "ui/send/send_sms_page.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/workers.h"
#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

using ::testing::ElementsAre;

std::string Fixture(const std::string& name) {
    const char* folder = std::getenv("OFFICE_FILES");
    return (std::filesystem::path(folder ? folder : "") / name).string();
}

class OfficePagesTest : public LoggedInTest {
  protected:
    // The last box's text, without its caption.
    std::string LastBox() {
        const std::string box = prompts.Last();
        return box.substr(box.find(": ") == std::string::npos ? 0 : box.find(": ") + 2);
    }
};

TEST_F(OfficePagesTest, ImportFillsTheMemoAndAFailedReadKeepsIt) {
    auto* page = Open<SendSmsPage>("短信发送", "sendSmsPage");
    ASSERT_NE(page, nullptr);
    prompts.file = Fixture("book.xlsx");
    Click(page, "BitBtn11");
    EXPECT_EQ(page->sMobs()->toPlainText(),
              QStringLiteral("075512345678\n13612345678\n13712345678\n13812345678\n13912345678\n"));
    prompts.file = Fixture("truncated-book.xlsx");
    Click(page, "BitBtn11");
    EXPECT_EQ(LastBox(), "文件读取失败: " + Fixture("truncated-book.xlsx"));
    EXPECT_THAT(LogText(), ::testing::HasSubstr("文件读取失败: "));
    EXPECT_EQ(MemoLineCount(page->sMobs()->toPlainText().toStdString()), 5u);
    prompts.file = Fixture("html.xls");  // readable, and its numbers replace the memo's
    Click(page, "BitBtn11");
    EXPECT_EQ(page->sMobs()->toPlainText(), QStringLiteral("13212345678\n"));
    EXPECT_EQ(main->busy().Depth(), 0);
}

TEST_F(OfficePagesTest, ExcelRowsBecomeQueuedMessages) {
    Exec("INSERT INTO mobs (corpID, mob, userName, nickName) VALUES (10001, '13912345678', '张三', '张总')");
    auto* page = Open<ExcelPage>("Excel表格短信", "excelPage");
    ASSERT_NE(page, nullptr);
    Click(page, "BitBtn13");
    EXPECT_EQ(LastBox(), "请输入短信内容!");
    prompts.file = Fixture("book.xlsx");
    Click(page, "Button36");
    EXPECT_EQ(page->excelGroup()->title(), QStringLiteral("导入EXCEL文件(3)"));
    EXPECT_EQ(page->lvwExcel()->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("第2列"));
    EXPECT_EQ(page->cbxPhone()->count(), 3);
    EXPECT_EQ(page->cbxPhone()->currentText(), QStringLiteral("第0列"));

    prompts.file = Fixture("no-sheet.xlsx");  // a failed load (a workbook without a sheet) keeps the grid
    Click(page, "Button36");
    EXPECT_EQ(page->lvwExcel()->model()->rowCount(), 3);
    EXPECT_EQ(page->excelGroup()->title(), QStringLiteral("导入EXCEL文件(3)"));
    EXPECT_EQ(LastBox(), "文件读取失败: " + Fixture("no-sheet.xlsx"));

    page->cbxParam()->setCurrentIndex(1);
    page->memMsg()->setPlainText(QStringLiteral("[称呼]:"));
    page->memMsg()->moveCursor(QTextCursor::End);
    Click(page, "Button20");
    EXPECT_EQ(page->memMsg()->toPlainText(), QStringLiteral("[称呼]:[第1列]"));
    EXPECT_EQ(page->excelMsgGroup()->title(), QStringLiteral("估计短信内容(含中文10字)"));
    Click(page, "BitBtn13");
    ExcelForm* form = page->excelForm();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->smsListGroup()->title(), QStringLiteral("Excel 文件生成的短信(2)"));
    ASSERT_EQ(form->smsList()->count(), 2);
    EXPECT_EQ(form->smsList()->item(1)->text(), QStringLiteral("13812345678 , [称呼]:"));

    form->edLinkID()->setEditText(QStringLiteral("7a"));
    Click(form, "btnSendSms");
    EXPECT_EQ(LastBox(), "发送标识必须全部为数字!");
    form->edLinkID()->setEditText(QStringLiteral("7"));
    Click(form, "btnSendSms");
    std::vector<std::string> rows;
    for (ResultSet rs = main->db().pAdoQuery("SELECT mob, msg, mtLevel, linkID FROM mt ORDER BY id");
         !rs.Eof(); rs.Next())
        rows.push_back(rs.AsString("mob") + " " + rs.AsString("msg") + " " + rs.AsString("mtLevel") +
                       rs.AsString("linkID"));
    EXPECT_THAT(rows, ElementsAre("13912345678 张总:张三 17", "13812345678 : 17"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(main->PageArea()->currentWidget(), main->FindPage(QStringLiteral("sendBoxPage")));
    EXPECT_EQ(main->busy().Depth(), 0);
}

TEST_F(OfficePagesTest, MessagesAreMadeWhileTheWindowGoesOnHandlingEvents) {
    auto* page = Open<ExcelPage>("Excel表格短信", "excelPage");
    ASSERT_NE(page, nullptr);
    prompts.file = Fixture("20000-rows.xlsx");
    Click(page, "Button36");
    page->memMsg()->setPlainText(QStringLiteral("[第1列]您好"));
    WhileBusy generating(*main, "处理EXCEL表格短信,请稍候...");
    Click(page, "BitBtn13");
    EXPECT_TRUE(generating.Seen());
    ExcelForm* form = page->excelForm();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->smsListGroup()->title(), QStringLiteral("Excel 文件生成的短信(20000)"));
    EXPECT_EQ(form->smsList()->item(19999)->text(), QStringLiteral("13900019999 , 客户19999您好"));
    EXPECT_EQ(main->busy().Depth(), 0);
}

TEST_F(OfficePagesTest, TheGridAndTheMessagesShowCellsAsTheirNumberFormatsDo) {
    auto* page = Open<ExcelPage>("Excel表格短信", "excelPage");
    ASSERT_NE(page, nullptr);
    prompts.file = Fixture("formats.xlsx");  // 123 as 00000 with a phone number beside it, a time as h:mm
    Click(page, "Button36");
    QAbstractItemModel* model = page->lvwExcel()->model();
    EXPECT_EQ(model->data(model->index(5, 0)).toString(), QStringLiteral("12:30"));
    page->cbxPhone()->setCurrentIndex(1);
    page->memMsg()->setPlainText(QStringLiteral("邮编[第0列]"));
    Click(page, "BitBtn13");
    ExcelForm* form = page->excelForm();
    ASSERT_TRUE(form->isVisible());
    ASSERT_EQ(form->smsList()->count(), 1);
    EXPECT_EQ(form->smsList()->item(0)->text(), QStringLiteral("13912345678 , 邮编00123"));
}

TEST_F(OfficePagesTest, TheGridShowsNoMoreOfACellThanAScreenHolds) {
    auto* page = Open<ExcelPage>("Excel表格短信", "excelPage");
    ASSERT_NE(page, nullptr);
    prompts.file = Fixture("cell-sized.xlsx");  // cells of 32,767 characters
    Click(page, "Button36");
    QAbstractItemModel* model = page->lvwExcel()->model();
    ASSERT_EQ(model->rowCount(), 3);
    for (const auto& [row, column] : {std::pair{0, 0}, {2, 99}}) {
        const QString shown = model->data(model->index(row, column)).toString();
        EXPECT_GE(shown.size(), 1000);
        EXPECT_LE(shown.size(), 4096);
        EXPECT_EQ(shown, QString(shown.size(), QChar(u'字')));
    }
}

TEST_F(OfficePagesTest, FavouritesAndLastNumbersOnTheSendPage) {
    Exec("INSERT INTO lastSendMobs (corpID, mob) VALUES (10001, '13812345678'), (10001, '13912345678')");
    auto* page = Open<SendSmsPage>("短信发送", "sendSmsPage");
    SendFavourites* favourites = page->favourites();
    ASSERT_EQ(favourites->lastMobs()->count(), 2);
    EXPECT_EQ(favourites->lastMobs()->item(0)->text(), QStringLiteral("13912345678"));

    page->sMsg()->setPlainText(QStringLiteral("明天  开会"));
    Click(page, "BitBtn3");
    Click(page, "BitBtn3");
    EXPECT_EQ(LastBox(), "已经存在常用短信中了!");
    ASSERT_EQ(favourites->okMsgList()->count(), 1);
    Exec("ALTER TABLE okMsg RENAME TO gone");
    page->sMsg()->setPlainText(QStringLiteral("not stored"));
    Click(page, "BitBtn3");
    EXPECT_EQ(favourites->okMsgList()->count(), 1);  // a failed insert lists nothing
    Exec("ALTER TABLE gone RENAME TO okMsg");
    page->sMsg()->setPlainText(QStringLiteral("通知:"));
    page->sMsg()->moveCursor(QTextCursor::End);
    favourites->okMsgList()->setCurrentRow(0);
    favourites->okMsgListDblClick();
    EXPECT_EQ(page->sMsg()->toPlainText(), QStringLiteral("通知:明天 开会"));

    favourites->lastMobsCheck()->click();
    Click(page, "addLastMob");
    EXPECT_EQ(page->sMobs()->toPlainText(), QStringLiteral("13812345678\n13912345678\n"));
    main->SelectTreeNodeByText(QStringLiteral("发信箱"));
    Open<SendSmsPage>("短信发送", "sendSmsPage");  // the numbers come unticked, and "全部选中" with them
    EXPECT_EQ(favourites->lastMobs()->item(0)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(favourites->lastMobsCheck()->isChecked());
    prompts.answer = false;
    Click(page, "BitBtn12");
    EXPECT_EQ(page->sendSmsGroup()->title(), QStringLiteral("手机号码(2)"));

    page->DatabaseReopened();  // a change of account
    EXPECT_EQ(favourites->okMsgList()->count(), 0);
    EXPECT_EQ(favourites->lastMobs()->count(), 0);
}

}  // namespace
}  // namespace xunda::test
