// The main window: the specification pages, the experiment list page, the
// browse page, the tool bar and the menus. Handlers read controls, call the
// specification and matching logic, and mirror the results.
#pragma once

#include <QMainWindow>
#include <QTabWidget>
#include <initializer_list>

#include "talvex/match/QueryState.h"

class TalvexProgram;
class QAction;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

class TTalvexFm1 : public QMainWindow, public talvex::spec::SpecWindow, public talvex::match::MatchWindow {
  Q_OBJECT
 public:
  explicit TTalvexFm1(TalvexProgram& program);

  // After "Use Database": the edition's layout, then the "Experiment List" page.
  void openAfterUseDatabase();
  void structuresChanged();
  QString caption() const;
  QTabWidget* pages() const { return pages_; }

  // Handlers (menu items, speed buttons and page buttons share them).
  void BackBtnClick();
  void ExitBtnClick();
  void notepadClick();
  void calculatorClick();
  void SITBtnClick();
  void see_hintsClick();
  void DoExtractProfileClick();
  void DoCancelProfileClick();
  void DoClearSpecificationClick();
  void DoSeeFullDisplayClick();
  void DoSeeCondDisplayClick();
  void DoPrintDataClick();
  void PQuit_BtnClick();
  void listButtonClick(talvex::spec::ListKind kind, int operation);

  bool hintsOn() const { return hintsOn_; }
  // Brings the list boxes, summary memos, page buttons and list commands up
  // to date with the specifications and the experiment list.
  void refreshAll();

  // The page help memos that the hint switch shows and hides.
  static constexpr const char* kHelpMemos[] = {"ExpTextMemo", "ExpTabsMemo", "RefTextMemo", "RefTabsMemo", "shref_txt",
                                               "MetTextMemo", "MetTabsMemo", "MetMatchMemo", "LigTextMemo", "LigTabsMemo"};

  // SpecWindow
  void showPage(talvex::spec::ListKind kind) override;
  void updateListButtons(talvex::spec::ListKind kind) override;
  // MatchWindow
  void matchStarted(std::int64_t gaugeMaximum) override;
  void gauge(std::int64_t position) override;
  void matchMessage(std::string_view text) override;
  void matchEnded() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct HelpMemo {
    const char* name;
    const char* text;
  };
  QWidget* listPage(talvex::spec::ListKind kind, const char* name, const char* list, const char* memo,
                    const char* prefix, const char* noun, std::initializer_list<HelpMemo> helpMemos);
  QWidget* textPage(const char* name, const char* memo, const QString& text, std::initializer_list<HelpMemo> helpMemos);
  QWidget* profilePage();
  void buildToolBar();
  void buildMenus();
  void pageChanged(int index);
  void endFirstUse();
  void refreshList(talvex::spec::ListKind kind);
  void updateCommands();
  QListWidget* listBox(talvex::spec::ListKind kind) const;
  void setEnabledByName(const char* name, bool enabled, bool visible = true);

  TalvexProgram& program_;
  QTabWidget* pages_ = nullptr;
  QAction* structures_ = nullptr;
  QAction* hints_ = nullptr;
  QPlainTextEdit* prfMemo_ = nullptr;
  QLabel* prfMsg_ = nullptr;
  QProgressBar* prfGauge_ = nullptr;
  QPushButton* pquit_ = nullptr;
  bool hintsOn_ = true;
  bool firstShow_ = true;
  bool firstUse_ = true;
  bool mirroring_ = false;
  int currentPage_ = 5;
};
