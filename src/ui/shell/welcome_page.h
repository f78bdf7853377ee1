// The welcome page: the welcome picture until a service page has loaded, then the browser.
#pragma once

#include "ui/shell/page.h"

class QLabel;
class QPushButton;
class QStackedLayout;

namespace xunda {

class Shell;
class WebView;

class WelcomePage : public Page {
    Q_OBJECT
  public:
    WelcomePage(Shell& shell, WebView& web);

    // "手机订阅管理" and "手机短信操作" open their service pages here.
    void Open(const QString& caption, const QString& param) override;
    // Shows `url` in the browser (the picture stays until the page has loaded).
    void Navigate(const QString& url);
    // Back to the picture until the next page has loaded.
    void HideBrowser();
    // Whether the browser (rather than the picture) fills the page.
    bool BrowserShown() const;
    QPushButton* HelpButton() const { return btnHelp_; }
    QPushButton* CloseButton() const { return btnClose_; }

  private:
    void welcomeWebNavigateComplete2();

    Shell& shell_;
    WebView& web_;
    QStackedLayout* plWelcome_;
    QLabel* welcomeBmp_;
    QPushButton* btnHelp_;
    QPushButton* btnClose_;
};

}  // namespace xunda
