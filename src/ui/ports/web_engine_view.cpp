// Built only with WITH_WEBENGINE.
#include <unistd.h>

#include <QUrl>
#include <QWebEngineView>

#include "ui/ports/web_view.h"

namespace xunda {

namespace {
class EngineWebView : public WebView {
  public:
    EngineWebView() : view_(new QWebEngineView) {
        view_->setObjectName(QStringLiteral("welcomeWeb"));
        QObject::connect(view_, &QWebEngineView::loadFinished, view_, [this](bool) {
            if (onLoaded) onLoaded();
        });
    }
    // The view is handed to the welcome page, which owns it from then on.
    QWidget* Widget() override { return view_; }
    void Navigate(const QString& url) override { view_->setUrl(QUrl(url)); }

  private:
    QWebEngineView* view_;
};
}  // namespace

std::unique_ptr<WebView> MakeWebView(Desktop&) {
    // The browser engine's sandbox refuses to run for root and would end the program instead.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    return std::make_unique<EngineWebView>();
}

}  // namespace xunda
