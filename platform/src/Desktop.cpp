#include "platform/Desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

bool startTextEditor(const QString& file) {
  QString path = file;
  if (path.isEmpty()) {
    path = QDir::temp().filePath(QStringLiteral("orvale-notes.txt"));
    QFile f(path);
    if (!f.exists() && f.open(QIODevice::WriteOnly)) f.close();
  }
  return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

QString findCalculator() {
  for (const char* name : {"gnome-calculator", "kcalc", "galculator", "xcalc"}) {
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (!found.isEmpty()) return found;
  }
  return {};
}

bool startCalculator() {
  const QString calc = findCalculator();
  return !calc.isEmpty() && QProcess::startDetached(calc, {});
}

bool startProgram(const QString& name) {
  QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
  if (!QFileInfo(path).isExecutable()) path = QStandardPaths::findExecutable(name);
  return !path.isEmpty() && QProcess::startDetached(path, {});
}

bool openHelp(const QString& htmlFile, const QString& topic) {
  if (!QFileInfo::exists(htmlFile)) return false;
  QUrl url = QUrl::fromLocalFile(QFileInfo(htmlFile).absoluteFilePath());
  if (!topic.isEmpty()) url.setFragment(topic);
  return QDesktopServices::openUrl(url);
}

}  // namespace platform

namespace platform {

QIcon themeIcon(const QString& name) {
  static const bool ready = [] {
    // Platforms without a desktop theme (offscreen, bare X servers) know no
    // icon folders: add the desktop's data folders.
    QStringList paths = QIcon::themeSearchPaths();
    QStringList data = qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (data.isEmpty()) data = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    for (const QString& d : data)
      if (!paths.contains(d + QStringLiteral("/icons"))) paths << d + QStringLiteral("/icons");
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
      QIcon::setThemeName(QStringLiteral("Adwaita"));
    return true;
  }();
  Q_UNUSED(ready);
  if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  return QIcon::fromTheme(name + QStringLiteral("-symbolic"));
}

}  // namespace platform
