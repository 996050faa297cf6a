#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

#include "tests/support/conversion_harness.h"
#include "ui/about_dialog.h"
#include "ui/converter_app.h"
#include "ui/converter_dialog.h"
#include "ui/dialog_builder.h"

// Readable failure messages for Qt strings.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace mixconv::ui {
namespace {

using testing::MailLogBuilder;
using testing::TempDir;
namespace kind = testing::kind;

QStringList Items(const QListWidget& list) {
  QStringList items;
  for (int i = 0; i < list.count(); ++i) {
    items.append(list.item(i)->text());
  }
  return items;
}

template <typename T>
T* Control(const QWidget& dialog, const char* name) {
  T* control = dialog.findChild<T*>(QLatin1String(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

// Clicks through the window system, so that a window blocked by a modal dialog ignores it.
void ClickAsUser(QWidget* widget) {
  QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, {},
                    widget->mapTo(widget->window(), widget->rect().center()));
}

// Answers a modal dialog once it is up: the answer runs inside the dialog's own loop.
void WhenModalDialogOpens(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    answer(QApplication::activeModalWidget());
  });
}

class ConverterDialogTest : public ::testing::Test {
 protected:
  void TearDown() override { ActiveResultLog = nullptr; }

  QLineEdit* Field(const char* name) { return Control<QLineEdit>(dialog_, name); }
  QStringList LogLines() { return Items(*dialog_.resultLog().list()); }

  ConverterDialog dialog_;
};

TEST(DialogTemplateTest, ControlsSitWhereTheTemplateSaysInTabOrder) {
  ConverterDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), "mixconv");
  const DialogUnits units(dialog.font());
  EXPECT_EQ(dialog.size(), units.ToPixels(QSize(235, 145)));
  auto* ok = Control<QPushButton>(dialog, "IDOK");
  EXPECT_EQ(ok->geometry(), units.ToPixels(QRect(178, 7, 50, 14)));
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(Control<QPushButton>(dialog, "IDCANCEL")->text(), "ｷｬﾝｾﾙ");
  EXPECT_EQ(Control<QLabel>(dialog, "IDC_STATIC_5")->text(),
            "Pelorin → mbx変換 (Morvath)\n\nPelorinのメールインデックスファイル( .MIX )を\n"
            "指定してください。");
  EXPECT_EQ(Control<QLabel>(dialog, "IDC_STATIC_11")->text(), "出力形式:");

  QStringList tabOrder;
  for (QWidget* widget = ok; tabOrder.size() < 7; widget = widget->nextInFocusChain()) {
    if (widget->focusPolicy() & Qt::TabFocus) {
      tabOrder.append(widget->objectName());
    }
  }
  EXPECT_EQ(tabOrder, (QStringList{"IDOK", "IDCANCEL", "IDC_MIX_PATH", "IDC_BROWSE",
                                   "IDC_USER_NAME", "IDC_MAIL_ADDRESS", "IDC_OUTPUT"}));
  EXPECT_EQ(dialog.resultLog().windowTitle(), "変換結果");
}

// The template's height is the open list's; closed, the box is as high as its font needs.
TEST(DialogTemplateTest, TheOutputListOffersEveryOutputReadableMboxFirst) {
  ConverterDialog dialog;
  auto* output = Control<QComboBox>(dialog, "IDC_OUTPUT");
  const QRect rect = DialogUnits(dialog.font()).ToPixels(QRect(7, 126, 221, 60));
  EXPECT_EQ(output->geometry(),
            QRect(rect.topLeft(), QSize(rect.width(), output->sizeHint().height())));
  EXPECT_LE(output->sizeHint().width(), output->width()) << "an entry is cut";
  EXPECT_LE(output->geometry().bottom(), dialog.height());
  QStringList entries;
  for (int i = 0; i < output->count(); ++i) {
    entries.append(output->itemText(i));
  }
  EXPECT_EQ(entries,
            (QStringList{"mbox (UTF-8, Thunderbird など今のメールソフト用)",
                         "元の形式の mbox (以前の変換と同じ)",
                         ".eml ファイル (1 通 1 ファイル, Outlook・Windows メール用)", "Maildir"}));
  EXPECT_EQ(output->currentData().toInt(), IDS_OUTPUT_READABLE_MBOX);
}

TEST(ResultLogTest, StartsHiddenOwnerlessAndKeepsEveryLineWithoutScrolling) {
  ResultLogDialog log;
  EXPECT_FALSE(log.isVisible());
  EXPECT_TRUE(log.isWindow());
  EXPECT_EQ(log.parentWidget(), nullptr);
  log.ShowWindow();
  for (int i = 0; i < 100; ++i) {
    log.AddLine(i % 2 ? "same line" : "skip one binary mail.");
  }
  EXPECT_EQ(log.list()->count(), 100);
  EXPECT_EQ(log.list()->verticalScrollBar()->value(), 0);
  EXPECT_EQ(log.list()->item(98)->text(), "skip one binary mail.");

  QTest::keyClick(&log, Qt::Key_Escape);
  EXPECT_FALSE(log.isVisible());
  log.ShowWindow();
  EXPECT_EQ(log.list()->count(), 100);
}

TEST_F(ConverterDialogTest, EmptyFieldsConvertAndReportTheMissingIndex) {
  dialog_.show();
  ClickAsUser(Control<QPushButton>(dialog_, "IDOK"));
  EXPECT_TRUE(dialog_.resultLog().isVisible());
  EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog_.resultLog()));
  EXPECT_EQ(LogLines(), QStringList{"mixconv: .MIX file open failed."});
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_TRUE(Field("IDC_MIX_PATH")->text().isEmpty());

  for (const char* field : {"IDC_MIX_PATH", "IDC_USER_NAME", "IDC_MAIL_ADDRESS"}) {
    QTest::keyClick(Field(field), Qt::Key_Return);
  }
  EXPECT_EQ(LogLines().size(), 4);
}

TEST_F(ConverterDialogTest, RunsAppendAndTheMailboxHoldsTheLastRun) {
  testing::PinTimeZone();
  const TempDir dir;
  const std::string base = (dir.path() / "LOG").string();
  MailLogBuilder().AddMail(kind::kSent, "Desk\r\n").WriteFiles(base);
  Field("IDC_MIX_PATH")->setText(QString::fromStdString(base + ".MIX"));
  Field("IDC_USER_NAME")->setText("山田");
  Field("IDC_MAIL_ADDRESS")->setText("taro@example.jp");
  auto* output = Control<QComboBox>(dialog_, "IDC_OUTPUT");
  output->setCurrentIndex(output->findData(IDS_OUTPUT_ORIGINAL_MBOX));
  dialog_.accept();
  dialog_.resultLog().hide();
  Field("IDC_USER_NAME")->setText("鈴木");
  dialog_.accept();
  EXPECT_TRUE(dialog_.resultLog().isVisible());
  EXPECT_EQ(LogLines(), (QStringList{"convert 1/1 mail", "convert 1/1 mail"}));
  EXPECT_EQ(testing::ReadFileBytes(base + ".mbx"),
            "From - Thu Jan 01 09:00:00 1970\r\nFrom: \x97\xE9\x96\xD8 <taro@example.jp>\r\n"
            "Date: 01 Jan 1970 09:00:00\r\n");

  Field("IDC_USER_NAME")->setText("smile 😀");
  dialog_.accept();
  EXPECT_EQ(LogLines().back(), "mixconv: name: contains U+1F600, which has no Shift_JIS form");
}

constexpr const char* kSampleLog[] = {"SAMPLE.MIX", "SAMPLE.TXT"};

// What a run wrote beside the sample log: every file and folder by its path
// there, with a file's bytes.
std::map<std::string, std::string> WrittenBesideTheLog(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().lexically_relative(dir).generic_string();
    if (std::ranges::find(kSampleLog, name) != std::end(kSampleLog)) {
      continue;
    }
    files[entry.is_directory() ? name + "/" : name] =
        entry.is_directory() ? std::string() : testing::ReadFileBytes(entry.path());
  }
  return files;
}

// The sample log converted by the dialog and by mixconv-cli with each entry's
// option: the same files beside the log, names and bytes. The first entry is
// left as the dialog starts.
TEST_F(ConverterDialogTest, EachOutputIsMixconvClisOutputForIt) {
  const std::map<int, const char*> cliOptions = {
      {IDS_OUTPUT_READABLE_MBOX, ""},
      {IDS_OUTPUT_ORIGINAL_MBOX, "--original"},
      {IDS_OUTPUT_EML_FOLDER, "--eml"},
      {IDS_OUTPUT_MAILDIR, "--maildir"},
  };
  const std::filesystem::path samples = MIXCONV_SAMPLES_DIR;
  auto* output = Control<QComboBox>(dialog_, "IDC_OUTPUT");
  dialog_.show();
  for (int i = 0; i < output->count(); ++i) {
    if (i > 0) {
      output->setCurrentIndex(i);
    }
    const int entry = output->currentData().toInt();
    ASSERT_TRUE(cliOptions.contains(entry)) << output->itemText(i).toStdString();
    const std::string option = cliOptions.at(entry);
    const TempDir byDialog;
    const TempDir byCli;
    const std::filesystem::path cliLog = byCli.path() / "log";
    std::filesystem::create_directory(cliLog);
    for (const std::filesystem::path& dir : {byDialog.path(), cliLog}) {
      for (const char* file : kSampleLog) {
        std::filesystem::copy_file(samples / file, dir / file);
      }
    }
    std::vector<std::string> arguments = {"--name", "山田 太郎", "--email", "taro@example.jp"};
    if (!option.empty()) {
      arguments.push_back(option);
    }
    arguments.push_back("log/SAMPLE.MIX");
    ASSERT_EQ(testing::RunProgramIn(byCli.path(), MIXCONV_CLI_PATH, arguments).status, 0);

    Field("IDC_MIX_PATH")
        ->setText(QString::fromStdString((byDialog.path() / "SAMPLE.MIX").string()));
    Field("IDC_USER_NAME")->setText("山田 太郎");
    Field("IDC_MAIL_ADDRESS")->setText("taro@example.jp");
    dialog_.accept();
    EXPECT_EQ(LogLines().back(), "convert 5/6 mail") << option;
    const auto written = WrittenBesideTheLog(byDialog.path());
    EXPECT_FALSE(written.empty()) << option;
    EXPECT_EQ(written, WrittenBesideTheLog(cliLog)) << option;
  }
}

TEST_F(ConverterDialogTest, EnterInTheResultLogAfterAConversionEndsTheProgram) {
  WhenModalDialogOpens([this](QWidget*) {
    QTest::keyClick(Field("IDC_USER_NAME"), Qt::Key_Return);
    QTRY_VERIFY(QApplication::activeWindow() == &dialog_.resultLog());
    QTest::keyClick(dialog_.resultLog().windowHandle(), Qt::Key_Return);
  });
  EXPECT_EQ(dialog_.exec(), QDialog::Rejected);
  EXPECT_FALSE(dialog_.isVisible());
}

TEST_F(ConverterDialogTest, CancelEndsTheProgramWhileTheResultLogIsShown) {
  dialog_.resultLog().ShowWindow();
  WhenModalDialogOpens([this](QWidget* modal) {
    EXPECT_EQ(modal, &dialog_);
    ClickAsUser(Control<QPushButton>(dialog_, "IDCANCEL"));
  });
  EXPECT_EQ(dialog_.exec(), QDialog::Rejected);
}

TEST_F(ConverterDialogTest, AboutBoxBlocksOnlyTheMainDialog) {
  QAction* about = Control<QAction>(dialog_, "IDM_ABOUTBOX");
  EXPECT_EQ(about->text(), "ﾊﾞｰｼﾞｮﾝ情報(mixconv) (&A)...");
  EXPECT_TRUE(dialog_.actions().front()->isSeparator());
  dialog_.resultLog().ShowWindow();
  WhenModalDialogOpens([&](QWidget*) { about->trigger(); });
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(qobject_cast<AboutDialog*>(QApplication::activeModalWidget()) != nullptr);
    QWidget* aboutBox = QApplication::activeModalWidget();
    EXPECT_EQ(aboutBox->windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報 mixconv");
    ClickAsUser(Control<QPushButton>(dialog_, "IDOK"));
    EXPECT_TRUE(LogLines().isEmpty());
    ClickAsUser(Control<QPushButton>(dialog_.resultLog(), "IDOK"));
  });
  EXPECT_EQ(dialog_.exec(), QDialog::Rejected);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ConverterDialogTest, ResultLogStaysUsableWhileTheFileDialogIsOpen) {
  dialog_.resultLog().ShowWindow();
  WhenModalDialogOpens(
      [this](QWidget*) { ClickAsUser(Control<QPushButton>(dialog_, "IDC_BROWSE")); });
  QTimer::singleShot(0, [this] {
    QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr);
    ClickAsUser(Control<QPushButton>(dialog_.resultLog(), "IDOK"));
  });
  EXPECT_EQ(dialog_.exec(), QDialog::Rejected);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ConverterDialogTest, BrowseTakesATypedNameWithTheMixSuffix) {
  const TempDir dir;
  Field("IDC_USER_NAME")->setText("kept");
  const auto browseAndType = [&](const QString& typed, bool confirm) {
    WhenModalDialogOpens([&](QWidget* modal) {
      auto* fileDialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(fileDialog, nullptr);
      EXPECT_EQ(fileDialog->nameFilters(), QStringList{"Mail Index File (*.mix)"});
      fileDialog->setDirectory(QString::fromStdString(dir.path().string()));
      fileDialog->selectFile(typed);
      QMetaObject::invokeMethod(fileDialog, confirm ? "accept" : "reject");
    });
    dialog_.OnBrowse();
  };
  browseAndType("MISSING", true);
  const QString expected = QString::fromStdString((dir.path() / "MISSING.mix").string());
  EXPECT_EQ(Field("IDC_MIX_PATH")->text(), expected);
  browseAndType("OTHER", false);
  EXPECT_EQ(Field("IDC_MIX_PATH")->text(), expected);
  EXPECT_EQ(Field("IDC_USER_NAME")->text(), "kept");

  // The file dialog's history is not kept between runs.
  const std::filesystem::path home = qEnvironmentVariable("HOME").toStdString();
  for (const auto& entry : std::filesystem::recursive_directory_iterator(home)) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("QtProject")) << entry.path();
  }
}

TEST_F(ConverterDialogTest, DroppedLogFilesFillThePath) {
  dialog_.show();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/m/LOG.TXT")});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&dialog_, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&dialog_, &drop);
  EXPECT_EQ(Field("IDC_MIX_PATH")->text(), "/m/LOG.MIX");
}

TEST(ToolkitTextsTest, TheFileDialogSpeaksJapaneseUnderAJapaneseLocale) {
  QTranslator translator;
  ASSERT_TRUE(LoadToolkitTranslations(translator, QLocale(QLocale::Japanese, QLocale::Japan)))
      << "Debian package qt6-translations-l10n";
  QApplication::installTranslator(&translator);
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const QString lookIn = Control<QLabel>(dialog, "lookInLabel")->text();
  QApplication::removeTranslator(&translator);
  EXPECT_NE(lookIn, "Look in:");
  EXPECT_TRUE(std::any_of(lookIn.begin(), lookIn.end(), [](QChar c) {
    return c.script() == QChar::Script_Katakana || c.script() == QChar::Script_Han ||
           c.script() == QChar::Script_Hiragana;
  })) << lookIn.toStdString();
}

TEST(RestartTest, ANewMainDialogStartsEmpty) {
  {
    ConverterDialog first;
    first.findChild<QLineEdit*>("IDC_USER_NAME")->setText("name");
    auto* output = first.findChild<QComboBox*>("IDC_OUTPUT");
    output->setCurrentIndex(output->count() - 1);
    first.accept();
    ActiveResultLog = nullptr;
  }
  ConverterDialog second;
  for (const char* field : {"IDC_MIX_PATH", "IDC_USER_NAME", "IDC_MAIL_ADDRESS"}) {
    EXPECT_TRUE(second.findChild<QLineEdit*>(field)->text().isEmpty());
  }
  EXPECT_EQ(second.findChild<QComboBox*>("IDC_OUTPUT")->currentIndex(), 0);
  EXPECT_EQ(second.resultLog().list()->count(), 0);
}

}  // namespace
}  // namespace mixconv::ui
