// The title window: titles and information pages, "Use Database", the
// progress display while index files are built, help, reindexing and exit.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "talvex/db/Database.h"

class TalvexProgram;
class QAction;

class TTitlePage : public QMainWindow, public talvex::db::IndexProgress {
  Q_OBJECT
 public:
  TTitlePage(TalvexProgram& program, bool randomMolecule);

  // Progress of index building.
  void begin() override;
  void message(std::string_view text) override;
  void gauge(std::int64_t position, std::int64_t maximum) override;
  void end() override;

  // Handlers (menus and buttons call the same ones).
  void UseDatabaseClick();
  void Reindex1Click();
  void ExitClick();
  void Structures1Click();
  void HideImage1Click();
  void Tile1Click();
  void Cascade1Click();
  void HelpContentsClick();
  void OverviewClick();
  void GettingStartedClick();
  void BackgroundClick();
  void About1Click();
  void Versions1Click();

  void stopRotation();
  void restartRotation();
  QString caption() const;

  QTabWidget* pages() const { return pages_; }
  QAction* reindexAction() const { return reindex_; }
  QAction* structuresAction() const { return structures_; }
  QAction* hideImageAction() const { return hideImage_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void buildMenus();
  QWidget* buildTitlesPage();
  void openHelp(const std::string& file, const QString& topic);

  TalvexProgram& program_;
  QTabWidget* pages_ = nullptr;
  QProgressBar* gauge_ = nullptr;
  QLabel* indexing_ = nullptr;
  QLabel* indexMsg_ = nullptr;
  QLabel* versionLabel_ = nullptr;
  QWidget* paintBox_ = nullptr;
  QTimer* timer_ = nullptr;
  QAction* reindex_ = nullptr;
  QAction* structures_ = nullptr;
  QAction* hideImage_ = nullptr;
  bool cursorSet_ = false;
};
