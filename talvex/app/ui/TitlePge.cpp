#include "TitlePge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

#include "Picture.h"
#include "Talvex1.h"
#include "TalvexProgram.h"
#include "platform/Desktop.h"
#include "platform/QtDialogs.h"
#include "talvex/app/UseDatabase.h"

using talvex::db::Edition;

namespace {

QLabel* label(const QString& text, const char* name, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

QPushButton* button(const QString& text, const char* name, const QString& hint, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolTip(hint);
  return b;
}

QWidget* picturePage(const QString& resource, const char* name) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(new Picture(resource, page));
  return page;
}

talvex::app::SystemLocale systemLocale() {
  const QLocale locale = QLocale::system();
  talvex::app::SystemLocale s;
  s.english = locale.language() == QLocale::English || locale.language() == QLocale::C;
  const QString sep = locale.decimalPoint();
  s.decimalSeparator = sep.isEmpty() ? '.' : static_cast<char>(sep.at(0).toLatin1());
  if (s.decimalSeparator == 0) s.decimalSeparator = ',';
  return s;
}

}  // namespace

TTitlePage::TTitlePage(TalvexProgram& program, bool randomMolecule) : program_(program) {
  Q_UNUSED(randomMolecule);  // the built-in molecules arrive with the structure drawing
  const auto& s = program_.state;
  const bool full = s.Edition == Edition::Full;
  setObjectName(QStringLiteral("TitlePage"));
  setWindowTitle(caption());

  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  pages_ = new QTabWidget(central);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->addTab(buildTitlesPage(), QStringLiteral("Titles"));
  pages_->addTab(picturePage(full ? QStringLiteral(":/pictures/newuser_full.svg") : QStringLiteral(":/pictures/newuser_mini.svg"),
                             "NewUser"),
                 QStringLiteral("New User"));
  pages_->addTab(picturePage(QStringLiteral(":/pictures/mini_edition.svg"), "MiniOrvale"), QStringLiteral("Mini-Orvale"));
  pages_->addTab(picturePage(QStringLiteral(":/pictures/info_orvale.svg"), "InfoOrvale"), QStringLiteral("Info on Orvale"));
  pages_->addTab(picturePage(QStringLiteral(":/pictures/ligand_structures.svg"), "LigandStructures"),
                 QStringLiteral("Ligand Structures"));
  pages_->addTab(picturePage(QStringLiteral(":/pictures/user_reporting.svg"), "UserReporting"),
                 QStringLiteral("User Reporting"));
  outer->addWidget(pages_, 1);

  // The button row under the pages.
  const QString name = QString::fromStdString(s.ProgramName);
  auto* row = new QHBoxLayout;
  auto* use = button(QStringLiteral("Use Database"), "UseDatabaseBtn", QStringLiteral("Open the database and the main window"), central);
  auto* overview = button(QStringLiteral("Overview"), "OverviewBtn",
                          full ? QStringLiteral("Overview of OrvaleQuery and Orvale") : QStringLiteral("Overview of Talvex and Mini-Orvale"),
                          central);
  auto* started = button(QStringLiteral("Getting Started"), "GettingStartedBtn",
                         QStringLiteral("Help on Getting Started In ") + name, central);
  auto* background = button(QStringLiteral("Background"), "BackgroundBtn",
                            QStringLiteral("Background help on stability constants"), central);
  auto* help = button(name + QStringLiteral(" Help"), "HelpBtn",
                      full ? QStringLiteral("Help on Using OrvaleQuery and Orvale") : QStringLiteral("Help on Using Talvex and Mini-Orvale"),
                      central);
  auto* exit = button(QStringLiteral("Close ") + name, "ExitBtn", QStringLiteral("Close ") + name, central);
  use->setDefault(true);
  for (QPushButton* b : {use, overview, started, background, help}) row->addWidget(b);
  row->addStretch(1);
  row->addWidget(exit);
  outer->addLayout(row);
  setCentralWidget(central);

  connect(use, &QPushButton::clicked, this, &TTitlePage::UseDatabaseClick);
  connect(overview, &QPushButton::clicked, this, &TTitlePage::OverviewClick);
  connect(started, &QPushButton::clicked, this, &TTitlePage::GettingStartedClick);
  connect(background, &QPushButton::clicked, this, &TTitlePage::BackgroundClick);
  connect(help, &QPushButton::clicked, this, &TTitlePage::HelpContentsClick);
  connect(exit, &QPushButton::clicked, this, &TTitlePage::ExitClick);

  buildMenus();

  // Size 635 x 440 at the screen factor, centred horizontally, 10 pixels above centre.
  const double f = TalvexProgram::screenFactor();
  resize(static_cast<int>(635 * f), static_cast<int>(440 * f));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2 - 10);
  }

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("TitleTimer"));
  timer_->setInterval(100);
  connect(timer_, &QTimer::timeout, paintBox_, qOverload<>(&QWidget::update));
  timer_->start();
  pages_->setCurrentIndex(0);
}

QString TTitlePage::caption() const {
  return QStringLiteral("Title Window  :  ") + QString::fromStdString(program_.state.ProgramName);
}

QWidget* TTitlePage::buildTitlesPage() {
  const auto& s = program_.state;
  const bool full = s.Edition == Edition::Full;
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("Titles"));
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(12, 12, 12, 8);
  grid->setHorizontalSpacing(16);

  auto* logo = new Picture(QStringLiteral(":/pictures/logo.svg"), page);
  logo->setObjectName(QStringLiteral("LogoPanel"));
  logo->setFixedSize(110, 110);
  grid->addWidget(logo, 0, 0, 2, 1, Qt::AlignTop);

  auto* texts = new QVBoxLayout;
  auto* programLabel = label(QString::fromStdString(s.ProgramName), "ProgramLabel", page);
  QFont nameFont = programLabel->font();
  nameFont.setPointSizeF(nameFont.pointSizeF() * 2.2);
  nameFont.setBold(true);
  programLabel->setFont(nameFont);
  programLabel->setStyleSheet(QStringLiteral("color: #1f3a68;"));
  texts->addWidget(programLabel);
  // The mini edition's large label; the full edition shows three lines instead.
  auto* big = label(QStringLiteral("Mini-database of selected constants"), "LargeLabel", page);
  QFont bigFont = big->font();
  bigFont.setPointSizeF(bigFont.pointSizeF() * 1.3);
  big->setFont(bigFont);
  big->setVisible(!full);
  texts->addWidget(big);
  for (const char* line : {"A database of all significant", "published metal-ligand stability", "constants."}) {
    auto* l = label(QString::fromLatin1(line), "DescriptionLine", page);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 1.3);
    l->setFont(f);
    l->setVisible(full);
    texts->addWidget(l);
  }
  auto* credits = new QHBoxLayout;
  auto* creditPicture = new Picture(QStringLiteral(":/pictures/credits.svg"), page);
  creditPicture->setObjectName(QStringLiteral("CreditPicture"));
  creditPicture->setFixedSize(120, 72);
  creditPicture->setVisible(full);
  auto* creditText = label(QStringLiteral("Constants compiled from the\npublished literature"), "CreditLabel", page);
  creditText->setVisible(full);
  credits->addWidget(creditPicture);
  credits->addWidget(creditText);
  credits->addStretch(1);
  texts->addSpacing(8);
  texts->addLayout(credits);
  texts->addStretch(1);
  grid->addLayout(texts, 0, 1, 2, 1);

  // The rotating molecule's place.
  paintBox_ = new QFrame(page);
  paintBox_->setObjectName(QStringLiteral("TitlePaintBox"));
  static_cast<QFrame*>(paintBox_)->setFrameShape(QFrame::StyledPanel);
  paintBox_->setStyleSheet(QStringLiteral("#TitlePaintBox { background: white; }"));
  paintBox_->setMinimumSize(170, 170);
  grid->addWidget(paintBox_, 0, 2, 2, 1);

  versionLabel_ = label(QString::fromStdString(s.VersionLine), "VersionLabel", page);
  grid->addWidget(versionLabel_, 2, 0, 1, 3);

  indexing_ = label(QString(), "Indexing", page);
  indexMsg_ = label(QStringLiteral("Wait - indexing ..."), "Index_msg", page);
  indexMsg_->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
  indexMsg_->hide();
  gauge_ = new QProgressBar(page);
  gauge_->setObjectName(QStringLiteral("Gauge1"));
  gauge_->hide();
  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(indexing_);
  progressRow->addWidget(indexMsg_, 1);
  grid->addLayout(progressRow, 3, 0, 1, 3);
  grid->addWidget(gauge_, 4, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);
  return page;
}

void TTitlePage::buildMenus() {
  const auto& s = program_.state;
  const QString name = QString::fromStdString(s.ProgramName);
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File1"));
  QAction* open = file->addAction(QStringLiteral("&Open (Use Database)"), this, &TTitlePage::UseDatabaseClick);
  open->setObjectName(QStringLiteral("Open1"));
  QAction* openMain = file->addAction(QStringLiteral("&Open Main Window"), this, &TTitlePage::UseDatabaseClick);
  openMain->setObjectName(QStringLiteral("OpenMain1"));
  reindex_ = file->addAction(QStringLiteral("&Reindex Database Files"), this, &TTitlePage::Reindex1Click);
  reindex_->setObjectName(QStringLiteral("Reindex1"));
  reindex_->setEnabled(!s.ReadOnlyMedia);
  file->addSeparator();
  QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &TTitlePage::ExitClick);
  exit->setObjectName(QStringLiteral("Exit1"));

  QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
  structures_ = windows->addAction(s.ShowStructures ? QStringLiteral("&Omit Structures") : QStringLiteral("&Show Structures"),
                                   this, &TTitlePage::Structures1Click);
  structures_->setObjectName(QStringLiteral("Structures1"));
  structures_->setVisible(s.StructuresAvailable);
  hideImage_ = windows->addAction(QStringLiteral("&Hide rotating image"), this, &TTitlePage::HideImage1Click);
  hideImage_->setObjectName(QStringLiteral("HideImage1"));
  windows->addSeparator();
  windows->addAction(QStringLiteral("&Tile"), this, &TTitlePage::Tile1Click)->setObjectName(QStringLiteral("Tile1"));
  windows->addAction(QStringLiteral("&Cascade"), this, &TTitlePage::Cascade1Click)->setObjectName(QStringLiteral("Cascade1"));

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(QStringLiteral("&Help on ") + name, this, &TTitlePage::HelpContentsClick)
      ->setObjectName(QStringLiteral("HelpContents1"));
  help->addAction(QStringLiteral("&Overview"), this, &TTitlePage::OverviewClick)->setObjectName(QStringLiteral("Overview1"));
  help->addAction(QStringLiteral("&Getting Started"), this, &TTitlePage::GettingStartedClick)
      ->setObjectName(QStringLiteral("GettingStarted1"));
  help->addAction(QStringLiteral("&Background Help"), this, &TTitlePage::BackgroundClick)
      ->setObjectName(QStringLiteral("Background1"));
  help->addSeparator();
  help->addAction(QStringLiteral("Help &About"), this, &TTitlePage::About1Click)->setObjectName(QStringLiteral("About1"));
  help->addAction(QStringLiteral("Version Numbers"), this, &TTitlePage::Versions1Click)->setObjectName(QStringLiteral("Versions1"));
}

void TTitlePage::begin() {
  pages_->setCurrentIndex(0);
  gauge_->setValue(0);
  gauge_->show();
  indexing_->setText(QStringLiteral(" Checking index files "));
  indexMsg_->show();
  if (!cursorSet_) QApplication::setOverrideCursor(Qt::WaitCursor);
  cursorSet_ = true;
}

void TTitlePage::message(std::string_view text) { indexMsg_->setText(platform::fromStored(text)); }

void TTitlePage::gauge(std::int64_t position, std::int64_t maximum) {
  // A progress bar holds ints; scale large counts down.
  while (maximum > 1'000'000'000) {
    maximum /= 1000;
    position /= 1000;
  }
  // The bar shows whole percents: touch it only when that changes.
  const int max = static_cast<int>(std::max<std::int64_t>(maximum, 1));
  const int value = static_cast<int>(std::clamp<std::int64_t>(position, 0, max));
  if (gauge_->maximum() != max) gauge_->setMaximum(max);
  if (static_cast<std::int64_t>(value) * 100 / max != static_cast<std::int64_t>(gauge_->value()) * 100 / max ||
      value == max)
    gauge_->setValue(value);
}

void TTitlePage::end() {
  indexing_->clear();
  indexMsg_->hide();
  gauge_->hide();
  if (cursorSet_) QApplication::restoreOverrideCursor();
  cursorSet_ = false;
}

void TTitlePage::UseDatabaseClick() {
  auto& s = program_.state;
  const bool first = !s.DatabaseOpened;
  if (first) {
    stopRotation();
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  const auto result = talvex::app::useDatabase(s, program_.database, *this, program_.dialogs, systemLocale());
  if (first) QApplication::restoreOverrideCursor();
  versionLabel_->setText(QString::fromStdString(s.VersionLine));
  switch (result) {
    case talvex::app::UseDatabaseResult::Terminate:
      program_.end(1);
      close();
      return;
    case talvex::app::UseDatabaseResult::Stale:
      restartRotation();
      return;
    case talvex::app::UseDatabaseResult::Ready:
      program_.mainWindow()->openAfterUseDatabase();
      hide();
      return;
  }
}

void TTitlePage::Reindex1Click() {
  auto& s = program_.state;
  if (!talvex::app::reindexDatabase(s, program_.database, program_.dialogs, program_.hasSpecifications() || program_.hasExperimentList(),
                                    [this] { program_.clearAllSpecifications(); }))
    return;
  program_.mainWindow()->hide();
}

void TTitlePage::ExitClick() {
  if (program_.exitSequence()) close();
}

void TTitlePage::closeEvent(QCloseEvent* event) {
  if (program_.ended() || program_.exitSequence()) {
    event->accept();
    return;
  }
  event->ignore();
}

void TTitlePage::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) setWindowTitle(caption());
  QMainWindow::changeEvent(event);
}

void TTitlePage::Structures1Click() {
  auto& s = program_.state;
  s.ShowStructures = !s.ShowStructures;
  structures_->setText(s.ShowStructures ? QStringLiteral("&Omit Structures") : QStringLiteral("&Show Structures"));
  program_.mainWindow()->structuresChanged();
}

void TTitlePage::HideImage1Click() {
  if (timer_->isActive() || paintBox_->isVisible()) {
    stopRotation();
    paintBox_->hide();
    hideImage_->setText(QStringLiteral("&Show rotating image"));
  } else {
    paintBox_->show();
    hideImage_->setText(QStringLiteral("&Hide rotating image"));
    timer_->start();
  }
}

void TTitlePage::stopRotation() {
  if (timer_) timer_->stop();
}

void TTitlePage::restartRotation() {
  if (hideImage_->text() == QStringLiteral("&Hide rotating image")) timer_->start();
}

void TTitlePage::Tile1Click() { program_.dialogs.inform("Nothing to tile !"); }
void TTitlePage::Cascade1Click() { program_.dialogs.inform("Nothing to cascade !"); }

void TTitlePage::openHelp(const std::string& file, const QString& topic) {
  if (!platform::openHelp(QString::fromStdString(file), topic))
    program_.dialogs.inform("The help file " + file + " cannot be found. It belongs in the program's help folder.",
                            platform::Severity::Warning);
}

void TTitlePage::HelpContentsClick() { openHelp(program_.state.HelpFile, {}); }
void TTitlePage::OverviewClick() { openHelp(program_.state.HelpFile, QString::fromStdString(program_.state.OverviewTopic)); }
void TTitlePage::GettingStartedClick() { openHelp(program_.state.HelpFile, QStringLiteral("Getting_started")); }
void TTitlePage::BackgroundClick() { openHelp(program_.state.BackgroundHelpFile, {}); }
void TTitlePage::About1Click() { program_.dialogs.inform(talvex::app::aboutText(program_.state)); }
void TTitlePage::Versions1Click() { program_.dialogs.inform(talvex::app::versionNumbersText(program_.state)); }
