// Start-up: the desktop services, the main window (which opens the database), the busy window,
// the engine's timers, the login dialog, then the event loop until the main window closes.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTranslator>
#include <csignal>

#include "gateway/service_gateway.h"
#include "platform/autostart.h"
#include "platform/online_probe.h"
#include "ui/ports/qt_ports.h"
#include "ui/ports/web_view.h"
#include "ui/shell/engine_controller.h"
#include "ui/shell/login_dialog.h"
#include "ui/shell/main_window.h"
#include "ui/shell/sys_tray.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT close the main window the ordinary way (busy window, pause, workers waited).
void CloseOnSignals(QWidget& window) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] ssize_t n = read(signalPipe[0], &byte, 1);
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("泊舟讯达短信通-订阅版"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own buttons and dialogs speak the system's language ("是"/"否" on a Chinese desktop).
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    xunda::QtGuiBridge bridge;
    xunda::QtPrompts prompts(bridge);
    xunda::QtDesktop desktop(bridge, prompts);
    xunda::QtSoundPlayer sound(bridge);
    xunda::InterfaceOnlineProbe online;
    xunda::XdgAutostart autostart;
    std::unique_ptr<xunda::WebView> web = xunda::MakeWebView(desktop);
    const QStringList args = QApplication::arguments();

    xunda::MainWindow mainWindow(xunda::ShellPorts{
        .prompts = prompts,
        .bridge = bridge,
        .desktop = desktop,
        .sound = sound,
        .online = online,
        .autostart = autostart,
        .web = *web,
        .trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); },
        .programPath = QApplication::applicationFilePath().toStdString(),
        .startHidden = args.size() > 1 && args.at(1).toLower() == QStringLiteral("h"),
    });
    QApplication::setApplicationName(mainWindow.windowTitle());
    prompts.SetParent(&mainWindow);
    if (!mainWindow.FormCreate()) return 1;
    CloseOnSignals(mainWindow);

    // One gateway serves the login and the engine's workers; each request has its own client.
    xunda::ServiceGateway gateway;
    xunda::EngineController engine(mainWindow, gateway);
    mainWindow.SetEngine(&engine);
    xunda::LoginDialog login(mainWindow, gateway);
    mainWindow.SetLoginDialog(&login);
    QObject::connect(&mainWindow, &xunda::MainWindow::Ended, &app, [] { QCoreApplication::exit(0); });
    // The login dialog comes first; cancelling it ends the program.
    QTimer::singleShot(0, &login, [&login] {
        if (!login.Run()) QCoreApplication::exit(0);
    });
    return QApplication::exec();
}
