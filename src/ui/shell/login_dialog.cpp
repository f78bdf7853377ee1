#include "ui/shell/login_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "core/paths.h"
#include "gateway/login.h"
#include "store/settings.h"
#include "ui/shell/main_window.h"
#include "ui/shell/service_urls.h"
#include "ui/shell/typed_text.h"
#include "ui/shell/workers.h"

namespace xunda {

namespace {
constexpr const char* kLoginFailed = "登录失败,请检查用户名和密码!";
}  // namespace

LoginDialog::LoginDialog(MainWindow& main, SmsGateway& gateway)
    : QDialog(&main, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      main_(main),
      gateway_(gateway),
      edUserName_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      okBtn_(new QPushButton(QStringLiteral("登录"), this)),
      cancelBtn_(new QPushButton(QStringLiteral("取消"), this)),
      timer1_(new QTimer(this)) {
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(QStringLiteral("请登录"));
    edUserName_->setObjectName(QStringLiteral("edUserName"));
    password_->setObjectName(QStringLiteral("Password"));
    password_->setEchoMode(QLineEdit::Password);
    okBtn_->setObjectName(QStringLiteral("OKBtn"));
    okBtn_->setDefault(true);
    cancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    auto* label3 = new QLabel(QStringLiteral("<a href=\"apply\" style=\"color: green; white-space: pre;\">"
                                             "&gt;&gt;还没有帐号?          立即申请免费试用!</a>"),
                              this);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setCursor(Qt::PointingHandCursor);
    connect(label3, &QLabel::linkActivated, this, &LoginDialog::Label3Click);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("用户名:"), this), 0, 0);
    grid->addWidget(edUserName_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("密  码:"), this), 1, 0);
    grid->addWidget(password_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okBtn_);
    buttons->addWidget(cancelBtn_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(label3);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    timer1_->setSingleShot(true);
    timer1_->setInterval(10);
    connect(timer1_, &QTimer::timeout, this, &LoginDialog::OKBtnClick);
    connect(okBtn_, &QPushButton::clicked, this, &LoginDialog::OKBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &LoginDialog::reject);
}

bool LoginDialog::Run(bool autoLogin) {
    autoLoginAllowed_ = autoLogin;
    return exec() == QDialog::Accepted;
}

void LoginDialog::ClearEdits() {
    edUserName_->clear();
    password_->clear();
}

void LoginDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void LoginDialog::FormShow() {
    Database& db = main_.db();
    autoLoginActive_ = autoLoginAllowed_ && pReadSysValue(db, "", "autoStart") == "1";
    if (autoLoginActive_) {
        edUserName_->setText(QString::fromStdString(pReadSysValue(db, "", "userName")));
        password_->setText(QString::fromStdString(pReadSysValue(db, "", "userPwd")));
        timer1_->start();
    } else {
        okBtn_->setEnabled(true);
    }
}

void LoginDialog::OKBtnClick() {
    if (FormCloseQuery()) accept();
}

void LoginDialog::closeEvent(QCloseEvent* event) {
    // The close box logs in, as the OK button does; while the program ends it just closes.
    if (main_.Closing()) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    OKBtnClick();
}

void LoginDialog::reject() {
    // Cancel ends the program (the caller of Run). A request still running is not waited for
    // (it may take up to its deadline): the program ends here and now.
    if (requesting_) EndProgramNow(0);
    timer1_->stop();
    QDialog::reject();
}

void LoginDialog::Label3Click() {
    main_.desktop().Open(ServiceAddress(QStringLiteral("/index/apply.asp")).toStdString());
}

bool LoginDialog::FormCloseQuery() {
    if (requesting_) return false;
    if (!main_.online().IsOnline()) {
        main_.prompts().Alert("网络中断,请检查你的网络状况!");
        return false;
    }
    okBtn_->setEnabled(false);
    const std::string user = TypedText(edUserName_->text().trimmed());
    const std::string password = TypedText(password_->text());

    const std::string url = LoginQuery(ServiceHost(), user, password);
    std::optional<ServiceAccount> reply;
    requesting_ = true;
    main_.workers().RunAndWait([&] { reply = RequestLogin(gateway_, url); });
    requesting_ = false;
    if (main_.Closing()) {
        okBtn_->setEnabled(true);
        return false;
    }

    if (!reply) {
        main_.prompts().Notice(kLoginFailed);
        okBtn_->setEnabled(true);
        return false;
    }
    AccountContext account;
    account.corpID = reply->corpID;
    account.g = reply->g;
    account.p = reply->p;
    account.loginName = user;
    account.password = password;
    main_.LoginSucceeded(account, edUserName_->text(), autoLoginActive_);
    okBtn_->setEnabled(true);
    return true;
}

}  // namespace xunda
