#include "ui/shell/msg_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace xunda {

MsgForm::MsgForm(GuiBridge& bridge, QWidget* mainWindow)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      bridge_(bridge),
      mainWindow_(mainWindow),
      msg_(new QLabel(this)),
      label1_(new QLabel(this)),
      timer1_(new QTimer(this)) {
    setObjectName(QStringLiteral("msgForm"));
    setFixedSize(311, 87);
    setAutoFillBackground(true);
    auto* image1 = new QLabel(this);
    image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    msg_->setObjectName(QStringLiteral("msg"));
    // The label takes the width the notice has; its text is shortened to it.
    msg_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label1_->setObjectName(QStringLiteral("Label1"));
    auto* texts = new QVBoxLayout;
    texts->addWidget(msg_);
    texts->addWidget(label1_);
    auto* row = new QHBoxLayout(this);
    row->addWidget(image1);
    row->addLayout(texts, 1);
    layout()->activate();  // the label's width, before the first text
    connect(timer1_, &QTimer::timeout, this, &MsgForm::Timer1Timer);
    timer1_->start(1000);
    Timer1Timer();
}

QString MsgForm::Clock() const {
    return label1_->text();
}

void MsgForm::Show(const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    bridge_.Invoke([this, qtext] { ShowOnGui(qtext); });
}

void MsgForm::Close() {
    bridge_.Invoke([this] { CloseOnGui(); });
}

void MsgForm::SetText(const std::string& text) {
    bridge_.Post([self = QPointer<MsgForm>(this), qtext = QString::fromStdString(text)] {
        if (self) self->SetMsg(qtext);
    });
}

void MsgForm::SetMsg(const QString& text) {
    text_ = text;
    // Cut at the end: a queue run's count stays readable, its number loses its last digits.
    msg_->setText(msg_->fontMetrics().elidedText(text, Qt::ElideRight, msg_->contentsRect().width()));
}

void MsgForm::ShowOnGui(const QString& text) {
    SetMsg(text);
    if (depth_++ == 0 && mainWindow_) {  // a nested show keeps what the first one held
        HoldInput(true);
        move(mainWindow_->geometry().center() - rect().center());
    }
    show();
    raise();
    msg_->repaint();
}

void MsgForm::CloseOnGui() {
    if (depth_ == 0) return;
    if (--depth_ > 0) return;
    hide();
    if (mainWindow_) HoldInput(false);
}

void MsgForm::closeEvent(QCloseEvent* event) {
    // A close from the window system (Alt+F4) while a task runs would leave the main window held
    // with no sign of the work.
    if (depth_ > 0) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void MsgForm::HoldInput(bool hold) {
    if (hold) focusBefore_ = QApplication::focusWidget();
    // The parts of the main window, not the window itself: disabling the window would disable the
    // boxes open over it (a worker's error box), which could then never be answered.
    for (QWidget* part : mainWindow_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!part->isWindow()) part->setEnabled(!hold);
    }
    if (!hold && focusBefore_ && focusBefore_->isEnabled()) {
        focusBefore_->activateWindow();
        focusBefore_->setFocus();
    }
}

void MsgForm::Timer1Timer() {
    label1_->setText(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

}  // namespace xunda
