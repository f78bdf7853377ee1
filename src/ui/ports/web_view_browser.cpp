// Built only without WITH_WEBENGINE.
#include "ui/ports/web_view.h"

namespace xunda {

std::unique_ptr<WebView> MakeWebView(Desktop& desktop) {
    return std::make_unique<BrowserWebView>(desktop);
}

}  // namespace xunda
