#include "Talvex1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
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
#include "platform/QtDialogs.h"
#include "talvex/match/Prf_Code.h"
#include "talvex/spec/Specifications.h"

using talvex::db::Edition;

TTalvexFm1::TTalvexFm1(TalvexProgram& program) : program_(program) {
  const bool full = program_.state.Edition == Edition::Full;
  setObjectName(QStringLiteral("TalvexFm1"));
  setWindowTitle(caption());
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  using talvex::spec::ListKind;
  pages_->addTab(listPage(ListKind::Ligand, "Ligands", "LigList", "LigTotal", "Lig", "Ligands",
                          {{"LigTextMemo", "Type an empirical formula, a name or a CAS number, choose how to match it, then click Search."},
                           {"LigTabsMemo", "Each search adds to the ligand list; highlight lines to keep them and reject the rest."}}),
                 QStringLiteral("Specify Ligands"));
  pages_->addTab(listPage(ListKind::Metal, "Metals", "MetList", "MetTotal", "Met", "Metals",
                          {{"MetTextMemo", "Type a metal ion (e.g. Cu2+) or tick a group of metals, then click Search."},
                           {"MetTabsMemo", "Hydrogen / Deuterium gives the protonation constants."},
                           {"MetMatchMemo", "Each search adds to the metal list."}}),
                 QStringLiteral("Specify Metals"));
  pages_->addTab(listPage(ListKind::Reference, "References", "RefList", "RefTotal", "Ref", "References",
                          {{"RefTextMemo", "Type a journal, an author, a short reference or a year range, then click Search."},
                           {"RefTabsMemo", "A year range alone limits every match to those years."},
                           {"shref_txt", "Short references are the year and three letters, e.g. 1984PEa."}}),
                 QStringLiteral("Specify References"));
  pages_->addTab(textPage("TalvexExpDet", "ExpTotal", QStringLiteral("No experimental details specified"),
                          {{"ExpTextMemo", "Choose the method, medium, ionic strength, temperature or a constant's range."},
                           {"ExpTabsMemo", "Details narrow the experiments found for the ligands, metals and references."}}),
                 QStringLiteral("Specify Experimental Details"));
  pages_->addTab(textPage("Browse", "Memo1", QString(), {}), QStringLiteral("Browse"));
  pages_->addTab(profilePage(), QStringLiteral("Experiment List"));
  pages_->setTabVisible(2, full);
  setCentralWidget(pages_);
  buildToolBar();
  buildMenus();
  qApp->installEventFilter(this);
  connect(pages_, &QTabWidget::currentChanged, this, &TTalvexFm1::pageChanged);

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

QWidget* TTalvexFm1::textPage(const char* name, const char* memo, const QString& text,
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
  auto* summary = new QPlainTextEdit(text, page);
  summary->setObjectName(QString::fromLatin1(memo));
  summary->setReadOnly(true);
  layout->addWidget(summary, 1);
  return page;
}

QWidget* TTalvexFm1::listPage(talvex::spec::ListKind kind, const char* name, const char* list, const char* memo,
                              const char* prefix, const char* noun, std::initializer_list<HelpMemo> helpMemos) {
  QWidget* page = textPage(name, memo, QString(), helpMemos);
  auto* layout = static_cast<QVBoxLayout*>(page->layout());
  auto* summary = page->findChild<QPlainTextEdit*>(QString::fromLatin1(memo));
  layout->setStretchFactor(summary, 0);
  summary->setMaximumHeight(64);
  auto* box = new QListWidget(page);
  box->setObjectName(QString::fromLatin1(list));
  // A click toggles one line: the line's selection is its entry's highlight.
  box->setSelectionMode(QAbstractItemView::MultiSelection);
  QFont fixed(QStringLiteral("Courier New"));
  fixed.setStyleHint(QFont::TypeWriter);
  box->setFont(fixed);
  box->viewport()->installEventFilter(this);
  connect(box, &QListWidget::itemSelectionChanged, this, [this, kind, box] {
    if (mirroring_) return;
    auto& l = program_.query.list(kind);
    for (int i = 0; i < box->count() && i < l.count(); ++i) l.setHighlighted(i + 1, box->item(i)->isSelected());
  });
  layout->addWidget(box, 1);

  const bool references = kind == talvex::spec::ListKind::Reference;
  const QString p = QString::fromLatin1(prefix);
  const QString n = QString::fromLatin1(noun);
  struct Button { QString name, caption; };
  const Button buttons[] = {
      {p + QStringLiteral("ListSelAll"), references ? QStringLiteral("Highlight All References") : QStringLiteral("Highlight All")},
      {p + QStringLiteral("ListSelNone"), QStringLiteral("Highlight None")},
      {p + QStringLiteral("ListInvert"), references ? QStringLiteral("Invert Reference Highlights") : QStringLiteral("Invert Highlights")},
      {p + QStringLiteral("ListSel"), QStringLiteral("Reject non-Highlighted ") + n},
      {p + QStringLiteral("SpecClr"), QStringLiteral("Clear %1 Specification").arg(n.chopped(1))},
  };
  auto* row = new QHBoxLayout;
  for (int op = 0; op < 5; ++op) {
    auto* b = new QPushButton(buttons[op].caption, page);
    b->setObjectName(buttons[op].name);
    b->setEnabled(false);
    connect(b, &QPushButton::clicked, this, [this, kind, op] { listButtonClick(kind, op); });
    if (op == 4) row->addStretch(1);
    row->addWidget(b);
  }
  layout->addLayout(row);
  return page;
}

QWidget* TTalvexFm1::profilePage() {
  QWidget* page = textPage("Profile", "PrfMemo", QStringLiteral("No specifications made yet"),
                           {{"first_memo", "New here? Specify ligands, metals, references or experimental details on the "
                                           "pages above, then click Match Specifications."}});
  auto* layout = static_cast<QVBoxLayout*>(page->layout());
  prfMemo_ = page->findChild<QPlainTextEdit*>(QStringLiteral("PrfMemo"));
  QFont fixed(QStringLiteral("Courier New"));
  fixed.setStyleHint(QFont::TypeWriter);
  prfMemo_->setFont(fixed);

  auto* progress = new QHBoxLayout;
  prfMsg_ = new QLabel(page);
  prfMsg_->setObjectName(QStringLiteral("prf_msg"));
  prfGauge_ = new QProgressBar(page);
  prfGauge_->setObjectName(QStringLiteral("prf_gauge"));
  prfGauge_->setToolTip(QStringLiteral("Shows progress of experiment list while matching specifications"));
  pquit_ = new QPushButton(QStringLiteral("Stop"), page);
  pquit_->setObjectName(QStringLiteral("PQuit_Btn"));
  pquit_->setToolTip(QStringLiteral("Click here to accept the incomplete list of experiments"));
  connect(pquit_, &QPushButton::clicked, this, &TTalvexFm1::PQuit_BtnClick);
  progress->addWidget(prfMsg_);
  progress->addWidget(prfGauge_, 1);
  progress->addWidget(pquit_);
  for (QWidget* w : {static_cast<QWidget*>(prfMsg_), static_cast<QWidget*>(prfGauge_), static_cast<QWidget*>(pquit_)}) w->hide();
  layout->addLayout(progress);

  auto* row = new QHBoxLayout;
  const std::pair<const char*, const char*> buttons[] = {{"DoExtractProfile", "Match Specifications"},
                                                         {"DoCancelProfile", "Cancel Experiment List"},
                                                         {"DoClearSpecification", "Cancel List/All Specifications"}};
  for (const auto& [name, caption] : buttons) {
    auto* b = new QPushButton(QString::fromLatin1(caption), page);
    b->setObjectName(QString::fromLatin1(name));
    b->setEnabled(false);
    row->addWidget(b);
  }
  row->addStretch(1);
  layout->addLayout(row);
  connect(page->findChild<QPushButton*>(QStringLiteral("DoExtractProfile")), &QPushButton::clicked, this,
          &TTalvexFm1::DoExtractProfileClick);
  connect(page->findChild<QPushButton*>(QStringLiteral("DoCancelProfile")), &QPushButton::clicked, this,
          &TTalvexFm1::DoCancelProfileClick);
  connect(page->findChild<QPushButton*>(QStringLiteral("DoClearSpecification")), &QPushButton::clicked, this,
          &TTalvexFm1::DoClearSpecificationClick);
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
      {"newlist", "document-new", QStringLiteral("Erase list of experiments and remove display windows\nbut retain all specifications"), false, &TTalvexFm1::DoCancelProfileClick},
      {"loadlist", "document-open", QStringLiteral("Reload an existing list of experiments\nwith the specifications data"), false, nullptr},
      {"savelist", "document-save", QStringLiteral("Save the list of experiments with the specifications data to a named disk file "), false, nullptr},
      {"savedata", "document-save-as", QStringLiteral("Export raw data for all experiments in list\nto a named disk file"), false, nullptr},
      {"clipdata", "edit-copy", QStringLiteral("Export raw data for all experiments in list to the ClipBoard"), false, nullptr},
      {"printdata", "document-print", QStringLiteral("Export formatted data for all experiments in list to printer"), false, &TTalvexFm1::DoPrintDataClick},
      {"FullDisplay", "document-page-setup", QStringLiteral("Display experiment data for a single experiment in the list"), false, &TTalvexFm1::DoSeeFullDisplayClick},
      {"CondDisplay", "view-list", QStringLiteral("Display experiment data in condensed format for a batch of experiments in the list"), false, &TTalvexFm1::DoSeeCondDisplayClick},
      {"Brows", "system-search", QStringLiteral("Browse through any of the data in the database"), true, nullptr},
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
  connect(findChild<QToolButton*>(QStringLiteral("Brows")), &QToolButton::clicked, this, [this] { pages_->setCurrentIndex(4); });
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
  file->addAction(QStringLiteral("&New    (Cancel Experiment List + All Specifications)"), this,
                  &TTalvexFm1::DoClearSpecificationClick)->setObjectName(QStringLiteral("New1"));
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
  ligands->addAction(QStringLiteral("&Clear Ligand Specification"), this, [this] { listButtonClick(talvex::spec::ListKind::Ligand, 4); })
      ->setObjectName(QStringLiteral("LigSpecClr1"));

  QMenu* metals = menuBar()->addMenu(QStringLiteral("&Metal List"));
  metals->addAction(QStringLiteral("Specify Metals"), this, page(1))->setObjectName(QStringLiteral("SpecMetals1"));
  item(metals, QStringLiteral("&Search Metal File"), "MetDoNew1");
  metals->addAction(QStringLiteral("&Clear Metal Specification"), this, [this] { listButtonClick(talvex::spec::ListKind::Metal, 4); })
      ->setObjectName(QStringLiteral("MetSpecClr1"));
  item(metals, QStringLiteral("Compare Constants ForTwo Metals"), "CompareMets1")->setVisible(full);

  QMenu* references = menuBar()->addMenu(QStringLiteral("&Reference List"));
  references->menuAction()->setVisible(full);
  references->addAction(QStringLiteral("Specify References"), this, page(2))->setObjectName(QStringLiteral("SpecRefs1"));
  item(references, QStringLiteral("&Search Reference File"), "RefDoNew1");
  references->addAction(QStringLiteral("&Clear Reference Specification"), this,
                        [this] { listButtonClick(talvex::spec::ListKind::Reference, 4); })
      ->setObjectName(QStringLiteral("RefSpecClr1"));

  QMenu* details = menuBar()->addMenu(QStringLiteral("E&xperimental Details"));
  details->addAction(QStringLiteral("Specify Experimental Details"), this, page(3))->setObjectName(QStringLiteral("SpecDetails1"));
  details->addAction(QStringLiteral("&Clear Experimental Details"), this, [this] {
    talvex::spec::clearDetails(program_.query);
    refreshAll();
  })->setObjectName(QStringLiteral("ExpSpecClr1"));

  QMenu* list = menuBar()->addMenu(QStringLiteral("&Experiment List"));
  list->addAction(QStringLiteral("Enter 'Experiment List' Tabbed Page"), this, page(5))->setObjectName(QStringLiteral("EnterProfile1"));
  list->addAction(QStringLiteral("&Match Specifications"), this, &TTalvexFm1::DoExtractProfileClick)
      ->setObjectName(QStringLiteral("DoExtractProfile1"));
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
  list->addAction(QStringLiteral("Cancel E&xperiment List"), this, &TTalvexFm1::DoCancelProfileClick)
      ->setObjectName(QStringLiteral("DoCancelProfile1"));
  list->addAction(QStringLiteral("Cancel List / &All Specifications"), this, &TTalvexFm1::DoClearSpecificationClick)
      ->setObjectName(QStringLiteral("DoClearSpecification1"));

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
  // A press on the empty ligand list.
  if (event->type() == QEvent::MouseButtonPress && program_.query.ligands.empty()) {
    if (QListWidget* box = listBox(talvex::spec::ListKind::Ligand); box && watched == box->viewport()) {
      program_.dialogs.inform("No ligands for which to show details");
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TTalvexFm1::openAfterUseDatabase() {
  const bool full = program_.state.Edition == Edition::Full;
  auto& q = program_.query;
  if (q.database != &program_.database) {
    q.attach(program_.state, program_.database);
    q.window = this;
    q.matchWindow = this;
  }
  pages_->setTabVisible(2, full);
  if (firstShow_) {
    firstShow_ = false;
    if (auto* memo = findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))) {
      memo->setPlainText(QStringLiteral("To browse any of the data files of %1,\nclick on the relevant button above (or select from the\nBrowse sub-menu)")
                             .arg(full ? QStringLiteral("Orvale") : QStringLiteral("Mini-Orvale")));
    }
  }
  structuresChanged();
  refreshAll();
  pages_->setCurrentIndex(5);
  show();
  raise();
  activateWindow();
}

QListWidget* TTalvexFm1::listBox(talvex::spec::ListKind kind) const {
  static const char* const names[] = {"LigList", "MetList", "RefList"};
  return findChild<QListWidget*>(QString::fromLatin1(names[static_cast<int>(kind)]));
}

void TTalvexFm1::setEnabledByName(const char* name, bool enabled, bool visible) {
  const QString n = QString::fromLatin1(name);
  for (QWidget* w : findChildren<QWidget*>(n)) {
    w->setEnabled(enabled);
    if (!visible) w->hide();
  }
  for (QAction* a : findChildren<QAction*>(n)) {
    a->setEnabled(enabled);
    a->setVisible(visible);
  }
}

void TTalvexFm1::refreshList(talvex::spec::ListKind kind) {
  const auto& l = program_.query.list(kind);
  QListWidget* box = listBox(kind);
  mirroring_ = true;
  box->clear();
  for (int i = 1; i <= l.count(); ++i) {
    auto* item = new QListWidgetItem(platform::fromStored(l.line(i)), box);
    item->setSelected(l.highlighted(i));
  }
  mirroring_ = false;
  static const char* const memos[] = {"LigTotal", "MetTotal", "RefTotal"};
  findChild<QPlainTextEdit*>(QString::fromLatin1(memos[static_cast<int>(kind)]))
      ->setPlainText(platform::fromStored(l.summaryText));
  updateListButtons(kind);
}

void TTalvexFm1::updateListButtons(talvex::spec::ListKind kind) {
  static const char* const prefixes[] = {"Lig", "Met", "Ref"};
  const QString p = QString::fromLatin1(prefixes[static_cast<int>(kind)]);
  const bool any = !program_.query.list(kind).empty();
  for (const char* op : {"ListSelAll", "ListSelNone", "ListInvert", "ListSel", "SpecClr"})
    if (auto* b = findChild<QPushButton*>(p + QString::fromLatin1(op))) b->setEnabled(any);
  if (auto* a = findChild<QAction*>(p + QStringLiteral("SpecClr1"))) a->setEnabled(any);
}

void TTalvexFm1::updateCommands() {
  const auto c = talvex::match::listCommands(program_.query);
  setEnabledByName("DoExtractProfile", c.MatchSpecifications);
  setEnabledByName("DoExtractProfile1", c.MatchSpecifications);
  setEnabledByName("DoClearSpecification", c.CancelListAllSpecifications);
  setEnabledByName("DoClearSpecification1", c.CancelListAllSpecifications);
  setEnabledByName("New1", c.CancelListAllSpecifications);
  setEnabledByName("DoCancelProfile", c.CancelExperimentList);
  setEnabledByName("DoCancelProfile1", c.CancelExperimentList);
  setEnabledByName("newlist", c.CancelExperimentList);
  // Reloading, saving, sorting, protonating, the displays and printing
  // arrive with their windows; their items stay disabled until then.
  setEnabledByName("Protonate1", false, c.ProtonateVisible);
  if (auto* sort = findChild<QMenu*>(QStringLiteral("Sort1"))) sort->menuAction()->setVisible(c.SortVisible);
}

void TTalvexFm1::refreshAll() {
  if (program_.query.database) {
    for (auto k : {talvex::spec::ListKind::Ligand, talvex::spec::ListKind::Metal, talvex::spec::ListKind::Reference})
      refreshList(k);
    prfMemo_->setPlainText(platform::fromStored(program_.query.SpecSummary));
  }
  updateCommands();
}

void TTalvexFm1::endFirstUse() {
  firstUse_ = false;
  if (auto* memo = findChild<QLabel*>(QStringLiteral("first_memo"))) memo->hide();
}

void TTalvexFm1::pageChanged(int index) {
  auto& q = program_.query;
  const int left = currentPage_;
  currentPage_ = index;
  if (!q.database) return;
  using talvex::spec::ListKind;
  if (left >= 0 && left <= 2) talvex::match::pageLeft(q, static_cast<ListKind>(left));
  if (index >= 0 && index <= 2) {
    talvex::match::pageEntered(q, static_cast<ListKind>(index));
    endFirstUse();
  } else if (index == 3) {
    talvex::match::detailsPageEntered(q);
    endFirstUse();
  } else if (index == 5) {
    talvex::match::refreshSummary(q);
  }
  refreshAll();
}

void TTalvexFm1::showPage(talvex::spec::ListKind kind) { pages_->setCurrentIndex(static_cast<int>(kind)); }

void TTalvexFm1::listButtonClick(talvex::spec::ListKind kind, int operation) {
  auto& q = program_.query;
  if (!q.database) return;
  switch (operation) {
    case 0: talvex::spec::highlightAll(q, kind); break;
    case 1: talvex::spec::highlightNone(q, kind); break;
    case 2: talvex::spec::invertHighlights(q, kind); break;
    case 3: talvex::spec::rejectNonHighlighted(q, kind, program_.dialogs); break;
    default: talvex::spec::clearSpecification(q, kind, program_.dialogs); break;
  }
  refreshAll();
}

void TTalvexFm1::DoExtractProfileClick() {
  if (!program_.query.database) return;
  pages_->setCurrentIndex(5);
  talvex::match::matchSpecifications(program_.query, program_.dialogs);
  refreshAll();
}

void TTalvexFm1::DoCancelProfileClick() {
  if (!program_.query.database) return;
  talvex::match::cancelExperimentList(program_.query, program_.dialogs);
  refreshAll();
}

void TTalvexFm1::DoClearSpecificationClick() {
  if (!program_.query.database) return;
  talvex::spec::clearAllSpecifications(program_.query, program_.dialogs);
  talvex::match::refreshSummary(program_.query);
  refreshAll();
}

void TTalvexFm1::DoSeeFullDisplayClick() {
  if (program_.query.listEmpty()) program_.dialogs.inform("No experiment list to display");
}

void TTalvexFm1::DoSeeCondDisplayClick() {
  if (program_.query.listEmpty()) program_.dialogs.inform("No experiment list to display");
}

void TTalvexFm1::DoPrintDataClick() {
  if (program_.query.listEmpty()) program_.dialogs.inform("No experiment list");
}

void TTalvexFm1::PQuit_BtnClick() {
  program_.query.MatchStopRequested = true;
  pquit_->hide();
}

void TTalvexFm1::matchStarted(std::int64_t gaugeMaximum) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  prfGauge_->setRange(0, static_cast<int>(std::clamp<std::int64_t>(gaugeMaximum, 1, 1'000'000'000)));
  prfGauge_->setValue(0);
  for (QWidget* w : {static_cast<QWidget*>(prfMsg_), static_cast<QWidget*>(prfGauge_), static_cast<QWidget*>(pquit_)}) w->show();
}

void TTalvexFm1::gauge(std::int64_t position) {
  const int v = static_cast<int>(std::min<std::int64_t>(position, prfGauge_->maximum()));
  if (v * 100LL / prfGauge_->maximum() != prfGauge_->value() * 100LL / prfGauge_->maximum()) prfGauge_->setValue(v);
}

void TTalvexFm1::matchMessage(std::string_view text) { prfMsg_->setText(platform::fromStored(text)); }

void TTalvexFm1::matchEnded() {
  for (QWidget* w : {static_cast<QWidget*>(prfMsg_), static_cast<QWidget*>(prfGauge_), static_cast<QWidget*>(pquit_)}) w->hide();
  QApplication::restoreOverrideCursor();
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
