// Fakes of the ports that record what they were asked and answer what the test set; WhenOpen.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <chrono>
#include <mutex>
#include <thread>

#include "gateway/sms_gateway.h"
#include "support/temp_dir.h"
#include "ui/ports/qt_ports.h"
#include "ui/ports/web_view.h"
#include "ui/shell/engine_port.h"

namespace xunda::test {

// Records each box as "caption: text"; safe from workers.
class FakePrompts : public Prompts {
  public:
    void Notice(const std::string& text) override { Record("提示", text); }
    void Alert(const std::string& text) override { Record("警告", text); }
    bool Confirm(const std::string& text) override { return Record("警告", text), answer; }
    bool ConfirmSevere(const std::string& text) override { return Record("严重警告", text), answer; }
    bool OfferOpen(const std::string& text) override { return Record("请选择", text), answer; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override {
        return file;
    }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string& folder) override {
        return openFolder = folder, file;
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

// The service. The data query (the login) answers the scripted reply, after `delay`, and
// remembers the query texts. putMt answers `putCode` (100: every number accepted) and, while
// `held`, waits (at most 10 s), or loses its reply once after `putLost`; each poll hands out its
// queued lines once, then has no data (no reply at all while `pollsDropped`).
class FakeGateway : public SmsGateway {
  public:
    using Rows = std::vector<std::vector<ResultValue>>;

    int GetData(const std::string& url, FieldList& fields, int& colCount, int& rowCount, int) override {
        std::this_thread::sleep_for(delay);
        std::lock_guard lock(mutex);
        urls.push_back(url);
        fields.clear();
        for (const auto& row : reply) fields.insert(fields.end(), row.begin(), row.end());
        colCount = reply.empty() ? 0 : static_cast<int>(reply.back().size());
        rowCount = static_cast<int>(reply.size());
        CountAnswer(false);
        return 0;
    }
    int PutMt(std::string& resultValue, std::vector<std::string>& lines, int, const Credentials&,
              const MtRequest& mt, int, bool& replyLost) override {
        ++putCalls;
        replyLost = putLost.exchange(false);
        if (replyLost) return 500;
        for (QDeadlineTimer limit(10000); held && !limit.hasExpired();)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        resultValue = putCode;
        lines.clear();
        const auto n = std::count(mt.Mobs.begin(), mt.Mobs.end(), ',') + 1;
        for (int i = 0; putCode == "100" && i < n; ++i) lines.push_back("0," + std::to_string(7000 + i));
        CountAnswer(true);
        return 0;
    }
    int GetMo(std::string& resultValue, std::vector<std::string>& lines, int, const Credentials&,
              int) override {
        return Poll(mo, resultValue, lines);
    }
    int GetReport(std::string& resultValue, std::vector<std::string>& lines, int, const Credentials&,
                  int) override {
        return Poll(reports, resultValue, lines);
    }

    // Queues `lines` for the next poll of `queue` (mo or reports).
    void Hold(std::vector<std::string>& queue, std::vector<std::string> lines) {
        std::lock_guard lock(mutex);
        queue = std::move(lines);
    }

    std::mutex mutex;
    std::vector<std::string> urls;
    Rows reply{{{"c", "10001"}, {"g", "g1"}, {"p", "p1"}}};
    std::chrono::milliseconds delay{0};
    std::string putCode = "100";
    std::atomic<int> putCalls{0};
    std::atomic<bool> held{false};
    std::atomic<bool> putLost{false};       // the next putMt went out and its reply was lost
    std::atomic<bool> pollsDropped{false};  // the polls get no reply
    std::vector<std::string> mo, reports;   // under `mutex`

  private:
    int Poll(std::vector<std::string>& queued, std::string& resultValue, std::vector<std::string>& lines) {
        if (pollsDropped) return 500;
        std::lock_guard lock(mutex);
        lines = std::exchange(queued, {});
        resultValue = lines.empty() ? "300" : "100";
        CountAnswer(false);
        return 0;
    }
};

// Runs `answer` on the first modal window of type Dialog. A window not open, or still open after
// its answer, 10 s on fails the test and is closed, so that the program's wait ends.
template <typename Dialog>
void WhenOpen(std::function<void(Dialog*)> answer) {
    auto* poll = new QTimer(qApp);  // the application owns it until it is done
    auto state = std::make_shared<std::pair<bool, QPointer<Dialog>>>();
    const QDeadlineTimer deadline(10000);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto& [answered, dialog] = *state;
        if (!answered && (dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget()))) {
            answered = true;
            return answer(dialog);
        }
        if (answered && (!dialog || !dialog->isVisible())) return poll->deleteLater();
        if (!deadline.hasExpired()) return;
        ADD_FAILURE() << Dialog::staticMetaObject.className()
                      << (answered ? " stayed open" : " did not open");
        if (dialog) dialog->reject();
        poll->deleteLater();
    });
    poll->start(10);
}

struct FakeEngine : ProcessingEngine {
    void Start(const AccountContext& account) override { calls.push_back("Start " + account.corpID); }
    void SetSending(bool on) override { calls.push_back(on ? "Sending on" : "Sending off"); }
    void Stop() override { calls.push_back("Stop"); }
    std::vector<std::string> calls;
};

}  // namespace xunda::test
