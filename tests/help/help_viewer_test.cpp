// The help window, offscreen: it opens on the table of contents and follows the
// reader through the pages; a missing or unreadable help file is reported.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QKeySequence>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QWidget>

#include "tests/support/gui_test_support.h"
#include "ui/example_data.h"
#include "ui/help_viewer.h"

namespace {

using testing_support::ModalWatchdog;
using testing_support::OnNextModal;

const QString BuiltHelpFile = QStringLiteral(TARVEK_BUILT_HELP_FILE);

QTreeWidgetItem* FindTopic(QTreeWidget* tree, const QString& name)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

// Opens the help at `path` for `owner` and returns the text of the error report
// that it shows (empty when none is shown).
QString ReportOfOpening(QWidget* owner, const QString& path)
{
    QString report;
    OnNextModal([&report](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            report = box->text();
        }
        modal->close();
    });
    EXPECT_FALSE(OpenHelpFileAt(owner, path));
    return report;
}

TEST(HelpViewer, OpensOnTheTableOfContentsWithTheFirstPage)
{
    HelpViewer viewer;
    ASSERT_TRUE(viewer.OpenFile(BuiltHelpFile));
    EXPECT_EQ(viewer.Tabs->currentWidget(), viewer.Contents);
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral(" Tarvek help"));
    ASSERT_EQ(viewer.Contents->topLevelItemCount(), 5);
    EXPECT_EQ(viewer.Contents->topLevelItem(0)->text(0), QStringLiteral("Welcome to Tarvek"));
    EXPECT_TRUE(viewer.Contents->topLevelItem(2)->isExpanded());
    EXPECT_EQ(viewer.Page->documentTitle(), QStringLiteral("Welcome to Tarvek"));
    EXPECT_EQ(viewer.Contents->currentItem(), viewer.Contents->topLevelItem(0));
    EXPECT_GT(viewer.Index->topLevelItemCount(), 30);
}

TEST(HelpViewer, ChoosingATopicShowsItsPageAndLinksMoveTheSelection)
{
    HelpViewer viewer;
    ASSERT_TRUE(viewer.OpenFile(BuiltHelpFile));
    QTreeWidgetItem* estimators = FindTopic(viewer.Contents, QStringLiteral("Estimators"));
    ASSERT_NE(estimators, nullptr);
    viewer.Contents->setCurrentItem(estimators);
    EXPECT_EQ(viewer.Page->documentTitle(), QStringLiteral("Estimators"));
    EXPECT_TRUE(viewer.Page->toPlainText().contains(QStringLiteral("Post-stratification estimator")));

    // A link of the page, as a click delivers it: the page follows, and so does the tree.
    emit viewer.Page->anchorClicked(
        viewer.Page->source().resolved(QUrl(QStringLiteral("worked_example.html"))));
    EXPECT_EQ(viewer.Page->documentTitle(), QStringLiteral("A worked example"));
    EXPECT_EQ(viewer.Contents->currentItem()->text(0), QStringLiteral("A worked example"));
}

TEST(HelpViewer, AHeadingWithoutPageKeepsThePageShown)
{
    HelpViewer viewer;
    ASSERT_TRUE(viewer.OpenFile(BuiltHelpFile));
    QTreeWidgetItem* heading = FindTopic(viewer.Contents, QStringLiteral("Sampling theory"));
    ASSERT_NE(heading, nullptr);
    viewer.Contents->setCurrentItem(heading);
    EXPECT_EQ(viewer.Page->documentTitle(), QStringLiteral("Welcome to Tarvek"));
}

TEST(HelpViewer, AMissingPageIsSaidToBeMissing)
{
    HelpViewer viewer;
    ASSERT_TRUE(viewer.OpenFile(BuiltHelpFile));
    viewer.ShowPage(QStringLiteral("no_such_page.html"));
    EXPECT_TRUE(viewer.Page->toPlainText().contains(QStringLiteral("Page not found")));
}

TEST(HelpViewer, AnUnreadableFileIsRefusedAndTheShownHelpStays)
{
    HelpViewer viewer;
    ASSERT_TRUE(viewer.OpenFile(BuiltHelpFile));
    const QString garbage =
        testing_support::WriteTemporaryFile(QStringLiteral("garbage.chm"), "not a help file");
    EXPECT_FALSE(viewer.OpenFile(garbage));
    EXPECT_EQ(viewer.Page->documentTitle(), QStringLiteral("Welcome to Tarvek"));
    EXPECT_EQ(viewer.Contents->topLevelItemCount(), 5);
}

TEST(OpenHelpFile, ShowsOneHelpWindowBesideItsOwnerAndReusesIt)
{
    ModalWatchdog watchdog;
    QWidget owner;
    ASSERT_FALSE(HelpFilePath().isEmpty()) << "the build tree's help file is not found";
    ASSERT_TRUE(OpenHelpFile(&owner));
    ASSERT_TRUE(OpenHelpFile(&owner));
    const QList<HelpViewer*> viewers = owner.findChildren<HelpViewer*>();
    ASSERT_EQ(viewers.size(), 1);
    EXPECT_TRUE(viewers.front()->isVisible());
    EXPECT_TRUE(viewers.front()->isWindow());
}

TEST(HelpViewer, EscapeAndCtrlWCloseTheWindowWhereverTheFocusIs)
{
    HelpViewer viewer;
    ASSERT_TRUE(viewer.OpenFile(BuiltHelpFile));
    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        for (QWidget* focus : {static_cast<QWidget*>(viewer.Contents), static_cast<QWidget*>(viewer.Page)}) {
            viewer.show();
            viewer.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
            focus->setFocus();
            QTest::keyClick(focus, keys.key(), keys.keyboardModifiers());
            EXPECT_FALSE(viewer.isVisible()) << QKeySequence(keys).toString().toStdString();
        }
    }
}

TEST(OpenHelpFile, AMissingHelpFileIsReportedByName)
{
    ModalWatchdog watchdog;
    QWidget owner;
    const QString report = ReportOfOpening(&owner, QString());
    EXPECT_TRUE(report.contains(QStringLiteral("\"tarvek.chm\" was not found"))) << report.toStdString();
    EXPECT_TRUE(owner.findChildren<HelpViewer*>().isEmpty());
}

TEST(OpenHelpFile, AnUnreadableHelpFileIsReportedWithItsPath)
{
    ModalWatchdog watchdog;
    QWidget owner;
    const QString garbage = testing_support::WriteTemporaryFile(QStringLiteral("tarvek.chm"), "damaged");
    const QString report = ReportOfOpening(&owner, garbage);
    EXPECT_TRUE(report.contains(QDir::toNativeSeparators(garbage))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("cannot be read")));
    EXPECT_TRUE(owner.findChildren<HelpViewer*>().isEmpty());
}

TEST(ExampleData, TheBuildTreeProvidesTheHelpFileAndTheExamples)
{
    EXPECT_EQ(QFileInfo(HelpFilePath()).canonicalFilePath(), QFileInfo(BuiltHelpFile).canonicalFilePath());
    EXPECT_EQ(HelpFileCandidates().size(), 3);
    const QDir examples(ExamplesFolder());
    for (const char* name : {"classroom.pop", "mu284.pop", "belgium.pop", "schools.pop"}) {
        EXPECT_TRUE(examples.exists(QLatin1String(name))) << name;
    }
}

}  // namespace
