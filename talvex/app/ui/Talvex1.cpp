#include "Talvex1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
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
  pages_->addTab(listPage("Ligands", "LigList", "LigTotal", QStringLiteral("Ligands specified by name, formula, CAS number or class"),
                          {{"LigTextMemo", "Type an empirical formula, a name or a CAS number, choose how to match it, then click Search."},
                           {"LigTabsMemo", "Each search adds to the ligand list; highlight lines to keep them and reject the rest."}}),
                 QStringLiteral("Specify Ligands"));
  pages_->addTab(listPage("Metals", "MetList", "MetTotal", QStringLiteral("Metal ions specified by name or group"),
                          {{"MetTextMemo", "Type a metal ion (e.g. Cu2+) or tick a group of metals, then click Search."},
                           {"MetTabsMemo", "Hydrogen / Deuterium gives the protonation constants."},
                           {"MetMatchMemo", "Each search adds to the metal list."}}),
                 QStringLiteral("Specify Metals"));
  references_ = listPage("References", "RefList", "RefTotal", QStringLiteral("References specified by journal, author or year"),
                         {{"RefTextMemo", "Type a journal, an author, a short reference or a year range, then click Search."},
                          {"RefTabsMemo", "A year range alone limits every match to those years."},
                          {"shref_txt", "Short references are the year and three letters, e.g. 1984PEa."}});
  pages_->addTab(references_, QStringLiteral("Specify References"));
  pages_->addTab(listPage("TalvexExpDet", "DetailsList", "ExpTotal", QStringLiteral("Experimental details"),
                          {{"ExpTextMemo", "Choose the method, medium, ionic strength, temperature or a constant's range."},
                           {"ExpTabsMemo", "Details narrow the experiments found for the ligands, metals and references."}}),
                 QStringLiteral("Specify Experimental Details"));
  pages_->addTab(listPage("Browse", "BrowseList", "Memo1", QStringLiteral("Browse the data files")), QStringLiteral("Browse"));
  pages_->addTab(listPage("Profile", "ExptList", "PrfMemo", QStringLiteral("No specifications made yet"),
                          {{"first_memo", "New here? Specify ligands, metals, references or experimental details on the "
                                          "pages above, then click Match Specifications."}}),
                 QStringLiteral("Experiment List"));
  pages_->setTabVisible(2, full);
  setCentralWidget(pages_);
  buildToolBar();
  buildMenus();
  qApp->installEventFilter(this);

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

QWidget* TTalvexFm1::listPage(const char* name, const char* list, const char* memo, const QString& hint,
                              std::initializer_list<HelpMemo> helpMemos) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(page);
  for (const HelpMemo& m : helpMemos) {
    auto* help = new QLabel(QString::fromLatin1(m.text), page);
    help->setObjectName(QString::fromLatin1(m.name));
    help->setWordWrap(true);
    help->setStyleSheet(QStringLiteral("color: #1f3a68;"));
    layout->addWidget(help);
  }
  auto* summary = new QPlainTextEdit(page);
  summary->setObjectName(QString::fromLatin1(memo));
  summary->setReadOnly(true);
  summary->setMaximumHeight(72);
  summary->setPlaceholderText(hint);
  auto* box = new QListWidget(page);
  box->setObjectName(QString::fromLatin1(list));
  box->setSelectionMode(QAbstractItemView::MultiSelection);
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
      {"SITBtn", "accessories-dictionary", QStringLiteral("Correct for ionic strength changes using Specific Interaction Theory (SIT)"), true, &TTalvexFm1::SITBtnClick},
      {"see_hints", "dialog-information", QStringLiteral("Suppresses all hints  (click a second time\nto re-enable all hints - including this one)"), true, &TTalvexFm1::see_hintsClick},
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
  const bool full = program_.state.Edition == Edition::Full;
  const QString name = QString::fromStdString(program_.state.ProgramName);
  TTitlePage* title = program_.titlePage();
  // Items whose commands are not available yet stay visible but disabled.
  const auto item = [this](QMenu* menu, const QString& caption, const char* objectName) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(objectName));
    a->setEnabled(false);
    return a;
  };
  const auto page = [this](int index) { return [this, index] { pages_->setCurrentIndex(index); }; };

  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  item(file, QStringLiteral("&New    (Cancel Experiment List + All Specifications)"), "New1");
  item(file, QStringLiteral("&Open   (Reload Experiment List + Specifications)"), "Open1");
  item(file, QStringLiteral("&Save   (Record Experiment List + Specifications)"), "Save1");
  item(file, QStringLiteral("&Printer Setup"), "PrinterSetup1");
  file->addSeparator();
  QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &TTalvexFm1::ExitBtnClick);
  exit->setObjectName(QStringLiteral("Exit1"));
  exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

  QMenu* ligands = menuBar()->addMenu(QStringLiteral("&Ligand List"));
  ligands->addAction(QStringLiteral("Specify Ligands by Name/Formula"), this, page(0))->setObjectName(QStringLiteral("LigByName1"));
  item(ligands, QStringLiteral("Specify Ligands by Class/Structure"), "LigClass1");
  item(ligands, QStringLiteral("&Search Ligand File"), "LigDoNew1");
  item(ligands, QStringLiteral("&Clear Ligand Specification"), "LigSpecClr1");

  QMenu* metals = menuBar()->addMenu(QStringLiteral("&Metal List"));
  metals->addAction(QStringLiteral("Specify Metals"), this, page(1))->setObjectName(QStringLiteral("SpecMetals1"));
  item(metals, QStringLiteral("&Search Metal File"), "MetDoNew1");
  item(metals, QStringLiteral("&Clear Metal Specification"), "MetSpecClr1");
  item(metals, QStringLiteral("Compare Constants ForTwo Metals"), "CompareMets1")->setVisible(full);

  QMenu* references = menuBar()->addMenu(QStringLiteral("&Reference List"));
  references->menuAction()->setVisible(full);
  references->addAction(QStringLiteral("Specify References"), this, page(2))->setObjectName(QStringLiteral("SpecRefs1"));
  item(references, QStringLiteral("&Search Reference File"), "RefDoNew1");
  item(references, QStringLiteral("&Clear Reference Specification"), "RefSpecClr1");

  QMenu* details = menuBar()->addMenu(QStringLiteral("E&xperimental Details"));
  details->addAction(QStringLiteral("Specify Experimental Details"), this, page(3))->setObjectName(QStringLiteral("SpecDetails1"));
  item(details, QStringLiteral("&Clear Experimental Details"), "ExpSpecClr1");

  QMenu* list = menuBar()->addMenu(QStringLiteral("&Experiment List"));
  list->addAction(QStringLiteral("Enter 'Experiment List' Tabbed Page"), this, page(5))->setObjectName(QStringLiteral("EnterProfile1"));
  item(list, QStringLiteral("&Match Specifications"), "DoExtractProfile1");
  item(list, QStringLiteral("&Reload Experiment List"), "DoLoadProfile1");
  item(list, QStringLiteral("&Save Experiment List to Disk"), "DoSaveProfile1");
  item(list, QStringLiteral("&Protonate Experiment List"), "Protonate1")->setVisible(full);
  QMenu* sort = list->addMenu(QStringLiteral("S&ort Experiment List"));
  sort->setObjectName(QStringLiteral("Sort1"));
  sort->menuAction()->setVisible(full);
  sort->menuAction()->setEnabled(false);
  for (const char* order : {"by Ligand / Metal / Reference", "by Metal / Ligand / Reference", "by Ligand / Reference / Metal",
                            "by Reference / Ligand / Metal", "by Reference / Metal / Ligand", "by log K1 Value (descending)"})
    sort->addAction(QString::fromLatin1(order))->setEnabled(false);
  item(list, QStringLiteral("&Full Display (single expt.)"), "FullDisplay1");
  item(list, QStringLiteral("&Condensed Display"), "CondDisplay1");
  item(list, QStringLiteral("&Experiment Data To Printer"), "PrintData1");
  item(list, QStringLiteral("Experiment Data To &Disk"), "SaveData1");
  item(list, QStringLiteral("Experiment Data to Clip&Board"), "ClipData1");
  item(list, QStringLiteral("Cancel E&xperiment List"), "DoCancelProfile1");
  item(list, QStringLiteral("Cancel List / &All Specifications"), "DoClearSpecification1");

  QMenu* browse = menuBar()->addMenu(QStringLiteral("&Browse Database"));
  browse->addAction(QStringLiteral("Enter 'Browse' Tabbed Page"), this, page(4))->setObjectName(QStringLiteral("EnterBrowse1"));
  item(browse, QStringLiteral("Browse &Experiment File"), "BrwsExpt1");
  item(browse, QStringLiteral("Browse &Ligand File"), "BrwsLig1");
  item(browse, QStringLiteral("Browse &Metal File"), "BrwsMet1");
  item(browse, QStringLiteral("Browse &Reference File"), "BrwsRef1")->setVisible(full);
  item(browse, QStringLiteral("Browse &Author Names"), "BrwsAuth1")->setVisible(full);

  QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
  windows->addAction(QStringLiteral("&Open Title Window"), this, &TTalvexFm1::BackBtnClick)->setObjectName(QStringLiteral("OpenTitle1"));
  structures_ = windows->addAction(title->structuresAction()->text(), title, &TTitlePage::Structures1Click);
  structures_->setObjectName(QStringLiteral("Structures1"));
  structures_->setVisible(program_.state.StructuresAvailable);
  windows->addAction(QStringLiteral("&Tile"), this, [this] { program_.dialogs.inform("No child windows to tile !"); })
      ->setObjectName(QStringLiteral("Tile1"));
  windows->addAction(QStringLiteral("&Cascade"), this, [this] { program_.dialogs.inform("No child windows to cascade !"); })
      ->setObjectName(QStringLiteral("Cascade1"));

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(QStringLiteral("&Help on ") + name, title, &TTitlePage::HelpContentsClick);
  help->addAction(QStringLiteral("&Overview"), title, &TTitlePage::OverviewClick);
  help->addAction(QStringLiteral("&Getting Started"), title, &TTitlePage::GettingStartedClick);
  help->addAction(QStringLiteral("&Background Help"), title, &TTitlePage::BackgroundClick);
  help->addAction(QStringLiteral("Help &About"), title, &TTitlePage::About1Click);
  help->addAction(QStringLiteral("Version Numbers"), title, &TTitlePage::Versions1Click);
  help->addSeparator();
  hints_ = help->addAction(QStringLiteral("&Suppress Hints"), this, &TTalvexFm1::see_hintsClick);
  hints_->setObjectName(QStringLiteral("SuppressHints1"));
}

void TTalvexFm1::see_hintsClick() {
  hintsOn_ = !hintsOn_;
  // Tooltips follow the switch through an event filter on the application.
  for (const char* memo : kHelpMemos)
    if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(memo))) w->setVisible(hintsOn_);
  hints_->setText(hintsOn_ ? QStringLiteral("&Suppress Hints") : QStringLiteral("&See Hints"));
}

bool TTalvexFm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip && !hintsOn_) return true;
  return QMainWindow::eventFilter(watched, event);
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

void TTalvexFm1::SITBtnClick() {
  // The correction program is optional: nothing is shown when it is absent.
  platform::startProgram(QStringLiteral("ionvar"));
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
