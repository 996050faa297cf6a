#include "ui/dialog_builder.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ui/app_icon.h"

namespace mixconv::ui {

namespace {

constexpr char kAverageWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kHorizontalUnitsPerBase = 4;
constexpr int kVerticalUnitsPerBase = 8;

QWidget* CreateControl(const ControlTemplate& control, QDialog& dialog) {
  if (control.kind == QLatin1String("button")) {
    auto* button = new QPushButton(control.text, &dialog);
    button->setDefault(control.HasStyle("default"));
    return button;
  }
  if (control.kind == QLatin1String("combobox")) {
    return new QComboBox(&dialog);
  }
  if (control.kind == QLatin1String("edit")) {
    auto* edit = new QLineEdit(control.text, &dialog);
    edit->setFrame(control.HasStyle("border"));
    return edit;
  }
  if (control.kind == QLatin1String("listbox")) {
    auto* list = new QListWidget(&dialog);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The list never gets a horizontal extent: wide lines are cut at the right edge.
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setTextElideMode(Qt::ElideNone);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFrameShape(control.HasStyle("border") ? QFrame::StyledPanel : QFrame::NoFrame);
    return list;
  }
  if (control.kind == QLatin1String("icon")) {
    auto* picture = new QLabel(&dialog);
    picture->setPixmap(AppIcon().pixmap(kLargeIconSize, kLargeIconSize));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
  }
  auto* label = new QLabel(control.text, &dialog);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QRect Geometry(const QWidget* widget, const DialogUnits& units, const ControlTemplate& control) {
  QRect rect = units.ToPixels(control.rect);
  if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
    rect.setHeight(combo->sizeHint().height());
  }
  return rect;
}

QString ObjectName(const ControlTemplate& control, int position) {
  return control.name.isEmpty() ? QStringLiteral("IDC_STATIC_%1").arg(position) : control.name;
}

// A modal frame with a caption and a system menu: title and close box, no
// minimise or maximise box, whatever the window manager would add by default.
Qt::WindowFlags FrameFlags(const DialogTemplate& dialogTemplate) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
  if (dialogTemplate.styles.contains(QLatin1String("caption"))) {
    flags |= Qt::WindowTitleHint;
  }
  if (dialogTemplate.styles.contains(QLatin1String("sysmenu"))) {
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  }
  return flags;
}

// OK and Cancel reach the dialog's accept and reject, which a dialog may override.
void ConnectStandardButton(const ControlTemplate& control, QWidget* widget, QDialog& dialog) {
  auto* button = qobject_cast<QPushButton*>(widget);
  if (button == nullptr) {
    return;
  }
  if (control.id == kIdOk) {
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
  } else if (control.id == kIdCancel) {
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);
  }
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int sampleWidth = metrics.horizontalAdvance(QLatin1String(kAverageWidthSample));
  baseWidth_ = (sampleWidth / 26 + 1) / 2;
  baseHeight_ = metrics.height();
}

QRect DialogUnits::ToPixels(const QRect& units) const {
  return {units.x() * baseWidth_ / kHorizontalUnitsPerBase,
          units.y() * baseHeight_ / kVerticalUnitsPerBase,
          units.width() * baseWidth_ / kHorizontalUnitsPerBase,
          units.height() * baseHeight_ / kVerticalUnitsPerBase};
}

QSize DialogUnits::ToPixels(const QSize& units) const {
  return ToPixels(QRect(QPoint(0, 0), units)).size();
}

void BuildFromTemplate(QDialog& dialog, const DialogTemplate& dialogTemplate) {
  QFont font(dialogTemplate.fontFamily, dialogTemplate.fontPointSize);
  dialog.setFont(font);
  dialog.setObjectName(dialogTemplate.name);
  dialog.setWindowTitle(dialogTemplate.title);
  dialog.setWindowIcon(AppIcon());
  dialog.setWindowFlags(FrameFlags(dialogTemplate));
  const DialogUnits units(dialog.font());
  dialog.setFixedSize(units.ToPixels(dialogTemplate.size));

  QWidget* previous = nullptr;
  int position = 0;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = CreateControl(control, dialog);
    widget->setObjectName(ObjectName(control, ++position));
    widget->setGeometry(Geometry(widget, units, control));
    ConnectStandardButton(control, widget, dialog);
    if (!control.HasStyle("tabstop")) {
      widget->setFocusPolicy(Qt::NoFocus);
    } else {
      if (previous != nullptr) {
        QWidget::setTabOrder(previous, widget);
      }
      previous = widget;
    }
  }
}

}  // namespace mixconv::ui
