// What the window benchmarks share: the application on the offscreen platform over a fresh
// database in a private folder, and the main window as they need it: account 10001 over that
// database, the Qt bridge, a busy window, the worker registry and the pages the benchmark adds,
// one shown at a time over the whole window; the tree shows and opens the page a caption names.
#pragma once

#include <stdlib.h>

#include <QApplication>
#include <QStackedLayout>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <map>
#include <memory>

#include "bench_support.h"
#include "store/database.h"
#include "store/log.h"
#include "ui/ports/qt_ports.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/page.h"
#include "ui/shell/shell.h"
#include "ui/shell/workers.h"

namespace xunda::bench {

// The application (offscreen) and the benchmark's database in a private folder; `db` is null when
// it could not be made.
class WindowBench {
  public:
    WindowBench(int& argc, char** argv)
        : app(Offscreen(argc), argv), db(Database::Create(dir / "TOLVI_DY.db", printing)) {}

    QApplication app;
    TempFolder dir;
    PrintingPrompts printing;
    std::unique_ptr<Database> db;

  private:
    static int& Offscreen(int& argc) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return argc;
    }
};

class BenchShell : public Shell {
  public:
    BenchShell(Database& db, Prompts& prompts, const std::filesystem::path& logs)
        : db_(db), prompts_(prompts), log_(logs), shown_(new QStackedLayout(&window)) {
        account_.corpID = "10001";
    }
    const AccountContext& Account() const override { return account_; }
    Prompts& prompts() override { return prompts_; }
    GuiBridge& bridge() override { return bridge_; }
    Desktop& desktop() override { return desktop_; }
    OnlineProbe& online() override { return online_; }
    MsgForm& busy() override { return busy_; }
    Workers& workers() override { return workers_; }
    Database& db() override { return db_; }
    Log& log() override { return log_; }
    void logit(const std::string&) override {}
    bool SelectTreeNodeByText(const QString& caption) override {
        const auto page = captions_.find(caption);
        if (page == captions_.end()) return false;
        shown_->setCurrentWidget(page->second);
        page->second->Open(caption, QString());
        return true;
    }
    Page* FindPage(const QString& name) override {
        const auto page = pages_.find(name);
        return page == pages_.end() ? nullptr : page->second;
    }
    void pSaveDbGrid(const ResultSet&, const std::vector<GridColumn>&) override {}
    void pSaveDbGrid(const RowPager&) override {}
    void btnSmsSendPauseClick() override {}
    void pListCount() override {}
    void PlayEventSound(SoundEvent) override {}

    // Puts `page` into the window under its page name and its tree caption; returns it.
    template <typename P>
    P* Add(P* page, const char* name, const char* caption) {
        shown_->addWidget(page);
        pages_[QString::fromUtf8(name)] = page;
        captions_[QString::fromUtf8(caption)] = page;
        return page;
    }

    QWidget window;

  private:
    struct NoDesktop : Desktop {
        bool Open(const std::string&) override { return false; }
    };
    struct Online : OnlineProbe {
        bool IsOnline() override { return true; }
    };

    Database& db_;
    Prompts& prompts_;
    AccountContext account_;
    QtGuiBridge bridge_;
    NoDesktop desktop_;
    Online online_;
    MsgForm busy_{bridge_, &window};
    Workers workers_;
    Log log_;
    std::map<QString, Page*> pages_, captions_;
    QStackedLayout* shown_;
};

}  // namespace xunda::bench
