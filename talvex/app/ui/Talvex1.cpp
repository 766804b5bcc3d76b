#include "Talvex1.h"

#include <QCloseEvent>
#include <QTabBar>
#include <algorithm>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "TalvexProgram.h"
#include "TitlePge.h"
#include "platform/Desktop.h"

using talvex::db::Edition;

TTalvexFm1::TTalvexFm1(TalvexProgram& program) : program_(program) {
  const bool full = program_.state.Edition == Edition::Full;
  setObjectName(QStringLiteral("TalvexFm1"));
  setWindowTitle(caption());
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->addTab(listPage("Ligands", "LigList", "LigTotal", QStringLiteral("Ligands specified by name, formula, CAS number or class")),
                 QStringLiteral("Specify Ligands"));
  pages_->addTab(listPage("Metals", "MetList", "MetTotal", QStringLiteral("Metal ions specified by name or group")),
                 QStringLiteral("Specify Metals"));
  references_ = listPage("References", "RefList", "RefTotal", QStringLiteral("References specified by journal, author or year"));
  pages_->addTab(references_, QStringLiteral("Specify References"));
  pages_->addTab(listPage("TalvexExpDet", "DetailsList", "ExpTotal", QStringLiteral("Experimental details")),
                 QStringLiteral("Specify Experimental Details"));
  pages_->addTab(listPage("Browse", "BrowseList", "Memo1", QStringLiteral("Browse the data files")), QStringLiteral("Browse"));
  pages_->addTab(listPage("Profile", "ExptList", "first_memo", QStringLiteral("The experiment list")),
                 QStringLiteral("Experiment List"));
  pages_->setTabVisible(2, full);
  setCentralWidget(pages_);
  buildToolBar();
  buildMenus();

  // 639 x 420 at the screen factor, wider when the page captions need it.
  const double f = TalvexProgram::screenFactor();
  resize(std::max(static_cast<int>(639 * f), pages_->tabBar()->sizeHint().width() + 16), static_cast<int>(420 * f));
  setMinimumWidth(635);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2 - 10);
  }
}

QString TTalvexFm1::caption() const {
  return QStringLiteral("Main Window  :  ") + QString::fromStdString(program_.state.ProgramName);
}

QWidget* TTalvexFm1::listPage(const char* name, const char* list, const char* memo, const QString& hint) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(page);
  auto* summary = new QPlainTextEdit(page);
  summary->setObjectName(QString::fromLatin1(memo));
  summary->setReadOnly(true);
  summary->setMaximumHeight(72);
  summary->setPlaceholderText(hint);
  auto* box = new QListWidget(page);
  box->setObjectName(QString::fromLatin1(list));
  box->setSelectionMode(QAbstractItemView::ExtendedSelection);
  layout->addWidget(summary);
  layout->addWidget(box, 1);
  return page;
}

void TTalvexFm1::buildToolBar() {
  const bool full = program_.state.Edition == Edition::Full;
  const QString name = QString::fromStdString(program_.state.ProgramName);
  auto* bar = addToolBar(QStringLiteral("Tools"));
  bar->setObjectName(QStringLiteral("Panel1"));
  bar->setMovable(false);
  struct Button {
    const char* name;
    const char* icon;
    QString hint;
    bool enabled;
    void (TTalvexFm1::*handler)();
  };
  const Button buttons[] = {
      {"ExitBtn", "application-exit", QStringLiteral("Close ") + name, true, &TTalvexFm1::ExitBtnClick},
      {"newlist", "document-new", QStringLiteral("Erase list of experiments and remove display windows\nbut retain all specifications"), false, nullptr},
      {"loadlist", "document-open", QStringLiteral("Reload an existing list of experiments\nwith the specifications data"), false, nullptr},
      {"savelist", "document-save", QStringLiteral("Save the list of experiments with the specifications data to a named disk file "), false, nullptr},
      {"savedata", "document-save-as", QStringLiteral("Export raw data for all experiments in list\nto a named disk file"), false, nullptr},
      {"clipdata", "edit-copy", QStringLiteral("Export raw data for all experiments in list to the ClipBoard"), false, nullptr},
      {"printdata", "document-print", QStringLiteral("Export formatted data for all experiments in list to printer"), false, nullptr},
      {"FullDisplay", "document-page-setup", QStringLiteral("Display experiment data for a single experiment in the list"), false, nullptr},
      {"CondDisplay", "view-list", QStringLiteral("Display experiment data in condensed format for a batch of experiments in the list"), false, nullptr},
      {"Brows", "system-search", QStringLiteral("Browse through any of the data in the database"), false, nullptr},
      {"TalvexHelpBtn", "help-contents", full ? QStringLiteral("Help in using Orvale") : QStringLiteral("Help in using Mini-Orvale"), true, nullptr},
      {"BkgHelpBtn", "help-browser", QStringLiteral("Background help on stability constants,\ntheir use and factors which influence their magnitude"), true, nullptr},
      {"BackBtn", "go-previous", QStringLiteral("Recall Title window\n(Statistics, New User etc.)"), true, &TTalvexFm1::BackBtnClick},
      {"notepad", "accessories-text-editor", QStringLiteral("Text editor"), true, &TTalvexFm1::notepadClick},
      {"calculator", "accessories-calculator", QStringLiteral("Calculator"), true, &TTalvexFm1::calculatorClick},
  };
  for (const Button& b : buttons) {
    auto* tb = new QToolButton(bar);
    tb->setObjectName(QString::fromLatin1(b.name));
    tb->setIcon(platform::themeIcon(QString::fromLatin1(b.icon)));
    tb->setToolTip(b.hint);
    tb->setEnabled(b.enabled);
    bar->addWidget(tb);
    if (b.handler) connect(tb, &QToolButton::clicked, this, b.handler);
  }
  TTitlePage* title = program_.titlePage();
  connect(findChild<QToolButton*>(QStringLiteral("TalvexHelpBtn")), &QToolButton::clicked, title, &TTitlePage::HelpContentsClick);
  connect(findChild<QToolButton*>(QStringLiteral("BkgHelpBtn")), &QToolButton::clicked, title, &TTitlePage::BackgroundClick);
}

void TTalvexFm1::buildMenus() {
  const QString name = QString::fromStdString(program_.state.ProgramName);
  TTitlePage* title = program_.titlePage();
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&New    (Cancel Experiment List + All Specifications)"))->setEnabled(false);
  file->addAction(QStringLiteral("&Open   (Reload Experiment List + Specifications)"))->setEnabled(false);
  file->addAction(QStringLiteral("&Save   (Record Experiment List + Specifications)"))->setEnabled(false);
  file->addAction(QStringLiteral("&Printer Setup"))->setEnabled(false);
  file->addSeparator();
  QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &TTalvexFm1::ExitBtnClick);
  exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

  QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
  windows->addAction(QStringLiteral("&Open Title Window"), this, &TTalvexFm1::BackBtnClick);
  structures_ = windows->addAction(title->structuresAction()->text(), title, &TTitlePage::Structures1Click);
  structures_->setVisible(program_.state.StructuresAvailable);
  windows->addAction(QStringLiteral("&Tile"), this, [this] { program_.dialogs.inform("No child windows to tile !"); });
  windows->addAction(QStringLiteral("&Cascade"), this, [this] { program_.dialogs.inform("No child windows to cascade !"); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(QStringLiteral("&Help on ") + name, title, &TTitlePage::HelpContentsClick);
  help->addAction(QStringLiteral("&Overview"), title, &TTitlePage::OverviewClick);
  help->addAction(QStringLiteral("&Getting Started"), title, &TTitlePage::GettingStartedClick);
  help->addAction(QStringLiteral("&Background Help"), title, &TTitlePage::BackgroundClick);
  help->addAction(QStringLiteral("Help &About"), title, &TTitlePage::About1Click);
  help->addAction(QStringLiteral("Version Numbers"), title, &TTitlePage::Versions1Click);
}

void TTalvexFm1::openAfterUseDatabase() {
  const bool full = program_.state.Edition == Edition::Full;
  pages_->setTabVisible(2, full);
  if (firstShow_) {
    firstShow_ = false;
    if (auto* memo = findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))) {
      memo->setPlainText(QStringLiteral("To browse any of the data files of %1,\nclick on the relevant button above (or select from the\nBrowse sub-menu)")
                             .arg(full ? QStringLiteral("Orvale") : QStringLiteral("Mini-Orvale")));
    }
  }
  structuresChanged();
  pages_->setCurrentIndex(5);
  show();
  raise();
  activateWindow();
}

void TTalvexFm1::structuresChanged() {
  structures_->setText(program_.titlePage()->structuresAction()->text());
  structures_->setVisible(program_.titlePage()->structuresAction()->isVisible());
}

void TTalvexFm1::BackBtnClick() {
  program_.titlePage()->show();
  program_.titlePage()->raise();
  program_.titlePage()->restartRotation();
}

void TTalvexFm1::ExitBtnClick() { close(); }

void TTalvexFm1::notepadClick() {
  if (!platform::startTextEditor()) program_.dialogs.inform("No text editor could be started (xdg-open is missing).");
}

void TTalvexFm1::calculatorClick() {
  if (!platform::startCalculator())
    program_.dialogs.inform("No calculator was found: install gnome-calculator, kcalc, galculator or xcalc.");
}

void TTalvexFm1::closeEvent(QCloseEvent* event) {
  if (program_.ended()) {
    event->accept();
    return;
  }
  program_.titlePage()->show();
  if (program_.exitSequence()) {
    program_.titlePage()->close();
    event->accept();
  } else {
    event->ignore();
  }
}

void TTalvexFm1::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) setWindowTitle(caption());
  QMainWindow::changeEvent(event);
}
