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

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QWidget* listPage(const char* name, const char* list, const char* memo, const QString& hint);
  void buildToolBar();
  void buildMenus();

  TalvexProgram& program_;
  QTabWidget* pages_ = nullptr;
  QWidget* references_ = nullptr;
  QAction* structures_ = nullptr;
  bool firstShow_ = true;
};
