#include "TalvexProgram.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "Talvex1.h"
#include "TitlePge.h"
#include "talvex/match/Prf_Code.h"

TalvexProgram::TalvexProgram(const Options& o, platform::Dialogs& d) : dialogs(d) {
  // The program's windows are laid out for its display font.
  QApplication::setFont(QFont(QString::fromStdString(state.DisplayFont), state.DisplayFontSize));
  talvex::app::initStartup(state, o.edition, o.startDir.toStdString(), o.helpDir.toStdString(),
                           o.settingsPath.toStdString(), dialogs);
  title_ = std::make_unique<TTitlePage>(*this, o.randomMolecule);
  main_ = std::make_unique<TTalvexFm1>(*this);
}

TalvexProgram::~TalvexProgram() { database.closeAll(); }

double TalvexProgram::screenFactor() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen && std::lround(screen->logicalDotsPerInch()) == 120 ? 1.25 : 1.0;
}

void TalvexProgram::clearAllSpecifications() {
  if (!query.database) return;
  talvex::match::discardExperimentList(query);
  query.resetAll();
  // The tables close for reindexing: the next "Use Database" binds again.
  query.database = nullptr;
}

bool TalvexProgram::exitSequence() {
  if (hasExperimentList()) {
    if (!dialogs.confirm("Do you really want to quit this experiment list ? Confirm by clicking Yes now ...")) return false;
  } else if (hasSpecifications()) {
    if (!dialogs.confirm("Do you really want to quit these specifications ? Confirm by clicking Yes now ...")) return false;
  }
  query.MatchStopRequested = true;
  end(0);
  return true;
}

void TalvexProgram::end(int code) {
  if (ended_) return;
  ended_ = true;
  database.closeAll();
  if (title_) title_->stopRotation();
  emit terminated(code);
}
