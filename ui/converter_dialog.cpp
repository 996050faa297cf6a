#include "ui/converter_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

#include "engine/convert.h"
#include "engine/log_file_name.h"
#include "job/user_conversion.h"
#include "ui/about_dialog.h"
#include "ui/dialog_builder.h"
#include "version.h"

namespace mixconv::ui {

namespace {

constexpr char kIndexFileFilter[] = "Mail Index File (*.mix)";
constexpr char kIndexSuffix[] = "mix";

// Empty when path is neither a mail index nor its text file partner.
QString IndexPathFor(const QString& path) {
  return QString::fromStdString(mixconv::IndexPathFor(path.toStdString()));
}

// The dropped file when it is a mail index or its text file partner.
QString DroppedLogFile(const QMimeData* data) {
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) {
    return {};
  }
  const QString path = urls.front().toLocalFile();
  return IndexPathFor(path).isEmpty() ? QString() : path;
}

// The output that an entry of the output list stands for.
const Output& OutputOf(int entry) {
  if (const Output* output = OutputLabelled(entry)) {
    return *output;
  }
  qFatal("mixconv: output entry %d converts to nothing", entry);
}

}  // namespace

ConverterDialog::ConverterDialog() {
  BuildFromTemplate(*this, LoadDialogTemplate(IDD_MAIN_DIALOG));
  m_editName = findChild<QLineEdit*>(QStringLiteral("IDC_USER_NAME"));
  m_editMail = findChild<QLineEdit*>(QStringLiteral("IDC_MAIL_ADDRESS"));
  m_editPath = findChild<QLineEdit*>(QStringLiteral("IDC_MIX_PATH"));
  m_output = findChild<QComboBox*>(QStringLiteral("IDC_OUTPUT"));
  for (const Output& output : Outputs()) {
    if (output.OfferedBy(kOfferedByDesktop)) {
      m_output->addItem(LoadResourceString(output.label), output.label);
    }
  }
  // Modal to nothing: the result log window must stay usable while this dialog runs.
  setWindowModality(Qt::WindowModal);
  setAcceptDrops(true);

  connect(findChild<QPushButton*>(QStringLiteral("IDC_BROWSE")), &QPushButton::clicked, this,
          &ConverterDialog::OnBrowse);
  // Posted, as the exit command is: the result log's click handler returns first.
  connect(&m_resultLog, &ResultLogDialog::applicationExitRequested, this,
          &ConverterDialog::OnAppExit, Qt::QueuedConnection);
  AddAboutEntry();
  findChild<QPushButton*>(QStringLiteral("IDOK"))->setFocus();
}

void ConverterDialog::accept() {
  m_resultLog.ShowWindow();
  ActiveResultLog = &m_resultLog;
  const QByteArray path = QFile::encodeName(m_editPath->text());
  ConvertForUser(
      kProgramName,
      {path.toStdString(), m_editName->text().toStdString(), m_editMail->text().toStdString()},
      OutputOf(m_output->currentData().toInt()));
}

void ConverterDialog::OnBrowse() {
  QFileDialog dialog(this);
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A name typed for a file that does not exist yet is taken all the same.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QLatin1String(kIndexFileFilter));
  dialog.setDefaultSuffix(QLatin1String(kIndexSuffix));
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    m_editPath->setText(QDir::toNativeSeparators(dialog.selectedFiles().front()));
  }
}

void ConverterDialog::ShowAboutBox() {
  AboutDialog about(this);
  about.exec();
}

void ConverterDialog::OnAppExit() {
  for (QDialog* child : findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
    if (child->isVisible()) {
      child->reject();
    }
  }
  close();
}

void ConverterDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedLogFile(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  }
}

void ConverterDialog::dropEvent(QDropEvent* event) {
  const QString file = DroppedLogFile(event->mimeData());
  if (!file.isEmpty()) {
    m_editPath->setText(QDir::toNativeSeparators(IndexPathFor(file)));
    event->acceptProposedAction();
  }
}

// Without a system menu that an application can extend, the entry goes into the
// dialog's context menu.
void ConverterDialog::AddAboutEntry() {
  const QString text = LoadResourceString(IDS_ABOUTBOX);
  if (text.isEmpty()) {
    return;
  }
  setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  addAction(separator);
  auto* about = new QAction(text, this);
  about->setObjectName(QStringLiteral("IDM_ABOUTBOX"));
  connect(about, &QAction::triggered, this, &ConverterDialog::ShowAboutBox);
  addAction(about);
}

}  // namespace mixconv::ui
