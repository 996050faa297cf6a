// Dialog templates and strings as the resources describe them.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The dialogs', controls' and strings' IDs, generated from the resources.
#include "resource_ids.h"

namespace mixconv::ui {

// A control ID of -1: a control the program never addresses, such as a label.
inline constexpr int kNoControlId = -1;

struct ControlTemplate {
  int id = kNoControlId;
  QString name;  // the ID's symbolic name, such as "IDC_MIX_PATH"
  QString kind;  // "button", "edit", "static", "listbox", "combobox" or "icon"
  QString text;
  // In dialog units. A combo box's height, as in Windows' templates, is that of
  // its open list; the closed box is as high as its font needs.
  QRect rect;
  QStringList styles;

  bool HasStyle(const char* style) const { return styles.contains(QLatin1String(style)); }
};

struct DialogTemplate {
  int id = 0;
  QString name;
  QString title;
  QSize size;  // of the client area, in dialog units
  QStringList styles;
  QString fontFamily;
  int fontPointSize = 0;
  QList<ControlTemplate> controls;  // in template order, which is the tab order
};

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Registers the resources' stand-ins for template fonts the machine may lack.
void RegisterFontSubstitutes();

// Aborts with a message when the compiled-in resources lack the template.
DialogTemplate LoadDialogTemplate(int id);
// Empty when the string table has no such entry.
QString LoadResourceString(int id);

}  // namespace mixconv::ui
