// The message boxes and file dialogs of the desktop, answered as a user would, and opening files.
#include "ui/fakes.h"

namespace xunda::test {
namespace {

TEST(PromptsTest, BoxesCarryTheSystemsCaptionsAndIconsAndAnswer) {
    QtGuiBridge bridge;
    QtPrompts prompts(bridge);
    const struct {
        std::function<bool()> ask;
        QMessageBox::StandardButton press;
        const char* caption;
        QMessageBox::Icon icon;
    } cases[] = {
        {[&] { return prompts.Notice("n"), true; }, QMessageBox::Ok, "提示", QMessageBox::Information},
        {[&] { return prompts.Alert("a"), true; }, QMessageBox::Ok, "警告", QMessageBox::Information},
        {[&] { return prompts.Confirm("c"); }, QMessageBox::Yes, "警告", QMessageBox::Warning},
        {[&] { return !prompts.ConfirmSevere("s"); }, QMessageBox::No, "严重警告", QMessageBox::Warning},
        {[&] { return prompts.OfferOpen("o"); }, QMessageBox::Yes, "请选择", QMessageBox::Question},
    };
    for (const auto& c : cases) {
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        WhenOpen<QMessageBox>([&](QMessageBox* box) {
            caption = box->windowTitle(), icon = box->icon();
            box->button(c.press)->click();
        });
        EXPECT_TRUE(c.ask()) << c.caption;  // the answer given
        EXPECT_EQ(caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(icon, c.icon) << c.caption;
    }
}

// The box a program that cannot start shows (its window not shown yet) stands in the middle of
// the screen; once the window is shown, boxes stand over it.
TEST(PromptsTest, BoxesStandOverTheShownWindowElseInTheMiddleOfTheScreen) {
    QtGuiBridge bridge;
    QtPrompts prompts(bridge);
    QWidget window;
    window.setGeometry(150, 50, 600, 200);
    prompts.SetParent(&window);
    auto centreOfBox = [&] {
        QPoint centre;
        WhenOpen<QMessageBox>([&](QMessageBox* box) {
            centre = box->geometry().center();
            box->accept();
        });
        prompts.Notice("本程序已经在运行,同一个数据目录不能同时运行两个程序!");
        return centre;
    };
    const QPoint screen = window.screen()->availableGeometry().center();
    EXPECT_LE((centreOfBox() - screen).manhattanLength(), 2);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_LE((centreOfBox() - window.geometry().center()).manhattanLength(), 2);
}

TEST(PromptsTest, SavingAddsTheChosenFiltersExtensionNeverAsksToReplaceAndOpeningStartsInTheFolder) {
    TempDir dir;
    QtGuiBridge bridge;
    QtPrompts prompts(bridge);
    const std::string filter = "EXCEL_CSV (*.csv);;TXT (*.txt)";
    const QString folder = QString::fromStdString(dir.path().string());
    WriteFile(dir / "old.csv", "x");
    // Types `name` into the dialog, picks `pick` as its filter when given, and presses Save.
    auto saveAs = [&](const char* name, const char* pick) {
        WhenOpen<QFileDialog>([&, name, pick](QFileDialog* dialog) {
            dialog->setDirectory(folder);
            if (pick) emit dialog->filterSelected(QString::fromUtf8(pick));
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromUtf8(name));
            static_cast<QDialog*>(dialog)->accept();  // what its Save button does
        });
        return prompts.ChooseSaveFile(filter, "");
    };
    EXPECT_EQ(saveAs("export", nullptr), (dir / "export.csv").string());
    EXPECT_EQ(saveAs("export", "TXT (*.txt)"), (dir / "export.txt").string());
    EXPECT_EQ(saveAs("old.csv", nullptr), (dir / "old.csv").string());  // the export appends to it
    WhenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(prompts.ChooseSaveFile(filter, ""), std::nullopt);

    QString started;
    WhenOpen<QFileDialog>([&](QFileDialog* dialog) {
        started = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(prompts.ChooseOpenFile("声音 (*.wav)", dir.path().string()), std::nullopt);
    EXPECT_EQ(started, folder);
}

// Without xdg-open (an empty PATH) nothing can open a file or a link: a box says so.
TEST(DesktopTest, WhenNothingCanOpenAFileOrLinkABoxSaysSo) {
    TempDir bin;
    const std::string path = std::getenv("PATH");
    setenv("PATH", bin.path().c_str(), 1);
    QtGuiBridge bridge;
    FakePrompts prompts;
    QtDesktop desktop(bridge, prompts);
    const std::string file = (bin / "LOG_10001.LOG").string(), link = "http://127.0.0.1:1/index/apply.asp";
    EXPECT_FALSE(desktop.Open(file) || desktop.Open(link));
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(prompts.Boxes(), (std::vector<std::string>{"提示: 没有找到可以打开它的程序: " + file,
                                                         "提示: 没有找到可以打开它的程序: " + link}));
}

}  // namespace
}  // namespace xunda::test
