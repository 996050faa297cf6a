// The result log window: every line the engine reports, one list item each.
#pragma once

#include <QDialog>

#include "engine/convert.h"

class QListWidget;

namespace mixconv::ui {

class ResultLogDialog : public QDialog, public ReportTarget {
  Q_OBJECT

 public:
  // A top-level window of its own, with no owner, created hidden.
  ResultLogDialog();

  int AddLine(const char* text) override;
  // Shows the window if it is hidden, making it the active one; a visible window stays as it is.
  void ShowWindow();

  QListWidget* list() const { return m_list; }

 signals:
  // OK in this window ends the whole program.
  void applicationExitRequested();

 public slots:
  void accept() override;

 private:
  QListWidget* m_list;
};

}  // namespace mixconv::ui
