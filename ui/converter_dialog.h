// The main dialog: index path, the user's name and address, what to write, and
// OK to convert.
#pragma once

#include <QDialog>

#include "ui/result_log_dialog.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace mixconv::ui {

class ConverterDialog : public QDialog {
  Q_OBJECT

 public:
  ConverterDialog();

  ResultLogDialog& resultLog() { return m_resultLog; }

 public slots:
  // Converts with the fields' texts; the dialog stays open.
  void accept() override;
  void OnBrowse();
  void ShowAboutBox();
  // Ends the program as Cancel does, closing any dialog that is open over this one.
  void OnAppExit();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void AddAboutEntry();

  ResultLogDialog m_resultLog;
  QLineEdit* m_editName;
  QLineEdit* m_editMail;
  QLineEdit* m_editPath;
  QComboBox* m_output;  // each entry's data is its string table ID
};

}  // namespace mixconv::ui
