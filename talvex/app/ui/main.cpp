// The query program's entry: splash, windows, message loop. ORVALE_FULL_EDITION
// selects the edition of the executable.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "Picture.h"
#include "TalvexProgram.h"
#include "TitlePge.h"
#include "platform/QtDialogs.h"

namespace {

QString helpFolder() {
  const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help"));
  return QFileInfo::exists(beside) ? beside : QStringLiteral(ORVALE_HELP_DIR);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
#ifdef ORVALE_FULL_EDITION
  const auto edition = talvex::db::Edition::Full;
#else
  const auto edition = talvex::db::Edition::Mini;
#endif
  const QString name = QString::fromLatin1(talvex::db::editionInfo(edition).programName);
  app.setApplicationName(name);
  app.setQuitOnLastWindowClosed(false);

  // Splash: borderless, on top, centred, one picture.
  QWidget splash(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(&splash);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new Picture(QStringLiteral(":/pictures/splash.svg"), &splash));
  const double f = TalvexProgram::screenFactor();
  splash.resize(static_cast<int>(482 * f), static_cast<int>(311 * f));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    splash.move(screen->availableGeometry().center() - splash.rect().center());
  splash.show();
  splash.repaint();
  QCoreApplication::processEvents();

  platform::QtDialogs dialogs(name);
  TalvexProgram::Options options;
  options.edition = edition;
  options.startDir = QDir::currentPath();
  options.helpDir = helpFolder();
  options.settingsPath = QString::fromStdString(talvex::app::defaultSettingsPath());
  TalvexProgram program(options, dialogs);
  dialogs.setParent(program.titlePage());
  QObject::connect(&program, &TalvexProgram::terminated, &app, [&app](int code) { app.exit(code); });

  splash.hide();
  program.titlePage()->show();
  return app.exec();
}
