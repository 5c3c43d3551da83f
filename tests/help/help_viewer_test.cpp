// The help window, offscreen: it opens on the table of contents and follows the
// reader through the pages; a missing or unreadable help file is reported.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QKeySequence>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QWidget>
#include <algorithm>

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

/// The titles of the help's source pages that hold every word, in any case, in
/// their text without markup: what a search must find, worked out apart from it.
std::string SourcePagesHolding(const QStringList& words)
{
    const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"));
    QStringList titles;
    const QDir folder(QStringLiteral(TARVEK_HELP_SOURCE_FOLDER));
    for (const QString& name : folder.entryList({QStringLiteral("*.html")})) {
        QFile page(folder.filePath(name));
        EXPECT_TRUE(page.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString html = QString::fromLatin1(page.readAll());
        const QString text = QString(html).remove(tag);
        if (std::all_of(words.begin(), words.end(),
                        [&text](const QString& word) { return text.contains(word, Qt::CaseInsensitive); })) {
            titles << title.match(html).captured(1);
        }
    }
    titles.sort();
    return titles.join(QStringLiteral(", ")).toStdString();
}

TEST(HelpViewer, BackForwardAndSearchOverEveryPage)
{
    HelpViewer viewer;
    ASSERT_TRUE(viewer.OpenFile(BuiltHelpFile));
    viewer.show();
    viewer.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
    EXPECT_FALSE(viewer.BackButton->isEnabled());
    viewer.Contents->setCurrentItem(FindTopic(viewer.Contents, QStringLiteral("Estimators")));
    emit viewer.Page->anchorClicked(
        viewer.Page->source().resolved(QUrl(QStringLiteral("worked_example.html"))));
    const auto shown = [&viewer] {
        return (viewer.Page->documentTitle() + " | " + viewer.Contents->currentItem()->text(0) + " | " +
                (viewer.BackButton->isEnabled() ? "back" : "-") +
                (viewer.ForwardButton->isEnabled() ? " forward" : " -"))
            .toStdString();
    };
    EXPECT_EQ(shown(), "A worked example | A worked example | back -");
    QTest::keyClick(viewer.Contents, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(shown(), "Estimators | Estimators | back forward");
    QTest::keyClick(viewer.Page, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(shown(), "A worked example | A worked example | back -");
    QTest::mouseClick(viewer.BackButton, Qt::LeftButton);
    QTest::mouseClick(viewer.BackButton, Qt::LeftButton);
    EXPECT_EQ(shown(), "Welcome to Tarvek | Welcome to Tarvek | - forward");
    QTest::mouseClick(viewer.ForwardButton, Qt::LeftButton);
    EXPECT_EQ(viewer.Page->documentTitle().toStdString(), "Estimators");

    viewer.Contents->setFocus();
    QTest::keyClick(viewer.Contents, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(viewer.Tabs->currentWidget(), viewer.Search);
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(viewer.SearchField))
        << "Ctrl+F is ready for typing";
    // One word, two words (fewer pages hold both) in other capitals, and words no page holds together.
    for (const QString query : {"Neyman", "zoom PROJECTOR", "neyman projector"}) {
        viewer.SearchField->selectAll();
        QTest::keyClicks(viewer.SearchField, query);
        QStringList found;
        for (int row = 0; row < viewer.SearchResults->count(); ++row) {
            found << viewer.SearchResults->item(row)->text();
        }
        found.sort();
        const std::string expected = SourcePagesHolding(query.split(' '));
        EXPECT_EQ(found.join(", ").toStdString(), expected) << query.toStdString();
        const QString count = found.isEmpty()     ? "No page holds every word."
                              : found.size() == 1 ? "1 page"
                                                  : QString("%1 pages").arg(found.size());
        EXPECT_EQ(viewer.SearchCount->text(), count) << query.toStdString();
    }
    viewer.SearchField->setText("zoom PROJECTOR");
    ASSERT_GT(viewer.SearchResults->count(), 0);
    viewer.SearchResults->setCurrentRow(0);
    EXPECT_EQ(viewer.Page->documentTitle(), viewer.SearchResults->item(0)->text());
    EXPECT_EQ(viewer.Page->textCursor().selectedText().toLower(), "zoom") << "the page opens at the word";
    QTest::keyClick(viewer.SearchResults, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(viewer.Page->documentTitle().toStdString(), "Estimators") << "a found page joins the history";
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
