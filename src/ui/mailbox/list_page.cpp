#include "ui/mailbox/list_page.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/mailbox/query_grid_model.h"
#include "ui/send/mobs_memo.h"
#include "ui/send/send_sms_page.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/calendar_day.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/shell.h"
#include "ui/shell/typed_text.h"

namespace xunda {

namespace {
// The rows the grid's columns are fitted to: a first screen, all within the first block read.
constexpr int kFittedRows = 64;
}  // namespace

Database& ShellMailboxHost::db() {
    return shell_.db();
}
Prompts& ShellMailboxHost::prompts() {
    return shell_.prompts();
}
std::string ShellMailboxHost::corpID() {
    return shell_.Account().corpID;
}
bool ShellMailboxHost::RunBusy(const std::string& text, const std::function<void()>& work) {
    return RunBusyAndWait(shell_, text, work);
}
void ShellMailboxHost::SaveGrid(const RowPager& grid) {
    shell_.pSaveDbGrid(grid);
}

void ShellMailboxHost::ReplyTo(const std::vector<std::string>& mobs) {
    SendMobs([&mobs] { return mobs; });
}

void ShellMailboxHost::SendMobs(const std::function<std::vector<std::string>()>& mobs) {
    auto* send = qobject_cast<SendSmsPage*>(shell_.FindPage(QStringLiteral("sendSmsPage")));
    if (!send) return;
    constexpr const char* kBusy = "正在处理中,请稍候...";
    shell_.busy().Show(kBusy);
    std::unique_ptr<QTextDocument> lines;  // a million numbers are laid out on a worker
    RunBusy(kBusy, [&, look = send->MobsLook()] {
        const std::vector<std::string> found = mobs();
        if (!found.empty()) lines = MobsDocument(found, look);
    });
    if (lines) {
        send->ShowMobs(std::move(lines));
        shell_.SelectTreeNodeByText(QStringLiteral("短信发送"));
    }
    shell_.busy().Close();
}

void ListPage::SendToCurrent(RowPager& grid) {
    if (const std::optional<std::size_t> row = CurrentRow())
        host_.ReplyTo({grid.Field(*row, "mob").value_or("")});
}

std::chrono::year_month_day ShellMailboxHost::Today() {
    return CivilDay(QDate::currentDate());
}

QComboBox* SearchBox(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setToolTip(QStringLiteral("如果不输入内容则只显示全部记录"));
    // Wide enough for a whole mobile number in the desktop's font, with room for the cursor.
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = true;
    const QFontMetrics metrics = box->fontMetrics();
    const QSize number(metrics.horizontalAdvance(QStringLiteral("000000000000")), metrics.height());
    box->setMinimumWidth(
        std::max(160, box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, number, box).width()));
    return box;
}

QString SearchText(const QComboBox* box) {
    return QString::fromStdString(TypedText(box->currentText().trimmed()));
}

ListPage::ListPage(Shell& shell) : host_(shell) {}

void ListPage::AddGrid(RowPager& grid, const char* groupName, const char* gridName, const char* title,
                       std::function<std::string()> caption) {
    grid_ = &grid;
    title_ = QString::fromUtf8(title);
    caption_ = std::move(caption);
    group_ = new QGroupBox(title_, this);
    group_->setObjectName(QString::fromUtf8(groupName));
    view_ = new QTableView(group_);
    view_->setObjectName(QString::fromUtf8(gridName));
    model_ = new QueryGridModel(grid, view_);
    view_->setModel(model_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);  // never measures every row
    view_->verticalHeader()->setResizeContentsPrecision(kFittedRows);   // columns fit the first rows
    for (std::size_t c = 0; c < grid.Columns().size(); ++c) {
        const std::string& field = grid.Columns()[c].field;
        if (field == "msg" || field == "msgContent") messageColumn_ = static_cast<int>(c);
        if (field.ends_with("Time"))
            view_->setColumnWidth(static_cast<int>(c), 150);  // before the first rows
    }
    view_->horizontalHeader()->setStretchLastSection(messageColumn_ < 0);
    view_->viewport()->installEventFilter(this);
    (new QVBoxLayout(group_))->addWidget(view_);
    Body()->addWidget(group_, 1);
    connect(model_, &QAbstractItemModel::modelReset, this, &ListPage::ListChanged);
}

QPushButton* ListPage::AddButton(QBoxLayout* row, const char* caption, const char* name,
                                 std::function<void()> click) {
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(QString::fromUtf8(name));
    connect(button, &QPushButton::clicked, this, [click = std::move(click)] { click(); });
    row->addWidget(button);
    return button;
}

void ListPage::ListChanged() {
    // A list emptied because the database closed counts nothing (there may be no account then).
    group_->setTitle(grid_->Sql().empty() ? title_ : QString::fromStdString(caption_()));
    if (grid_->RowCount() == 0) return;
    view_->resizeColumnsToContents();
    FitMessage();
    view_->setCurrentIndex(model_->index(0, 0));
}

void ListPage::FitMessage() {
    if (messageColumn_ < 0) return;
    int others = 0;
    for (int c = 0; c < model_->columnCount(); ++c)
        if (c != messageColumn_) others += view_->columnWidth(c);
    const int least = view_->fontMetrics().averageCharWidth() * 30;
    view_->setColumnWidth(messageColumn_, std::max(least, view_->viewport()->width() - others));
}

bool ListPage::eventFilter(QObject* watched, QEvent* event) {
    if (view_ && watched == view_->viewport() && event->type() == QEvent::Resize) FitMessage();
    return Page::eventFilter(watched, event);
}

std::optional<std::size_t> ListPage::CurrentRow() const {
    const QModelIndex current = view_->currentIndex();
    if (!current.isValid()) return std::nullopt;
    return static_cast<std::size_t>(current.row());
}

void ListPage::Open(const QString&, const QString&) {
    if (host_.corpID().empty())
        grid_->Clear();
    else
        OpenList();
}

void ListPage::DatabaseReopened() {
    grid_->Clear();
}

}  // namespace xunda
