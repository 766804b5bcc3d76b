// The main window driven from its buttons: matching, the summary memo and the
// list commands, the hint switch, the list operations.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "Talvex1.h"
#include "TalvexProgram.h"
#include "TitlePge.h"
#include "makedb/Dataset.h"
#include "makedb/WriteDatabase.h"
#include "platform/ScriptedDialogs.h"
#include "test_support.h"
#include "talvex/spec/Specifications.h"

namespace fs = std::filesystem;
using talvex::db::Edition;
using talvex::spec::ListKind;

namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    start = testsupport::freshTestFolder("orvale-main");
    const auto& demo = testsupport::demoData();
    std::string error;
    for (const Edition e : {Edition::Full, Edition::Mini}) {
      orvale::makedb::WriteOptions o;
      o.edition = e;
      o.fullForCrossReference = &demo;
      const auto data = e == Edition::Full ? demo : orvale::makedb::miniSubset(demo);
      ASSERT_TRUE(orvale::makedb::writeDatabase(data, (start / talvex::db::editionInfo(e).programName).string(), o, error))
          << error;
    }
  }
  void TearDown() override {
    program.reset();
    fs::remove_all(start);
  }

  TalvexProgram& open(Edition e) {
    TalvexProgram::Options o;
    o.edition = e;
    o.startDir = QString::fromStdString(start.string());
    o.helpDir = QStringLiteral("help");
    o.settingsPath = QString::fromStdString((start / "norwell.ini").string());
    program = std::make_unique<TalvexProgram>(o, dialogs);
    program->titlePage()->show();
    program->titlePage()->UseDatabaseClick();
    return *program;
  }

  template <class T>
  T* child(const char* name) const {
    return program->mainWindow()->findChild<T*>(QString::fromLatin1(name));
  }

  fs::path start;
  platform::ScriptedDialogs dialogs;
  std::unique_ptr<TalvexProgram> program;
};

}  // namespace

TEST_F(MainWindow, MatchingFillsTheSummaryAndEnablesTheListCommands) {
  TalvexProgram& p = open(Edition::Full);
  ASSERT_TRUE(p.mainWindow()->isVisible());
  EXPECT_TRUE(child<QPlainTextEdit>("PrfMemo")->toPlainText().startsWith(QStringLiteral("Current specifications are :")));
  EXPECT_FALSE(child<QPushButton>("DoExtractProfile")->isEnabled());
  EXPECT_FALSE(child<QPushButton>("DoCancelProfile")->isEnabled());

  // Glycine and copper(II), as the ligand and metal searches would add them.
  p.mainWindow()->pages()->setCurrentIndex(0);
  ASSERT_TRUE(talvex::spec::addLigandRecord(p.query, p.database, 1, dialogs));
  p.mainWindow()->pages()->setCurrentIndex(1);
  ASSERT_TRUE(talvex::spec::addMetalRecord(p.query, p.database, 0));
  p.mainWindow()->pages()->setCurrentIndex(5);
  EXPECT_TRUE(child<QPushButton>("DoExtractProfile")->isEnabled());
  EXPECT_TRUE(child<QPlainTextEdit>("PrfMemo")->toPlainText().startsWith(QStringLiteral("Current specifications are :")));

  child<QPushButton>("DoExtractProfile")->click();
  EXPECT_TRUE(dialogs.unexpected.empty());
  ASSERT_GT(p.query.experiments.count(), 0);
  const QString memo = child<QPlainTextEdit>("PrfMemo")->toPlainText();
  EXPECT_TRUE(memo.startsWith(QStringLiteral("Experiment list contains %1 experiments for ").arg(p.query.experiments.count())))
      << memo.toStdString();
  EXPECT_TRUE(memo.contains(QStringLiteral(" Ligand : "))) << memo.toStdString();
  EXPECT_TRUE(child<QPushButton>("DoExtractProfile")->isEnabled());  // matching again replaces the list
  EXPECT_TRUE(child<QPushButton>("DoCancelProfile")->isEnabled());
  EXPECT_TRUE(child<QPushButton>("DoClearSpecification")->isEnabled());
  EXPECT_FALSE(child<QWidget>("PQuit_Btn")->isVisible());

  // Cancelling the list keeps the specifications.
  dialogs.answerYes();
  child<QPushButton>("DoCancelProfile")->click();
  EXPECT_EQ(p.query.experiments.count(), 0);
  EXPECT_TRUE(child<QPushButton>("DoExtractProfile")->isEnabled());
  EXPECT_EQ(p.query.ligands.count(), 1);
}

TEST_F(MainWindow, ListBoxesMirrorTheListsAndTheirOperations) {
  TalvexProgram& p = open(Edition::Full);
  p.mainWindow()->pages()->setCurrentIndex(0);
  for (int r : {5, 2, 9}) talvex::spec::addLigandRecord(p.query, p.database, r, dialogs);
  p.mainWindow()->refreshAll();
  auto* box = child<QListWidget>("LigList");
  ASSERT_EQ(box->count(), 3);
  EXPECT_TRUE(child<QPushButton>("LigListSel")->isEnabled());
  EXPECT_TRUE(QFontInfo(box->font()).fixedPitch());
  box->item(1)->setSelected(true);  // record 5
  EXPECT_TRUE(p.query.ligands.highlighted(2));
  child<QPushButton>("LigListSel")->click();
  ASSERT_EQ(box->count(), 1);
  EXPECT_EQ(p.query.ligands.entry(1), 5);
  EXPECT_EQ(child<QPlainTextEdit>("LigTotal")->toPlainText(), QStringLiteral("List contains 1 selected ligand"));
  // Clearing asks, and No keeps the list.
  dialogs.answerNo();
  child<QPushButton>("LigSpecClr")->click();
  EXPECT_EQ(box->count(), 1);
  dialogs.answerYes();
  child<QPushButton>("LigSpecClr")->click();
  EXPECT_EQ(box->count(), 0);
  EXPECT_FALSE(child<QPushButton>("LigListSel")->isEnabled());
  // A press on the empty list says there is nothing to show.
  QTest::mouseClick(box->viewport(), Qt::RightButton);
  EXPECT_EQ(dialogs.shown.back(), "No ligands for which to show details");
}

TEST_F(MainWindow, HintSwitchHidesAndRestoresTheHelpMemos) {
  TalvexProgram& p = open(Edition::Full);
  p.mainWindow()->pages()->setCurrentIndex(1);
  p.mainWindow()->see_hintsClick();
  for (const char* memo : TTalvexFm1::kHelpMemos) EXPECT_TRUE(child<QWidget>(memo)->isHidden()) << memo;
  EXPECT_EQ(child<QAction>("SuppressHints1")->text(), QStringLiteral("&See Hints"));
  p.mainWindow()->see_hintsClick();
  for (const char* memo : TTalvexFm1::kHelpMemos) EXPECT_FALSE(child<QWidget>(memo)->isHidden()) << memo;
  EXPECT_EQ(p.mainWindow()->pages()->currentIndex(), 1);
}

TEST_F(MainWindow, EditionsAndWidth) {
  TalvexProgram& p = open(Edition::Mini);
  EXPECT_EQ(p.mainWindow()->windowTitle(), QStringLiteral("Main Window  :  Talvex"));
  EXPECT_FALSE(p.mainWindow()->pages()->isTabVisible(2));
  EXPECT_FALSE(child<QAction>("CompareMets1")->isVisible());
  EXPECT_FALSE(child<QAction>("Protonate1")->isVisible());
  p.mainWindow()->resize(400, 420);
  EXPECT_GE(p.mainWindow()->width(), 635);
  // Matching with nothing specified is refused by the command table.
  EXPECT_FALSE(child<QPushButton>("DoExtractProfile")->isEnabled());
}

TEST_F(MainWindow, ClosingAsksAboutTheListOrTheSpecifications) {
  TalvexProgram& p = open(Edition::Full);
  p.mainWindow()->pages()->setCurrentIndex(0);
  talvex::spec::addLigandRecord(p.query, p.database, 1, dialogs);
  p.mainWindow()->pages()->setCurrentIndex(5);
  dialogs.answerNo();
  p.mainWindow()->close();
  EXPECT_EQ(dialogs.asked.back(), "Do you really want to quit these specifications ? Confirm by clicking Yes now ...");
  EXPECT_FALSE(p.ended());
  EXPECT_TRUE(p.mainWindow()->isVisible());

  child<QPushButton>("DoExtractProfile")->click();
  ASSERT_GT(p.query.experiments.count(), 0);
  dialogs.answerYes();
  p.mainWindow()->close();
  EXPECT_EQ(dialogs.asked.back(), "Do you really want to quit this experiment list ? Confirm by clicking Yes now ...");
  EXPECT_TRUE(p.ended());
}
