// The browser of the welcome page that shows the service's pages. Built with Qt WebEngine it is an
// embedded view; without it, pages open in the default browser and nothing is embedded.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "core/ports.h"

class QWidget;

namespace xunda {

class WebView {
  public:
    virtual ~WebView() = default;
    // The embedded view, or null when pages open outside the window. GUI thread.
    virtual QWidget* Widget() = 0;
    virtual void Navigate(const QString& url) = 0;
    // Called on the GUI thread when a page has loaded in the embedded view.
    std::function<void()> onLoaded;
};

// The view the build offers: embedded when built with WebEngine, else the default browser.
std::unique_ptr<WebView> MakeWebView(Desktop& desktop);

// Opens every page in the default browser.
class BrowserWebView : public WebView {
  public:
    explicit BrowserWebView(Desktop& desktop) : desktop_(desktop) {}
    QWidget* Widget() override { return nullptr; }
    void Navigate(const QString& url) override { desktop_.Open(url.toStdString()); }

  private:
    Desktop& desktop_;
};

}  // namespace xunda
