#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "ui/ports/qt_ports.h"

namespace xunda {

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// "csv" of a name filter "EXCEL_CSV (*.csv)"; empty when it names no extension.
QString FilterSuffix(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    return pattern.match(nameFilter).captured(1);
}

// A box with OK, or with Yes and No (No the default); true for OK or Yes. It stands over the
// window when that is shown, else in the middle of the screen (a program that cannot start).
bool ShowBox(QWidget* parent, QMessageBox::Icon icon, const char* caption, const std::string& text,
             bool yesNo) {
    QMessageBox box(icon, QString::fromUtf8(caption), Q(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent && parent->isVisible() ? parent : nullptr);
    // Above the busy window, which stays on top while the program waits for the worker asking.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (yesNo) box.setDefaultButton(QMessageBox::No);
    return box.exec() != QMessageBox::No;
}
}  // namespace

void QtPrompts::Notice(const std::string& text) {
    bridge_.Invoke([&] { ShowBox(parent_, QMessageBox::Information, "提示", text, false); });
}

void QtPrompts::Alert(const std::string& text) {
    bridge_.Invoke([&] { ShowBox(parent_, QMessageBox::Information, "警告", text, false); });
}

bool QtPrompts::Confirm(const std::string& text) {
    bool yes = false;
    bridge_.Invoke([&] { yes = ShowBox(parent_, QMessageBox::Warning, "警告", text, true); });
    return yes;
}

bool QtPrompts::ConfirmSevere(const std::string& text) {
    bool yes = false;
    bridge_.Invoke([&] { yes = ShowBox(parent_, QMessageBox::Warning, "严重警告", text, true); });
    return yes;
}

bool QtPrompts::OfferOpen(const std::string& text) {
    bool yes = false;
    bridge_.Invoke([&] { yes = ShowBox(parent_, QMessageBox::Question, "请选择", text, true); });
    return yes;
}

std::optional<std::string> QtPrompts::ChooseSaveFile(const std::string& filter,
                                                     const std::string& defaultName) {
    QString chosen;
    bridge_.Invoke([&] {
        QFileDialog dialog(parent_, QString(), Q(defaultName), Q(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // An existing file is appended to, so there is nothing to confirm.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        // A name typed without an extension gets the one of the chosen filter.
        dialog.setDefaultSuffix(FilterSuffix(dialog.selectedNameFilter()));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& nameFilter) { dialog.setDefaultSuffix(FilterSuffix(nameFilter)); });
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.selectedFiles().value(0);
    });
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

std::optional<std::string> QtPrompts::ChooseOpenFile(const std::string& filter, const std::string& folder) {
    QString chosen;
    bridge_.Invoke([&] { chosen = QFileDialog::getOpenFileName(parent_, QString(), Q(folder), Q(filter)); });
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

}  // namespace xunda
