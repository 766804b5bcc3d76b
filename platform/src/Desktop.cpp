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
