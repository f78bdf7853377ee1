// Fakes of the desktop ports for the widget tests: they record what they were asked and answer
// what the test set.
#pragma once

#include <QWidget>
#include <memory>
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

    std::vector<std::string> Texts() {
        std::lock_guard lock(mutex);
        return texts;
    }
    std::vector<std::string> Captions() {
        std::lock_guard lock(mutex);
        return captions;
    }

    bool answer = true;
    std::optional<std::string> file;
    std::string openFolder;  // where the last open dialog started

private:
    void Record(const char* caption, const std::string& text) {
        std::lock_guard lock(mutex);
        captions.push_back(caption);
        texts.push_back(text);
    }
    std::mutex mutex;
    std::vector<std::string> captions;
    std::vector<std::string> texts;
};

class FakeDesktop : public Desktop {
public:
    bool Open(const std::string& fileOrUrl) override {
        opened.push_back(fileOrUrl);
        return true;
    }
    std::vector<std::string> opened;
};

class FakeSound : public SoundPlayer {
public:
    void Play(const std::string& file) override { played.push_back(file); }
    std::vector<std::string> played;
};

class FakeOnline : public OnlineProbe {
public:
    bool IsOnline() override { return online; }
    bool online = true;
};

// An embedded view that only records where it was sent; Loaded() plays the page's arrival.
class FakeWebView : public WebView {
public:
    FakeWebView() : widget_(new QWidget) {}
    QWidget* Widget() override { return widget_; }
    void Navigate(const QString& url) override { urls.push_back(url.toStdString()); }
    void Loaded() { onLoaded(); }
    std::vector<std::string> urls;

private:
    QWidget* widget_;  // owned by the welcome page once it is embedded
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

class FakeEngine : public ProcessingEngine {
public:
    void Start(const AccountContext& account) override { calls.push_back("Start " + account.corpID); }
    void SetSending(bool on) override { calls.push_back(on ? "Sending on" : "Sending off"); }
    void Stop() override { calls.push_back("Stop"); }
    std::vector<std::string> calls;
};

}  // namespace xunda::test
