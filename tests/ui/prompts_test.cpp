// The message boxes and file dialogs of the desktop, answered from a timer as a user would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "support/temp_dir.h"
#include "ui/qt_ports.h"

namespace xunda::test {
namespace {

// Runs `answer` on the modal window once it is open.
template <typename Dialog>
void WhenOpen(std::function<void(Dialog*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(10);
}

struct BoxSeen {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Records the box and presses `button` on it.
BoxSeen Answer(QMessageBox::StandardButton button, const std::function<void()>& ask) {
    BoxSeen seen;
    WhenOpen<QMessageBox>([&seen, button](QMessageBox* box) {
        seen = {box->windowTitle(), box->icon()};
        box->button(button)->click();
    });
    ask();
    return seen;
}

TEST(PromptsTest, BoxesCarryTheSystemsCaptionsAndIcons) {
    QtGuiBridge bridge;
    QtPrompts prompts(bridge);
    BoxSeen seen = Answer(QMessageBox::Ok, [&] { prompts.Notice("n"); });
    EXPECT_EQ(seen.caption, QStringLiteral("提示"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    seen = Answer(QMessageBox::Ok, [&] { prompts.Alert("a"); });
    EXPECT_EQ(seen.caption, QStringLiteral("警告"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);

    bool yes = false;
    seen = Answer(QMessageBox::Yes, [&] { yes = prompts.Confirm("c"); });
    EXPECT_TRUE(yes);
    EXPECT_EQ(seen.caption, QStringLiteral("警告"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    seen = Answer(QMessageBox::No, [&] { yes = prompts.ConfirmSevere("s"); });
    EXPECT_FALSE(yes);
    EXPECT_EQ(seen.caption, QStringLiteral("严重警告"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    seen = Answer(QMessageBox::Yes, [&] { yes = prompts.OfferOpen("o"); });
    EXPECT_TRUE(yes);
    EXPECT_EQ(seen.caption, QStringLiteral("请选择"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
}

TEST(PromptsTest, SavingAddsTheChosenFiltersExtensionAndNeverAsksToReplace) {
    TempDir dir;
    QtGuiBridge bridge;
    QtPrompts prompts(bridge);
    const std::string filter = "EXCEL_CSV (*.csv);;TXT (*.txt)";
    const QString folder = QString::fromStdString(dir.path().string());

    // Types `name` into the dialog, picks `pick` as its filter when given, and presses Save.
    auto saveAs = [&](const char* name, const char* pick) {
        WhenOpen<QFileDialog>([&, name, pick](QFileDialog* dialog) {
            if (pick) emit dialog->filterSelected(QString::fromUtf8(pick));
            dialog->selectFile(folder + QStringLiteral("/") + QString::fromUtf8(name));
            static_cast<QDialog*>(dialog)->accept();  // what the dialog's Save button does
        });
        return prompts.ChooseSaveFile(filter, "");
    };
    EXPECT_EQ(saveAs("export", nullptr), (dir / "export.csv").string());
    EXPECT_EQ(saveAs("export", "TXT (*.txt)"), (dir / "export.txt").string());
    // An existing file is taken as it is: the export appends to it.
    WriteFile(dir / "old.csv", "x");
    EXPECT_EQ(saveAs("old.csv", nullptr), (dir / "old.csv").string());

    WhenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(prompts.ChooseSaveFile(filter, ""), std::nullopt);
}

TEST(PromptsTest, OpeningStartsInTheGivenFolder) {
    TempDir dir;
    QtGuiBridge bridge;
    QtPrompts prompts(bridge);
    WriteFile(dir / "ring.wav", "RIFF");
    const QString folder = QString::fromStdString(dir.path().string());

    QString started;
    WhenOpen<QFileDialog>([&](QFileDialog* dialog) {
        started = dialog->directory().absolutePath();
        dialog->selectFile(folder + QStringLiteral("/ring.wav"));
        static_cast<QDialog*>(dialog)->accept();  // what the dialog's Open button does
    });
    EXPECT_EQ(prompts.ChooseOpenFile("声音 (*.wav)", dir.path().string()), (dir / "ring.wav").string());
    EXPECT_EQ(started, folder);

    WhenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(prompts.ChooseOpenFile("声音 (*.wav)", ""), std::nullopt);
}

}  // namespace
}  // namespace xunda::test
