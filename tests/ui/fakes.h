// Fakes of the desktop ports for the widget tests: they record what they were asked and answer
// what the test set.
#pragma once

#include <QWidget>
#include <chrono>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "gateway/sms_gateway.h"
#include "ui/engine_port.h"
#include "ui/qt_ports.h"
#include "ui/web_view.h"

namespace xunda::test {

// Records each box as "caption: text"; safe from workers.
class FakePrompts : public Prompts {
public:
    void Notice(const std::string& text) override { Record("提示", text); }
    void Alert(const std::string& text) override { Record("警告", text); }
    bool Confirm(const std::string& text) override { return Record("警告", text), answer; }
    bool ConfirmSevere(const std::string& text) override { return Record("严重警告", text), answer; }
    bool OfferOpen(const std::string& text) override { return Record("请选择", text), answer; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return file; }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string& folder) override {
        openFolder = folder;
        return file;
    }

    std::vector<std::string> Boxes() {
        std::lock_guard lock(mutex);
        return boxes;
    }
    std::string Last() {
        std::lock_guard lock(mutex);
        return boxes.empty() ? "" : boxes.back();
    }

    bool answer = true;
    std::optional<std::string> file;
    std::string openFolder;  // where the last open dialog started

private:
    void Record(const char* caption, const std::string& text) {
        std::lock_guard lock(mutex);
        boxes.push_back(std::string(caption) + ": " + text);
    }
    std::mutex mutex;
    std::vector<std::string> boxes;
};

struct FakeDesktop : Desktop {
    bool Open(const std::string& fileOrUrl) override { return opened.push_back(fileOrUrl), true; }
    std::vector<std::string> opened;
};

struct FakeSound : SoundPlayer {
    void Play(const std::string& file) override { played.push_back(file); }
    std::vector<std::string> played;
};

struct FakeOnline : OnlineProbe {
    bool IsOnline() override { return online; }
    bool online = true;
};

// An embedded view that only records where it was sent; Loaded() plays the page's arrival.
struct FakeWebView : WebView {
    QWidget* Widget() override { return widget; }
    void Navigate(const QString& url) override { urls.push_back(url.toStdString()); }
    void Loaded() { onLoaded(); }
    std::vector<std::string> urls;
    QWidget* widget = new QWidget;  // owned by the welcome page once it is embedded
};

// The service with a scripted data-query reply; it remembers the query texts.
class FakeGateway : public SmsGateway {
public:
    using Rows = std::vector<std::vector<ResultValue>>;

    int GetData(const std::string& url, FieldList& fields, int& colCount, int& rowCount) override {
        std::this_thread::sleep_for(delay);
        std::lock_guard lock(mutex);
        urls.push_back(url);
        if (throws) throw std::runtime_error("not XML");
        fields.clear();
        for (const auto& row : reply) fields.insert(fields.end(), row.begin(), row.end());
        colCount = reply.empty() ? 0 : static_cast<int>(reply.back().size());
        rowCount = static_cast<int>(reply.size());
        return result;
    }
    int PutMt(std::string&, std::vector<std::string>&, int, const Credentials&, const MtRequest&) override { return 500; }
    int GetMo(std::string&, std::vector<std::string>&, int, const Credentials&) override { return 500; }
    int GetReport(std::string&, std::vector<std::string>&, int, const Credentials&) override { return 500; }

    std::mutex mutex;
    std::vector<std::string> urls;
    Rows reply{{{"c", "10001"}, {"g", "g1"}, {"p", "p1"}}};
    int result = 0;
    bool throws = false;
    std::chrono::milliseconds delay{0};  // a slow service
};

struct FakeEngine : ProcessingEngine {
    void Start(const AccountContext& account) override { calls.push_back("Start " + account.corpID); }
    void SetSending(bool on) override { calls.push_back(on ? "Sending on" : "Sending off"); }
    void Stop() override { calls.push_back("Stop"); }
    std::vector<std::string> calls;
};

}  // namespace xunda::test
