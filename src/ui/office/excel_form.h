// The message-list window "excel": the lines the Excel page generated, saved to a file or queued
// one outbox row per line with a send identifier and an extension.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QListWidget;

namespace xunda {

class Shell;

class ExcelForm : public QDialog {
    Q_OBJECT
  public:
    ExcelForm(Shell& shell, QWidget* parent);

    // Shows the lines (modal, returns at once).
    void ShowLines(const std::vector<std::string>& lines);

    QGroupBox* smsListGroup() const { return smsListGroup_; }
    QListWidget* smsList() const { return smsList_; }
    QComboBox* edLinkID() const { return edLinkID_; }
    QComboBox* edSubNumber() const { return edSubNumber_; }

    void btnSendSmsClick();
    void BitBtn1Click();

  private:
    std::vector<std::string> Lines() const;
    void ExcelQueueThread(std::vector<std::string> lines, std::string subNumber, std::string linkID);

    Shell& shell_;
    QGroupBox* smsListGroup_;
    QListWidget* smsList_;
    QComboBox* edLinkID_;
    QComboBox* edSubNumber_;
};

}  // namespace xunda
