#include "ui/index_path.h"

#include <QFileInfo>

namespace mixconv::ui {

QString IndexPathFor(const QString& path) {
  const QString suffix = QFileInfo(path).suffix();
  if (suffix.compare(QLatin1String("mix"), Qt::CaseInsensitive) == 0) {
    return path;
  }
  if (suffix.compare(QLatin1String("txt"), Qt::CaseInsensitive) != 0) {
    return {};
  }
  const QString indexSuffix =
      suffix == suffix.toLower() ? QStringLiteral("mix") : QStringLiteral("MIX");
  return path.left(path.size() - suffix.size()) + indexSuffix;
}

}  // namespace mixconv::ui
