// The list pages at the smallest window and at a full-HD screen: grids show their texts uncut,
// the message takes the spare width, lists show their rows, no caption is clipped.
#include "ui/mailbox/history_page.h"
#include "ui/send/send_sms_page.h"
#include "ui/shell_fixture.h"
#include "ui/subscriptions/subscriber_page.h"

namespace xunda::test {
namespace {

class LayoutTest : public ShellTest, public ::testing::WithParamInterface<QSize> {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Login());
        for (const char* sql :
             {"INSERT INTO mt_bak (corpID, mob, mtTime, mstatus, msg, mtID, flag) VALUES "
              "(10001, '13800000001', '2026-11-01 10:00:00', '0', "
              "'尊敬的客户您好,您的订单已发货,请注意查收。祝您生活愉快!', 880000001, 1)",
              "INSERT INTO mobs (corpID, mob, userName, bir) VALUES (10001, '13800000001', "
              "'王小明', '1990-05-07 00:00:00')",
              "INSERT INTO mobOrder (corpID, mob, msgType, dgTime, dgTimeOut) VALUES "
              "(10001, '13800000001', '天气', '2026-11-01 10:00:00', '2027-11-01 00:00:00')",
              "INSERT INTO lastSendMobs (corpID, mob) WITH RECURSIVE n(i) AS (SELECT 1 "
              "UNION ALL SELECT i+1 FROM n WHERE i<12) SELECT 10001, 13800000000+i FROM n"})
            ASSERT_TRUE(main->db().pAdoCom(sql)) << sql;
        main->resize(GetParam());
        main->show();
    }
    // The text a grid shows in a cell.
    static QString Shown(QTableView* grid, int row, int column) {
        const QModelIndex index = grid->model()->index(row, column);
        return static_cast<QStyledItemDelegate*>(grid->itemDelegateForIndex(index))
            ->displayText(index.data(), QLocale());
    }
    // Every column (but the message, which may be cut at the small size) at least as wide as its
    // title and texts; together they fill the grid.
    static void ExpectUncutAndFilling(QTableView* grid, int message = -1) {
        int total = 0;
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c)) << c;
            for (int r = 0; r < grid->model()->rowCount() && c != message; ++r)
                EXPECT_GT(grid->columnWidth(c), grid->fontMetrics().horizontalAdvance(Shown(grid, r, c)))
                    << c;
            total += grid->columnWidth(c);
        }
        EXPECT_GE(total, grid->viewport()->width());
    }
};

TEST_P(LayoutTest, GridsShowTheirTextsAndTheMessageTakesTheSpareWidth) {
    QTableView* history = Open<HistoryPage>("历史短信查看", "histSendPage")->Grid();
    ExpectUncutAndFilling(history, 3);
    for (int c = 0; c < history->model()->columnCount(); ++c) {
        if (c == 3) continue;
        EXPECT_GT(history->columnWidth(3), history->columnWidth(c)) << c;
    }
    EXPECT_GE(history->columnWidth(3), 30 * history->fontMetrics().averageCharWidth());

    auto* users = Open<SubscriberPage>("订阅用户的资料管理", "user");
    EXPECT_EQ(Shown(users->Grid(), 0, 3), QStringLiteral("1990-05-07"));
    ExpectUncutAndFilling(users->Grid());
    EXPECT_FALSE(users->userMsgTypeGrid()->wordWrap());
    ExpectUncutAndFilling(users->userMsgTypeGrid());
}

TEST_P(LayoutTest, ListsShowTheirRowsAndNoCaptionIsClipped) {
    QTreeWidget* tree = main->Tree();
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        EXPECT_LE(tree->visualItemRect(*it).left() + tree->iconSize().width() +
                      tree->fontMetrics().horizontalAdvance((*it)->text(0)),
                  tree->viewport()->width())
            << (*it)->text(0).toStdString();

    QWidget* bulk = Open<QWidget>("手机订阅关系处理", "mobOrder");
    auto* btnDg = bulk->findChild<QPushButton*>(QStringLiteral("btnDg"));
    EXPECT_GE(btnDg->width(), btnDg->sizeHint().width());

    auto* send = Open<SendSmsPage>("短信发送", "sendSmsPage");
    auto* lastMobs = send->findChild<QListWidget*>(QStringLiteral("lastMobs"));
    ASSERT_EQ(lastMobs->count(), 12);
    QList<QRect> cells;
    for (int i = 0; i < 12; ++i) cells.push_back(lastMobs->visualItemRect(lastMobs->item(i)));
    for (int i = 0; i < 12; ++i) {  // three columns, left to right, then the next row
        EXPECT_EQ(cells[i].left(), cells[i % 3].left()) << i;
        EXPECT_EQ(cells[i].top(), cells[i / 3 * 3].top()) << i;
        EXPECT_LE(cells[i].left() + lastMobs->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                      lastMobs->fontMetrics().horizontalAdvance(lastMobs->item(i)->text()),
                  lastMobs->viewport()->width())
            << i;
    }
    EXPECT_LT(cells[0].left(), cells[1].left());
    EXPECT_LT(cells[0].top(), cells[3].top());
    EXPECT_GE(lastMobs->viewport()->height(), cells[11].bottom());
    auto* okMsgList = send->findChild<QListWidget*>(QStringLiteral("okMsgList"));
    EXPECT_GE(okMsgList->viewport()->height(), 4 * okMsgList->fontMetrics().height());
}

// A search box shows a whole mobile number and its drop-down arrow: it is wide enough and nothing
// beside it lies over it.
void ExpectAWholeNumberAndTheArrow(QComboBox* box) {
    box->lineEdit()->setText(QStringLiteral("13812345678"));
    // The text and the line edit's margins (2 pixels on each side).
    EXPECT_LE(box->lineEdit()->fontMetrics().horizontalAdvance(box->lineEdit()->text()) + 4,
              box->lineEdit()->width())
        << box->objectName().toStdString();
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = true;
    const QRect arrow =
        box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, box);
    EXPECT_TRUE(!arrow.isEmpty() && box->rect().contains(arrow)) << box->objectName().toStdString();
    for (QWidget* other : box->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other == box || !other->isVisible() || other->isWindow()) continue;
        EXPECT_FALSE(other->geometry().intersects(box->geometry()))
            << box->objectName().toStdString() << " under " << other->objectName().toStdString();
    }
}

TEST_P(LayoutTest, SearchBoxesShowAWholeMobileNumberAndTheirArrow) {
    const struct {
        const char* caption;
        const char* page;
        const char* box;
    } boxes[] = {
        {"历史短信查看", "histSendPage", "histSearch"},         {"收信箱", "revBox", "edRevSearch"},
        {"历史订阅内容短信查看", "histMsg", "edSearchHistMsg"}, {"手机订阅内容查询", "mob", "edSearchMob"},
        {"订阅用户的资料管理", "user", "edUserSearch"},
    };
    for (const auto& b : boxes) {
        auto* box = Open<QWidget>(b.caption, b.page)->findChild<QComboBox*>(QString::fromUtf8(b.box));
        ASSERT_NE(box, nullptr) << b.box;
        ExpectAWholeNumberAndTheArrow(box);
    }
}

// A desktop with a big font: at the smallest window the subscriber search box still shows a whole
// mobile number.
class BigFontTest : public ShellTest {
  protected:
    void SetUp() override {
        QApplication::setFont(QFont(QApplication::font().family(), 16));
        ShellTest::SetUp();
    }
    void TearDown() override { QApplication::setFont(usual); }
    const QFont usual = QApplication::font();
};

TEST_F(BigFontTest, TheSubscriberSearchBoxShowsAWholeMobileNumberAtTheSmallestWindow) {
    ASSERT_TRUE(Login());
    main->resize(800, 600);
    main->show();
    auto* users = Open<SubscriberPage>("订阅用户的资料管理", "user");
    ExpectAWholeNumberAndTheArrow(users->edUserSearch());
}

INSTANTIATE_TEST_SUITE_P(Screens, LayoutTest, ::testing::Values(QSize(800, 600), QSize(1920, 1080)));

}  // namespace
}  // namespace xunda::test
