#include "ui/subscriptions/subscriber_page.h"

#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "subscriptions/broadcast.h"
#include "subscriptions/subscription_edit.h"
#include "ui/mailbox/query_grid_model.h"
#include "ui/shell/page_registry.h"
#include "ui/shell/shell.h"
#include "ui/shell/tree_helpers.h"
#include "ui/shell/typed_text.h"
#include "ui/subscriptions/result_grid_model.h"
#include "ui/subscriptions/subscription_dialogs.h"
#include "ui/subscriptions/subscription_widgets.h"

namespace xunda {

namespace {

const bool registered = RegisterPage("user", [](Shell& shell) -> Page* { return new SubscriberPage(shell); });

constexpr int kBirColumn = 3;

// The birthday: shown and edited as "YYYY-MM-DD" or nothing (no birthday); any other text is refused.
class BirthdayDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale&) const override {
        return value.toString().left(10);
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* edit = new QLineEdit(parent);
        edit->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
        return edit;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString().left(10));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const QString text = static_cast<QLineEdit*>(editor)->text().trimmed();
        const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (text.isEmpty())
            model->setData(index, QString());
        else if (date.isValid())
            model->setData(index, date.toString(QStringLiteral("yyyy-MM-dd 00:00:00")));
    }
};

}  // namespace

SubscriberPage::SubscriberPage(Shell& shell) : ListPage(shell), list_(host()) {
    auto* searchRow = new QHBoxLayout;
    edUserSearch_ = SearchBox("edUserSearch", this);
    edUserSearch_->setEditText(QStringLiteral("13"));
    edUserSearch_->setToolTip(QStringLiteral("如果不输入内容则只显示全部用户记录"));
    // Keys pressed in the box reach the box; it hands them to its line edit past any filter there.
    edUserSearch_->installEventFilter(this);
    searchRow->addWidget(edUserSearch_);
    AddButton(searchRow, "搜索", "btnUserSearch", [this] { btnUserSearchClick(); });
    AddButton(searchRow, "今天生日", "btnUserBir", [this] { btnUserBirClick(); });
    searchRow->addStretch(1);
    Body()->addLayout(searchRow);

    AddGrid(list_.grid(), "userGroup", "userGrid", "手机资料", [this] { return list_.Caption(); });
    // The list's actions under it: beside the search box they would squeeze it at the smallest window.
    auto* userButtons = new QHBoxLayout;
    AddButton(userButtons, "群发短信", "btnUserGroupSendSms",
              [this] { SendTo([this] { return ListedMobs(host().db(), list_.grid()); }); });
    AddButton(userButtons, "发短信", "btnUserSingleSendSms", [this] { SendToCurrent(list_.grid()); });
    AddButton(userButtons, "删除", "btnUserDel", [this] { btnUserDelClick(); });
    AddButton(userButtons, "导出数据文件", "btnExportUser",
              [this, &shell] { shell.pSaveDbGrid(list_.grid()); });
    userButtons->addStretch(1);
    Body()->addLayout(userButtons);
    QTableView* grid = Grid();
    qobject_cast<QueryGridModel*>(grid->model())
        ->SetEditable(
            {"mob", "username", "nickName", "bir", "usermemo"},
            [this](std::size_t row, const std::string& field, const std::optional<std::string_view>& text) {
                const bool stored = list_.EditField(row, field, text);
                OrdersShown();
                return stored;
            });
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->setItemDelegateForColumn(kBirColumn, new BirthdayDelegate(grid));
    connect(grid, &QTableView::clicked, this,
            [this](const QModelIndex& index) { userGridCellClick(index.row()); });

    mobDgGroup_ = new QGroupBox(QStringLiteral("订阅类别"), this);
    mobDgGroup_->setObjectName(QStringLiteral("mobDgGroup"));
    userMsgTypeGrid_ = new QTableView(mobDgGroup_);
    userMsgTypeGrid_->setObjectName(QStringLiteral("userMsgTypeGrid"));
    ordersModel_ = new ResultGridModel([this]() -> const ResultSet& { return list_.orders(); },
                                       SubscriberList::OrderColumns(), userMsgTypeGrid_);
    userMsgTypeGrid_->setModel(ordersModel_);
    userMsgTypeGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    userMsgTypeGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    userMsgTypeGrid_->verticalHeader()->hide();
    userMsgTypeGrid_->setWordWrap(false);
    userMsgTypeGrid_->horizontalHeader()->setStretchLastSection(true);
    auto* orderButtons = new QHBoxLayout;
    AddButton(orderButtons, "取消全部订阅类别", "btnUserCancelAll", [this] {
        xunda::btnUserCancelAllClick(host(), list_, OrderRow());
        OrdersShown();
    });
    AddButton(orderButtons, "取消单个订阅类别", "btnUserCancelSingle", [this] {
        xunda::btnUserCancelSingleClick(host(), list_, OrderRow());
        OrdersShown();
    });
    AddButton(orderButtons, "修改订阅类别", "btnUserEdit", [this] { btnUserEditClick(); });
    AddButton(orderButtons, "增加订阅类别", "btnUserAddMsgType", [this] { btnUserAddMsgTypeClick(); });
    orderButtons->addStretch(1);
    auto* ordersLayout = new QVBoxLayout(mobDgGroup_);
    ordersLayout->addWidget(userMsgTypeGrid_);
    ordersLayout->addLayout(orderButtons);
    Body()->addWidget(mobDgGroup_, 1);

    formMobOrderChange_ = new MobOrderChangeDialog(
        [this](const SubscriptionChange& change) { return ChangeSubscription(host(), list_, change); }, this);
    formAddMsgType_ = new AddMsgTypeDialog(
        [this](const std::string& mob, const std::vector<std::string>& ticked, const std::string& expiry) {
            return AddSubscriptions(host(), list_, mob, ticked, expiry);
        },
        this);
}

std::optional<std::size_t> SubscriberPage::OrderRow() const {
    const QModelIndex current = userMsgTypeGrid_->currentIndex();
    return current.isValid() ? std::optional<std::size_t>(current.row()) : std::nullopt;
}

void SubscriberPage::btnUserEditClick() {
    const auto change = xunda::btnUserEditClick(list_, OrderRow(), DayOf(QDate::currentDate()));
    if (!change) return;
    formMobOrderChange_->Fill(*change);
    formMobOrderChange_->exec();
    OrdersShown();
}

void SubscriberPage::btnUserAddMsgTypeClick() {
    const std::optional<std::size_t> row = CurrentRow();
    if (!row) return;
    const std::string mob = list_.grid().Field(*row, "mob").value_or("");
    auto missing = MissingCategories(host(), mob);
    if (!missing) return;
    formAddMsgType_->Fill(mob, std::move(*missing));
    formAddMsgType_->exec();
    OrdersShown();
}

bool SubscriberPage::eventFilter(QObject* watched, QEvent* event) {
    // edUserSearchKeyUp: Enter searches.
    if (watched == edUserSearch_ && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) btnUserSearchClick();
    }
    return ListPage::eventFilter(watched, event);
}

void SubscriberPage::OrdersShown() {
    ordersModel_->Reset();
    userMsgTypeGrid_->resizeColumnsToContents();
    if (ordersModel_->rowCount() > 0) userMsgTypeGrid_->setCurrentIndex(ordersModel_->index(0, 0));
    mobDgGroup_->setTitle(QString::fromStdString(list_.OrdersCaption()));
}

void SubscriberPage::OpenList() {
    list_.pUser("");
    OrdersShown();
}

void SubscriberPage::btnUserSearchClick() {
    const QString text = SearchText(edUserSearch_);
    if (list_.pUser(text.toStdString())) AddStrToComBoBox(text, edUserSearch_);
    OrdersShown();
}

void SubscriberPage::btnUserBirClick() {
    list_.btnUserBirClick(CivilDay(QDate::currentDate()));
    OrdersShown();
}

void SubscriberPage::userGridCellClick(int row) {
    if (row < 0) return;
    const std::optional<std::string> mob =
        list_.userGridCellClick(static_cast<std::size_t>(row), TypedText(edUserSearch_->currentText()));
    if (!mob) return;
    edUserSearch_->setEditText(QString::fromStdString(*mob));
    OrdersShown();
}

void SubscriberPage::btnUserDelClick() {
    const std::optional<std::size_t> current = list_.btnUserDelClick(CurrentRow());
    if (current) Grid()->setCurrentIndex(Grid()->model()->index(static_cast<int>(*current), 0));
    OrdersShown();
}

void SubscriberPage::DatabaseReopened() {
    ListPage::DatabaseReopened();
    list_.CloseOrders();
    OrdersShown();
}

}  // namespace xunda
