// The main window's way into the help and the examples: Ctrl+H opens the help
// window on its table of contents, no other help request opens anything, and the
// first open dialog shows the example populations.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTest>

#include "tests/ui/forms_fixture.h"
#include "ui/example_data.h"
#include "ui/help_viewer.h"

namespace {

class HelpCommandTest : public FormsTest {
protected:
    static QList<HelpViewer*> Viewers() { return Forms.Main->findChildren<HelpViewer*>(); }
};

TEST_F(HelpCommandTest, TheHelpCommandOpensTheHelpWindowOnItsContents)
{
    EXPECT_EQ(Forms.Main->Help2->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    Forms.Main->Help2->trigger();
    const QList<HelpViewer*> viewers = Viewers();
    ASSERT_EQ(viewers.size(), 1);
    EXPECT_TRUE(viewers.front()->isVisible());
    EXPECT_EQ(viewers.front()->Tabs->currentWidget(), viewers.front()->Contents);
    EXPECT_GT(viewers.front()->Contents->topLevelItemCount(), 0);
}

TEST_F(HelpCommandTest, OnlyCommandZeroWithDataZeroOpensTheHelp)
{
    bool callHelp = true;
    Forms.Main->HHelp(1, 0, callHelp);
    EXPECT_FALSE(callHelp);
    callHelp = true;
    Forms.Main->HHelp(0, 7, callHelp);
    EXPECT_FALSE(callHelp);
    EXPECT_TRUE(Viewers().isEmpty());

    callHelp = true;
    Forms.Main->HHelp(0, 0, callHelp);
    EXPECT_FALSE(callHelp);
    EXPECT_EQ(Viewers().size(), 1);
}

TEST_F(HelpCommandTest, F1OpensNothing)
{
    Forms.Main->show();
    Forms.Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Forms.Main));
    QTest::keyClick(Forms.Main, Qt::Key_F1);
    EXPECT_TRUE(Viewers().isEmpty());
    Forms.Main->hide();
}

TEST_F(HelpCommandTest, TheFirstOpenDialogShowsTheExamples)
{
    ASSERT_FALSE(ExamplesFolder().isEmpty());
    EXPECT_EQ(QDir(Forms.Main->OpenDialog->directory()).canonicalPath(),
              QDir(ExamplesFolder()).canonicalPath());
}

}  // namespace
