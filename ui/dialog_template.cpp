#include "ui/dialog_template.h"

#include <QFile>
#include <QFont>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtGlobal>

namespace mixconv::ui {

namespace {

constexpr char kDialogsResource[] = ":/mixconv/dialogs.json";
constexpr char kStringsResource[] = ":/mixconv/strings.json";

QJsonObject ReadResource(const char* path) {
  QFile file(QString::fromLatin1(path));
  if (!file.open(QIODevice::ReadOnly)) {
    qFatal("mixconv: resource %s is missing", path);
  }
  return QJsonDocument::fromJson(file.readAll()).object();
}

QStringList ToStringList(const QJsonValue& value) {
  QStringList list;
  for (const QJsonValue& item : value.toArray()) {
    list.append(item.toString());
  }
  return list;
}

QRect ToRect(const QJsonValue& value) {
  const QJsonArray numbers = value.toArray();
  return {numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(), numbers[3].toInt()};
}

ControlTemplate ToControl(const QJsonObject& object) {
  ControlTemplate control;
  control.id = object[QLatin1String("id")].toInt(kNoControlId);
  control.name = object[QLatin1String("name")].toString();
  control.kind = object[QLatin1String("kind")].toString();
  control.text = object[QLatin1String("text")].toString();
  control.rect = ToRect(object[QLatin1String("rect")]);
  control.styles = ToStringList(object[QLatin1String("styles")]);
  return control;
}

}  // namespace

void RegisterFontSubstitutes() {
  const QJsonObject substitutes =
      ReadResource(kDialogsResource)[QLatin1String("fontSubstitutes")].toObject();
  for (auto family = substitutes.begin(); family != substitutes.end(); ++family) {
    QFont::insertSubstitutions(family.key(), ToStringList(family.value()));
  }
}

DialogTemplate LoadDialogTemplate(int id) {
  const QJsonArray dialogs = ReadResource(kDialogsResource)[QLatin1String("dialogs")].toArray();
  for (const QJsonValue& value : dialogs) {
    const QJsonObject object = value.toObject();
    if (object[QLatin1String("id")].toInt() != id) {
      continue;
    }
    DialogTemplate dialog;
    dialog.id = id;
    dialog.name = object[QLatin1String("name")].toString();
    dialog.title = object[QLatin1String("title")].toString();
    const QJsonArray size = object[QLatin1String("size")].toArray();
    dialog.size = {size[0].toInt(), size[1].toInt()};
    dialog.styles = ToStringList(object[QLatin1String("styles")]);
    const QJsonObject font = object[QLatin1String("font")].toObject();
    dialog.fontFamily = font[QLatin1String("family")].toString();
    dialog.fontPointSize = font[QLatin1String("pointSize")].toInt();
    for (const QJsonValue& control : object[QLatin1String("controls")].toArray()) {
      dialog.controls.append(ToControl(control.toObject()));
    }
    return dialog;
  }
  qFatal("mixconv: dialog template %d is missing", id);
}

QString LoadResourceString(int id) {
  const QJsonObject strings = ReadResource(kStringsResource);
  return strings[QString::number(id)].toObject()[QLatin1String("text")].toString();
}

}  // namespace mixconv::ui
