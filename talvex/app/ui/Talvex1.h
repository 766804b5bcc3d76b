// The main window: the specification pages, the experiment list page, the
// browse page, the tool bar and the menus.
#pragma once

#include <QMainWindow>
#include <QTabWidget>

class TalvexProgram;
class QAction;
class QToolButton;

class TTalvexFm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TTalvexFm1(TalvexProgram& program);

  // After "Use Database": the edition's layout, then the "Experiment List" page.
  void openAfterUseDatabase();
  void structuresChanged();
  QString caption() const;
  QTabWidget* pages() const { return pages_; }

  void BackBtnClick();
  void ExitBtnClick();
  void notepadClick();
  void calculatorClick();
  void SITBtnClick();
  void see_hintsClick();
  bool hintsOn() const { return hintsOn_; }

  // The page help memos that the hint switch shows and hides.
  static constexpr const char* kHelpMemos[] = {"ExpTextMemo", "ExpTabsMemo", "RefTextMemo", "RefTabsMemo", "shref_txt",
                                               "MetTextMemo", "MetTabsMemo", "MetMatchMemo", "LigTextMemo", "LigTabsMemo"};

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct HelpMemo {
    const char* name;
    const char* text;
  };
  QWidget* listPage(const char* name, const char* list, const char* memo, const QString& hint,
                    std::initializer_list<HelpMemo> helpMemos = {});
  void buildToolBar();
  void buildMenus();

  TalvexProgram& program_;
  QTabWidget* pages_ = nullptr;
  QWidget* references_ = nullptr;
  QAction* structures_ = nullptr;
  QAction* hints_ = nullptr;
  bool hintsOn_ = true;
  bool firstShow_ = true;
};
