// The query program as one object: its start-up state, its database, its
// dialogs and its windows. The program entry makes one; tests make one per
// case with scripted dialogs.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "platform/Dialogs.h"
#include "talvex/app/TalvexSubs.h"
#include "talvex/db/Database.h"
#include "talvex/match/QueryState.h"

class TTitlePage;
class TTalvexFm1;

class TalvexProgram : public QObject {
  Q_OBJECT
 public:
  struct Options {
    talvex::db::Edition edition = talvex::db::Edition::Full;
    QString startDir;       // the folder that holds the database folder
    QString helpDir;
    QString settingsPath;   // norwell.ini
    bool randomMolecule = true;
  };

  TalvexProgram(const Options& options, platform::Dialogs& dialogs);
  ~TalvexProgram() override;

  talvex::app::StartupState state;
  talvex::db::Database database;
  talvex::QueryState query;  // the specifications and the experiment list
  platform::Dialogs& dialogs;

  TTitlePage* titlePage() const { return title_.get(); }
  TTalvexFm1* mainWindow() const { return main_.get(); }

  // The screen factor: 1.25 on a screen of 120 pixels per inch, else 1.0.
  static double screenFactor();

  // True when an experiment list or any specification exists (filled in by
  // the specification pages).
  bool hasExperimentList() const { return !query.experiments.empty(); }
  bool hasSpecifications() const { return !query.AllEmpty; }
  // Reindexing discards the list and every specification without asking.
  void clearAllSpecifications();

  // The exit sequence: the questions, then the end of the program. Returns
  // false when the user keeps the program running.
  bool exitSequence();
  bool ended() const { return ended_; }

 signals:
  void terminated(int code);

 private:
  friend class TTitlePage;
  void end(int code);

  std::unique_ptr<TTitlePage> title_;
  std::unique_ptr<TTalvexFm1> main_;
  bool ended_ = false;
};
