#include "ui/send/send_favourites.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include "compose/favourites.h"
#include "compose/number_tidy.h"
#include "compose/text_rules.h"
#include "store/sql_text.h"
#include "ui/send/send_sms_page.h"
#include "ui/shell/shell.h"
#include "ui/shell/tree_helpers.h"
#include "ui/shell/typed_text.h"

namespace xunda {
namespace {

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

int RowHeight(const QListWidget* list) {
    return list->fontMetrics().height() + 2;
}

}  // namespace

bool SendFavourites::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lastMobs_->viewport() && event->type() == QEvent::Resize)
        lastMobs_->setGridSize(QSize((lastMobs_->viewport()->width() - 1) / 3, RowHeight(lastMobs_)));
    return QWidget::eventFilter(watched, event);
}

SendFavourites::SendFavourites(Shell& shell, SendSmsPage& page)
    : QWidget(&page),
      shell_(shell),
      page_(page),
      okMsgList_(new QListWidget(this)),
      lastMobs_(new QListWidget(this)),
      lastMobsCheck_(new QCheckBox(QStringLiteral("全部选中"), this)) {
    auto* favourites = new QGroupBox(QStringLiteral("常用短信(双击加入)"), this);
    okMsgList_->setObjectName(QStringLiteral("okMsgList"));
    okMsgList_->setParent(favourites);
    okMsgList_->setUniformItemSizes(true);  // one row's height serves every favourite
    connect(okMsgList_, &QListWidget::itemDoubleClicked, this, &SendFavourites::okMsgListDblClick);
    QPushButton* bitBtn3 = Button("增加常用短信", "BitBtn3", favourites);
    QPushButton* bitBtn4 = Button("删除常用短信", "BitBtn4", favourites);
    connect(bitBtn3, &QPushButton::clicked, this, &SendFavourites::BitBtn3Click);
    connect(bitBtn4, &QPushButton::clicked, this, &SendFavourites::BitBtn4Click);
    auto* favouriteButtons = new QHBoxLayout;
    favouriteButtons->addWidget(bitBtn3);
    favouriteButtons->addWidget(bitBtn4);
    favouriteButtons->addStretch(1);
    auto* favouriteLayout = new QVBoxLayout(favourites);
    favouriteLayout->addWidget(okMsgList_);
    favouriteLayout->addLayout(favouriteButtons);

    auto* recent = new QGroupBox(QStringLiteral("最近发送过的手机号码"), this);
    lastMobs_->setObjectName(QStringLiteral("lastMobs"));
    lastMobs_->setParent(recent);
    // Three columns: the numbers flow left to right in cells a third of the list wide, and the
    // list shows the four rows of the twelve numbers (so it never scrolls, and the cells may take
    // the width a scroll bar would).
    lastMobs_->setFlow(QListView::LeftToRight);
    lastMobs_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lastMobs_->setWrapping(true);
    lastMobs_->setResizeMode(QListView::Adjust);
    lastMobs_->viewport()->installEventFilter(this);
    lastMobs_->setMinimumHeight(4 * RowHeight(lastMobs_) + 2 * lastMobs_->frameWidth());
    okMsgList_->setMinimumHeight(lastMobs_->minimumHeight());
    connect(lastMobs_, &QListWidget::itemDoubleClicked, this, &SendFavourites::lastMobsDblClick);
    lastMobsCheck_->setObjectName(QStringLiteral("lastMobsCheck"));
    lastMobsCheck_->setParent(recent);
    connect(lastMobsCheck_, &QCheckBox::clicked, this, &SendFavourites::lastMobsCheckClick);
    QPushButton* addLastMob = Button("加到发送列表", "addLastMob", recent);
    QPushButton* bitBtn12 = Button("清空号码", "BitBtn12", recent);
    connect(addLastMob, &QPushButton::clicked, this, &SendFavourites::addLastMobClick);
    connect(bitBtn12, &QPushButton::clicked, this, &SendFavourites::BitBtn12Click);
    auto* recentButtons = new QHBoxLayout;
    recentButtons->addWidget(lastMobsCheck_);
    recentButtons->addWidget(addLastMob);
    recentButtons->addWidget(bitBtn12);
    recentButtons->addStretch(1);
    auto* recentLayout = new QVBoxLayout(recent);
    recentLayout->addWidget(lastMobs_);
    recentLayout->addLayout(recentButtons);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(favourites, 2);
    layout->addWidget(recent, 3);
}

std::string SendFavourites::Corp() const {
    return SqlInt(shell_.Account().corpID);
}

void SendFavourites::Fill() {
    if (!shell_.Account().LoggedIn()) return;
    if (okMsgList_->count() == 0) okMsgList_->addItems(ListTexts(ListFavourites(shell_.db(), Corp())));
    lastMobs_->clear();
    lastMobsCheck_->setChecked(false);  // it tells whether every number is ticked
    for (const std::string& mob : LastSendMobs(shell_.db(), Corp())) {
        auto* item = new QListWidgetItem(QString::fromStdString(mob), lastMobs_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void SendFavourites::Clear() {
    okMsgList_->clear();
    lastMobs_->clear();
}

void SendFavourites::BitBtn3Click() {
    const std::string text = CleanMemoText(TypedText(page_.sMsg()->toPlainText()));
    switch (AddFavourite(shell_.db(), Corp(), text)) {
        case FavouriteAdd::TooLong:
            shell_.prompts().Notice(std::string(kSmsTooLongText));
            break;
        case FavouriteAdd::Exists:
            shell_.prompts().Notice("已经存在常用短信中了!");
            break;
        case FavouriteAdd::Added:
            okMsgList_->addItem(QString::fromStdString(text));
            break;
        case FavouriteAdd::Empty:
        case FavouriteAdd::Failed:
            break;
    }
}

void SendFavourites::BitBtn4Click() {
    QListWidgetItem* item = okMsgList_->currentItem();
    if (item && item->isSelected()) {
        DeleteFavourite(shell_.db(), Corp(), item->text().toStdString());
        delete item;
    } else if (okMsgList_->count() > 0) {
        shell_.prompts().Notice("请选中常用短信!");
    }
}

void SendFavourites::okMsgListDblClick() {
    QListWidgetItem* item = okMsgList_->currentItem();
    if (!item || !item->isSelected()) return;
    QTextCursor cursor = page_.sMsg()->textCursor();
    cursor.setPosition(cursor.selectionStart());
    cursor.insertText(item->text());
    page_.sMsg()->setFocus();
}

void SendFavourites::lastMobsCheckClick() {
    const Qt::CheckState state = lastMobsCheck_->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < lastMobs_->count(); ++i) lastMobs_->item(i)->setCheckState(state);
}

void SendFavourites::AppendMobLine(const QString& mob) {
    QPlainTextEdit* memo = page_.sMobs();
    const QString text = memo->toPlainText();
    QTextCursor cursor(memo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText((text.isEmpty() || text.endsWith('\n') ? QString() : QStringLiteral("\n")) + mob +
                      '\n');
}

void SendFavourites::addLastMobClick() {
    for (int i = 0; i < lastMobs_->count(); ++i)
        if (lastMobs_->item(i)->checkState() == Qt::Checked) AppendMobLine(lastMobs_->item(i)->text());
    page_.btnMobsActionClick();
}

void SendFavourites::lastMobsDblClick() {
    QListWidgetItem* item = lastMobs_->currentItem();
    if (item && item->isSelected()) AppendMobLine(item->text());
}

void SendFavourites::BitBtn12Click() {
    if (shell_.prompts().Confirm("清空手机号码列表!你要继续吗?")) page_.sMobs()->clear();
    page_.sendSmsGroup()->setTitle(
        QStringLiteral("手机号码(%1)").arg(MemoLineCount(page_.sMobs()->toPlainText().toStdString())));
}

}  // namespace xunda
