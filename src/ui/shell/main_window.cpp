#include "ui/shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>

#include "core/paths.h"
#include "core/text_util.h"
#include "platform/instance_lock.h"
#include "store/database.h"
#include "store/log.h"
#include "ui/ports/web_view.h"
#include "ui/shell/about_page.h"
#include "ui/shell/assets.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/engine_port.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/page.h"
#include "ui/shell/page_registry.h"
#include "ui/shell/service_urls.h"
#include "ui/shell/sys_tray.h"
#include "ui/shell/tree_helpers.h"
#include "ui/shell/welcome_page.h"
#include "ui/shell/workers.h"

namespace xunda {

namespace {

// The pages of the page area, in their order, with their title labels.
struct PageSlot {
    const char* name;
    const char* title;
};
constexpr PageSlot kPages[] = {
    {"welcome", "welcomeTitle"},     {"user", "userTitle"},           {"mob", "mobTitle"},
    {"mobOrder", "mobOrderTitle"},   {"histMsg", "histMsgTitle"},     {"aboutPage", "aboutTitle"},
    {"sendSmsPage", "sendSmsTitle"}, {"sendBoxPage", "sendBoxTitle"}, {"histSendPage", "histSendTitle"},
    {"revBox", "revBoxTitle"},       {"excelPage", "excelTitle"},
};

// The captions menuClick knows (in capitals) and the page each one shows.
struct MenuEntry {
    const char* caption;
    const char* page;
};
constexpr MenuEntry kMenu[] = {
    {"泊舟讯达短信通-标准版", "welcome"},
    {"手机订阅管理", "welcome"},
    {"手机订阅关系处理", "mobOrder"},
    {"订阅用户的资料管理", "user"},
    {"手机订阅内容查询", "mob"},
    {"历史订阅内容短信查看", "histMsg"},
    {"手机短信操作", "welcome"},
    {"短信发送", "sendSmsPage"},
    {"EXCEL表格短信", "excelPage"},
    {"发信箱", "sendBoxPage"},
    {"收信箱", "revBox"},
    {"历史短信查看", "histSendPage"},
    {"系统配置", "aboutPage"},
};

constexpr int kPanelWidths[] = {250, 80, 80, 80};

}  // namespace

std::optional<QFont> InstalledFont(const QString& family, int points) {
    if (!QFontDatabase::hasFamily(family)) return std::nullopt;
    return QFont(family, points);
}

MainWindow::MainWindow(ShellPorts ports)
    : ports_(std::move(ports)),
      workers_(std::make_unique<Workers>([this](const std::string& reason) { WorkerFailed(*this, reason); })),
      log_(std::make_unique<Log>(LogDir())) {
    log_->SetSink([this](const std::string& text) { PostPanel(4, QString::fromStdString(text)); });
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kCaption));
    // "新宋体" 9 pt; a desktop without it keeps its own font for the window.
    if (const std::optional<QFont> font = InstalledFont(QStringLiteral("新宋体"), 9)) setFont(*font);
    resize(800, 600);
    setMinimumSize(800, 600);
    QPixmap icon;
    icon.loadFromData(AppIconPng(), "PNG");
    setWindowIcon(QIcon(icon));

    BuildMenu();
    BuildToolBar();
    BuildTree();
    BuildPages();
    BuildStatusBar();
    auto* split = new QSplitter(this);
    auto* pcMenu = new QTabWidget(split);
    pcMenu->setObjectName(QStringLiteral("PCmenu"));
    pcMenu->addTab(tv_, QStringLiteral("主菜单"));
    pcMenu->widget(0)->setObjectName(QStringLiteral("mainMenuPage"));
    pcMenu->tabBar()->hide();
    split->addWidget(pcMenu);
    split->addWidget(pc_);
    split->setStretchFactor(1, 1);
    split->setSizes({200, 600});
    setCentralWidget(split);

    msgForm_ = std::make_unique<MsgForm>(ports_.bridge, this);
    sysTray_ = new SysTray(this);
    sysTray_->SetHint(windowTitle());
    sysTray_->SetIcon(windowIcon());
    connect(sysTray_, &SysTray::IconDblClick, this, &MainWindow::SysTrayIconDblClick);
    // Many desktops report only single clicks on tray icons: a left click restores as well.
    connect(sysTray_, &SysTray::IconClick, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) SysTrayIconDblClick();
    });
    sysTray_->SetActive(true);
}

MainWindow::~MainWindow() {
    WaitForWorkers();
    log_->SetSink(nullptr);
}

void MainWindow::BuildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction* changeUser = file->addAction(QStringLiteral("更换登录帐户"), this, &MainWindow::changeUserClick);
    changeUser->setObjectName(QStringLiteral("changeUser"));
    ServiceAction(file->addAction(QStringLiteral("泊舟讯达服务状态")), QStringLiteral("service"))
        ->setObjectName(QStringLiteral("tolviStatus"));
    ServiceAction(file->addAction(QStringLiteral("购买短信(&B)")), QStringLiteral("buy"))
        ->setObjectName(QStringLiteral("buySms"));
    file->addSeparator();
    file->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close)
        ->setObjectName(QStringLiteral("exitSystem"));

    QMenu* view = menuBar()->addMenu(QStringLiteral("查看(&V)"));
    view->addAction(QStringLiteral("树形菜单全部展开"), this, &MainWindow::expandAllClick)
        ->setObjectName(QStringLiteral("expandAll"));
    view->addAction(QStringLiteral("树形菜单全部收起"), this, &MainWindow::collapseAllClick)
        ->setObjectName(QStringLiteral("collapseAll"));
    QAction* toolsMain = view->addAction(QStringLiteral("主工具条"));
    toolsMain->setObjectName(QStringLiteral("mToolsMain"));
    QAction* toolsStatus = view->addAction(QStringLiteral("状态栏"));
    toolsStatus->setObjectName(QStringLiteral("mToolsStatus"));
    for (QAction* a : {toolsMain, toolsStatus}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(toolsMain, &QAction::toggled, this,
            [this](bool on) { findChild<QToolBar*>(QStringLiteral("toolsMain"))->setVisible(on); });
    connect(toolsStatus, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    ServiceAction(help->addAction(QStringLiteral("在线帮助")), QStringLiteral("help"))
        ->setObjectName(QStringLiteral("helpOnline"));
    ServiceAction(help->addAction(QStringLiteral("意见与投诉")), QStringLiteral("advice"))
        ->setObjectName(QStringLiteral("tellTolvi"));
    ServiceAction(help->addAction(QStringLiteral("访问泊舟讯达网站")), QStringLiteral("home"))
        ->setObjectName(QStringLiteral("tolviWeb"));
    ServiceAction(help->addAction(QStringLiteral("关于软件版本")), QStringLiteral("update"))
        ->setObjectName(QStringLiteral("softUpdate"));
}

QAction* MainWindow::ServiceAction(QAction* action, const QString& pageName) {
    action->setToolTip(ServicePageAddress(pageName));
    connect(action, &QAction::triggered, this, [this, pageName] { OpenServicePage(pageName); });
    return action;
}

void MainWindow::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("toolsMain"));
    bar->setObjectName(QStringLiteral("toolsMain"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setMovable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);  // only "主工具条" shows and hides it
    btnSmsSendPause_ =
        bar->addAction(style()->standardIcon(QStyle::SP_MediaPause), QStringLiteral("(&P)暂停短信处理"), this,
                       &MainWindow::btnSmsSendPauseClick);
    btnSmsSendPause_->setObjectName(QStringLiteral("btnSmsSendPause"));
    btnSmsSendPlay_ =
        bar->addAction(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("(&S)继续短信处理"), this,
                       &MainWindow::btnSmsSendPauseClick);
    btnSmsSendPlay_->setObjectName(QStringLiteral("btnSmsSendPlay"));
    btnSmsSendPlay_->setEnabled(false);
    QAction* gotoWeb = ServiceAction(new QAction(style()->standardIcon(QStyle::SP_DriveNetIcon),
                                                 QStringLiteral("(&W)登录到泊舟讯达短信通WEB版"), this),
                                     QStringLiteral("login"));
    gotoWeb->setObjectName(QStringLiteral("gotoWeb"));
    bar->addAction(gotoWeb);
}

void MainWindow::BuildTree() {
    tv_ = new QTreeWidget(this);  // measured below in the window's font
    tv_->setObjectName(QStringLiteral("TV"));
    tv_->setHeaderHidden(true);
    tv_->setRootIsDecorated(false);
    tv_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStyle* s = style();
    auto node = [](QTreeWidgetItem* item, const char* caption, const QIcon& icon) {
        item->setText(0, QString::fromUtf8(caption));
        item->setIcon(0, icon);
        return item;
    };
    const QIcon leaf = s->standardIcon(QStyle::SP_FileIcon);
    QTreeWidgetItem* root = node(new QTreeWidgetItem(tv_), "泊舟讯达短信通-标准版", windowIcon());
    QTreeWidgetItem* orders =
        node(new QTreeWidgetItem(root), "手机订阅管理", s->standardIcon(QStyle::SP_DirIcon));
    for (const char* c :
         {"手机订阅关系处理", "订阅用户的资料管理", "手机订阅内容查询", "历史订阅内容短信查看"}) {
        node(new QTreeWidgetItem(orders), c, leaf);
    }
    QTreeWidgetItem* sms =
        node(new QTreeWidgetItem(root), "手机短信操作", s->standardIcon(QStyle::SP_DirOpenIcon));
    for (const char* c : {"收信箱", "短信发送", "Excel表格短信", "发信箱", "历史短信查看"}) {
        node(new QTreeWidgetItem(sms), c, leaf);
    }
    node(new QTreeWidgetItem(root), "系统配置", s->standardIcon(QStyle::SP_ComputerIcon));
    // Wide enough for every caption at its depth, with its icon.
    int widest = 0;
    for (QTreeWidgetItemIterator it(tv_); *it; ++it) {
        int depth = 1;
        for (const QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent()) ++depth;
        widest = std::max(widest, depth * tv_->indentation() + tv_->iconSize().width() +
                                      tv_->fontMetrics().horizontalAdvance((*it)->text(0)));
    }
    tv_->setMinimumWidth(widest + 2 * tv_->frameWidth() +
                         tv_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    connect(tv_, &QTreeWidget::currentItemChanged, this, &MainWindow::TVChange);
}

void MainWindow::BuildPages() {
    pc_ = new QStackedWidget;
    pc_->setObjectName(QStringLiteral("PC"));
    for (const PageSlot& slot : kPages) {
        const std::string name = slot.name;
        Page* page = nullptr;
        if (name == "welcome") {
            page = welcome_ = new WelcomePage(*this, ports_.web);
            connect(welcome_->HelpButton(), &QPushButton::clicked, this, [this] { OpenServicePage("help"); });
            connect(welcome_->CloseButton(), &QPushButton::clicked, this, &QWidget::close);
        } else if (name == "aboutPage") {
            page = about_ = new AboutPage(*this);
        } else if (const PageFactory* make = FindPageFactory(name)) {
            page = (*make)(*this);
        } else {
            page = new Page;
        }
        page->setObjectName(QString::fromUtf8(slot.name));
        page->TitleLabel()->setObjectName(QString::fromUtf8(slot.title));
        pc_->addWidget(page);
    }
}

void MainWindow::BuildStatusBar() {
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("SB"));
    sb->setSizeGripEnabled(false);
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(sb);
        panel->setObjectName(QStringLiteral("SBpanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 4) {
            panel->setMinimumWidth(kPanelWidths[i]);  // wider when the text needs it (a long greeting)
            panel->setAlignment(Qt::AlignCenter);
        } else {
            // The log line takes the room that is left; a long one must not widen the window.
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        }
        sb->addPermanentWidget(panel, i == 4 ? 1 : 0);  // never covered by passing messages
        panels_.push_back(panel);
    }
}

bool MainWindow::FormCreate() {
    instance_ = std::make_unique<InstanceLock>(DataRoot());
    if (!instance_->Held()) {  // before anything is shown, opened or written
        ports_.prompts.Notice(instance_->OtherProgram()
                                  ? "本程序已经在运行,同一个数据目录不能同时运行两个程序!"
                                  : "数据目录无法锁定,程序不能运行!\n" + instance_->Error());
        return false;
    }
    about_->InstallDefaultSounds();
    move(screen()->availableGeometry().center() - rect().center());
    show();
    repaint();
    db_ = Database::OpenAtStart(ports_.prompts);
    pListCount();
    tv_->setFocus();
    tv_->setCurrentItem(tv_->topLevelItem(0));
    tv_->expandAll();
    tv_->scrollToItem(tv_->topLevelItem(0), QAbstractItemView::PositionAtTop);
    pc_->setCurrentWidget(welcome_);
    btnSmsSendPause_->setEnabled(false);
    tv_->setEnabled(false);
    if (ports_.startHidden) HideToTray();
    return db_ != nullptr;
}

QString MainWindow::PanelText(int panel) const {
    return panels_.at(static_cast<std::size_t>(panel))->text();
}

void MainWindow::SetPanel(int panel, const QString& text) {
    panels_.at(static_cast<std::size_t>(panel))->setText(text);
}

void MainWindow::PostPanel(int panel, const QString& text) {
    QPointer<MainWindow> self(this);
    ports_.bridge.Post([self, panel, text] {
        if (self) self->SetPanel(panel, text);
    });
}

void MainWindow::TVChange() {
    QTreeWidgetItem* item = tv_->currentItem();
    if (item && !item->text(0).isEmpty()) menuClick(item->text(0), QString());
}

void MainWindow::menuClick(const QString& caption, const QString& param) {
    const std::string typed = caption.toStdString();  // "Excel表格短信" finds "EXCEL表格短信"
    for (const MenuEntry& entry : kMenu) {
        if (!EqualsNoCase(typed, entry.caption)) continue;
        const QString known = QString::fromUtf8(entry.caption);
        Page* page = FindPage(QString::fromUtf8(entry.page));
        pc_->setCurrentWidget(page);
        page->TitleLabel()->setText(caption);
        page->Open(known, param);
        return;
    }
}

bool MainWindow::SelectTreeNodeByText(const QString& caption) {
    return xunda::SelectTreeNodeByText(tv_, caption);
}

Page* MainWindow::FindPage(const QString& pageName) {
    return pc_->findChild<Page*>(pageName, Qt::FindDirectChildrenOnly);
}

void MainWindow::expandAllClick() {
    QTreeWidgetItem* selected = tv_->currentItem();
    tv_->expandAll();
    if (selected) tv_->scrollToItem(selected, QAbstractItemView::PositionAtTop);
}

void MainWindow::collapseAllClick() {
    tv_->collapseAll();
    tv_->scrollToItem(tv_->topLevelItem(0)->child(0), QAbstractItemView::PositionAtTop);
}

void MainWindow::OpenServicePage(const QString& pageName) {
    welcome_->Navigate(WithAccount(ServicePageAddress(pageName), account_));
    SelectTreeNodeByText(QStringLiteral("泊舟讯达短信通-标准版"));
}

void MainWindow::logit(const std::string& text) {
    log_->logit(text);
}

void MainWindow::pListCount() {
    // The counters are read when the GUI thread writes them: read before posting, the texts of a
    // worker that read just before another one counted would arrive last and show the old count.
    ports_.bridge.Post([self = QPointer<MainWindow>(this)] {
        if (!self) return;
        self->SetPanel(1, QStringLiteral("接收(%1)").arg(self->moCount.load()));
        self->SetPanel(2, QStringLiteral("发送(%1)").arg(self->mtCount.load()));
        self->SetPanel(3, QStringLiteral("收条(%1)").arg(self->reportCount.load()));
    });
}

void MainWindow::btnSmsSendPauseClick() {
    const bool resume = paused.load();
    paused.store(!resume);
    if (engine_) engine_->SetSending(resume);
    btnSmsSendPlay_->setEnabled(!resume);
    btnSmsSendPause_->setEnabled(resume);
    logit(resume ? "恢复短信处理" : "暂停短信处理");
}

void MainWindow::HideToTray() {
    if (ports_.trayAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

void MainWindow::SysTrayIconDblClick() {
    // Back from the tray as it was before (a maximised window stays maximised).
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && ports_.trayAvailable()) {
        // Later, out of the state change; not when the window was restored meanwhile.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) hide();
        });
    }
}

bool MainWindow::Quiesce(const std::string& text) {
    msgForm_->Show(text);
    const bool wasRunning = !paused.load() && account_.LoggedIn();
    if (wasRunning) btnSmsSendPauseClick();
    if (engine_) engine_->Stop();
    WaitForWorkers();
    return wasRunning;
}

void MainWindow::WaitForWorkers() {
    const auto endNow = [this] {
        const std::string why = "等待后台任务超时,程序强制退出";
        logit(why);
        EndProgramNow(1, why);
    };
    static_cast<void>(workers_->WaitAll(ports_.workerWaitLimit, endNow));  // a late wait never returns
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {  // the first close is still waiting, or has ended the program
        event->ignore();
        return;
    }
    closing_ = true;
    Quiesce("正在退出,请稍候...");
    bool waited = false;
    QTimer::singleShot(500, this, [&waited] { waited = true; });
    while (!waited)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
    msgForm_->Close();
    event->accept();
    emit Ended();
}

}  // namespace xunda
