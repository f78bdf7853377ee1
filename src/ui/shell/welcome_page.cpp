#include "ui/shell/welcome_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "ui/ports/web_view.h"
#include "ui/shell/assets.h"
#include "ui/shell/jpeg_image.h"
#include "ui/shell/service_urls.h"
#include "ui/shell/shell.h"

namespace xunda {

WelcomePage::WelcomePage(Shell& shell, WebView& web)
    : shell_(shell),
      web_(web),
      plWelcome_(new QStackedLayout),
      welcomeBmp_(new QLabel(this)),
      btnHelp_(new QPushButton(QStringLiteral("帮助"), this)),
      btnClose_(new QPushButton(QStringLiteral("退出"), this)) {
    welcomeBmp_->setObjectName(QStringLiteral("welcomeBmp"));
    welcomeBmp_->setAlignment(Qt::AlignCenter);
    welcomeBmp_->setStyleSheet(QStringLiteral("background: white;"));
    welcomeBmp_->setPixmap(QPixmap::fromImage(DecodeJpeg(WelcomeJpeg())));
    btnHelp_->setObjectName(QStringLiteral("btnHelp"));
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    plWelcome_->addWidget(welcomeBmp_);
    if (QWidget* view = web_.Widget()) plWelcome_->addWidget(view);
    plWelcome_->setCurrentWidget(welcomeBmp_);
    web_.onLoaded = [this] { welcomeWebNavigateComplete2(); };

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnHelp_);
    buttons->addWidget(btnClose_);
    Body()->addLayout(plWelcome_, 1);
    Body()->addLayout(buttons);
}

void WelcomePage::Open(const QString& caption, const QString&) {
    if (caption == QStringLiteral("手机订阅管理")) {
        Navigate(WithAccount(ServicePageAddress(QStringLiteral("mobOrder")), shell_.Account()));
    } else if (caption == QStringLiteral("手机短信操作")) {
        Navigate(WithAccount(ServicePageAddress(QStringLiteral("sms")), shell_.Account()));
    }
}

void WelcomePage::Navigate(const QString& url) {
    web_.Navigate(url);
}

void WelcomePage::HideBrowser() {
    plWelcome_->setCurrentWidget(welcomeBmp_);
}

bool WelcomePage::BrowserShown() const {
    return plWelcome_->currentWidget() != welcomeBmp_;
}

void WelcomePage::welcomeWebNavigateComplete2() {
    if (QWidget* view = web_.Widget()) plWelcome_->setCurrentWidget(view);
}

}  // namespace xunda
