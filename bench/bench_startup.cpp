// The query program's start on the synthetic full-scale database: the first
// "Use Database" that builds every index file, and a later start that finds
// them all, from creating the windows to the main window.
//
//   build/bench/bench_startup            (ORVALE_BENCH_DB=START_DIR to use another database)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>

#include "SyntheticDatabase.h"
#include "Talvex1.h"
#include "TalvexProgram.h"
#include "TitlePge.h"
#include "platform/QtDialogs.h"

namespace fs = std::filesystem;

namespace {

void removeIndexFiles(const fs::path& dir) {
  for (const auto& e : fs::directory_iterator(dir)) {
    std::string ext = e.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".nsx" || ext == ".ia" || e.path().filename() == "Publications.dbf") fs::remove(e.path());
  }
}

TalvexProgram::Options options() {
  TalvexProgram::Options o;
  o.edition = talvex::db::Edition::Full;
  o.startDir = QString::fromStdString(bench::syntheticStartFolder().string());
  o.helpDir = QStringLiteral("help");
  o.settingsPath = QString::fromStdString((fs::temp_directory_path() / "orvale-bench-norwell.ini").string());
  return o;
}

// Every index and text index built, with the title window's gauge and the
// message processing of the real program.
void BM_FirstUseDatabase(benchmark::State& state) {
  const fs::path db = bench::syntheticStartFolder() / "OrvaleQuery";
  platform::QtDialogs dialogs(QStringLiteral("OrvaleQuery"));
  for (auto _ : state) {
    state.PauseTiming();
    removeIndexFiles(db);
    TalvexProgram program(options(), dialogs);
    program.titlePage()->show();
    state.ResumeTiming();
    program.titlePage()->UseDatabaseClick();
    if (!program.mainWindow()->isVisible()) state.SkipWithError("the main window did not open");
  }
}
BENCHMARK(BM_FirstUseDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);

// From creating the windows to the main window, index files present.
void BM_LaterStart(benchmark::State& state) {
  platform::QtDialogs dialogs(QStringLiteral("OrvaleQuery"));
  {
    TalvexProgram warm(options(), dialogs);
    warm.titlePage()->UseDatabaseClick();
  }
  for (auto _ : state) {
    TalvexProgram program(options(), dialogs);
    program.titlePage()->show();
    program.titlePage()->UseDatabaseClick();
    QCoreApplication::processEvents();
    if (!program.mainWindow()->isVisible()) state.SkipWithError("the main window did not open");
  }
}
BENCHMARK(BM_LaterStart)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
