// Development tool: writes PNG pictures of the query program's windows, for
// looking at them. Usage: grab_windows OUT_FOLDER (set QT_FONT_DPI=120 for a
// 120 dots-per-inch screen).
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTabWidget>
#include <cstdio>
#include <filesystem>

#include "Talvex1.h"
#include "TalvexProgram.h"
#include "TitlePge.h"
#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"
#include "talvex/spec/Specifications.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(out);
  // Qt scales windows by the device pixel ratio; the physical dots per inch
  // are the logical ones times that ratio.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = static_cast<int>(screen->logicalDotsPerInch() * screen->devicePixelRatio() + 0.5);

  orvale::makedb::Dataset demo;
  std::string error;
  if (!orvale::makedb::readDemoData(ORVALE_DEMO_DATA_DIR, demo, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::filesystem::path start = std::filesystem::temp_directory_path() / "orvale-grab";
  std::filesystem::remove_all(start);
  for (const auto edition : {talvex::db::Edition::Full, talvex::db::Edition::Mini}) {
    const auto& info = talvex::db::editionInfo(edition);
    orvale::makedb::WriteOptions o;
    o.edition = edition;
    o.fullForCrossReference = &demo;
    const auto data = edition == talvex::db::Edition::Full ? demo : orvale::makedb::miniSubset(demo);
    if (!orvale::makedb::writeDatabase(data, (start / info.programName).string(), o, error)) return 1;

    platform::SilentDialogs dialogs;
    TalvexProgram::Options options;
    options.edition = edition;
    options.startDir = QString::fromStdString(start.string());
    options.helpDir = QStringLiteral("help");
    options.settingsPath = QString::fromStdString((start / "norwell.ini").string());
    TalvexProgram program(options, dialogs);
    const QString prefix = QStringLiteral("%1/%2-%3dpi-").arg(out, QString::fromLatin1(info.programName)).arg(dpi);
    TTitlePage* title = program.titlePage();
    title->show();
    for (int page = 0; page < title->pages()->count(); ++page) {
      title->pages()->setCurrentIndex(page);
      QApplication::processEvents();
      title->grab().save(prefix + QStringLiteral("title-%1.png").arg(page));
    }
    title->pages()->setCurrentIndex(0);
    title->UseDatabaseClick();
    QApplication::processEvents();
    program.mainWindow()->grab().save(prefix + QStringLiteral("main.png"));
    // A small match: three ligands with hydrogen and copper(II).
    TTalvexFm1* main = program.mainWindow();
    main->pages()->setCurrentIndex(0);
    for (int record : {1, 2, 3}) talvex::spec::addLigandRecord(program.query, program.database, record, dialogs);
    main->pages()->setCurrentIndex(1);
    talvex::spec::addMetalRecord(program.query, program.database, 0);
    main->pages()->setCurrentIndex(0);
    main->refreshAll();
    QApplication::processEvents();
    main->grab().save(prefix + QStringLiteral("main-ligands.png"));
    main->DoExtractProfileClick();
    QApplication::processEvents();
    main->grab().save(prefix + QStringLiteral("main-matched.png"));
  }
  std::printf("pictures in %s (%d dpi)\n", qPrintable(out), dpi);
  return 0;
}
