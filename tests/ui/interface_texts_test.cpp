#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "tests/ui/forms_fixture.h"
#include "ui/about_box.h"
#include "ui/error_message.h"
#include "texts/interface_text_table.h"
#include "ui/interface_texts.h"

namespace {

template <std::size_t N>
std::vector<std::string> Entries(const std::array<std::string, N>& texts)
{
    return std::vector<std::string>(texts.begin() + 1, texts.end());
}

using Texts = std::vector<std::string>;

TEST(InterfaceTextTableTest, HoldsEveryTextExactly)
{
    FillInterfaceTexts();
    const TInterfaceTexts& t = InterfaceTexts;
    EXPECT_EQ(SimulationState.versionText, "version 3.11");
    EXPECT_EQ(Entries(t.designTexts), Texts({"Equal", "Proportional to "}));
    EXPECT_EQ(Entries(t.estimatorNames), Texts({"Direct", "Ratio", "Regression", "Post-stratification"}));
    EXPECT_EQ(t.usingText, ", using ");
    EXPECT_EQ(Entries(t.nonresponseTexts), Texts({"Yes, by ", "No"}));
    EXPECT_EQ(Entries(t.messageTexts),
              Texts({"You must first read a population!", "The sample size must be at least 2!"}));
    EXPECT_EQ(t.selectVariableText, " Variable ");
    EXPECT_EQ(t.errorHeadingText, "There is something wrong:");
    EXPECT_EQ(t.targetVariableText, " Target variable ");
    EXPECT_EQ(Entries(t.samplingDesignTexts),
              Texts({" Sample size ", " Sampling ", "with equal probabilities",
                     "with probabilities proportional to:"}));
    EXPECT_EQ(Entries(t.estimatorDialogTexts), Texts({" Estimator ", " Auxiliary variable "}));
    EXPECT_EQ(Entries(t.nonresponseDialogTexts), Texts({" Nonresponse variable ", " Nonresponse percentages ",
                                                        "For minimum value:", "For maximum value:"}));
    EXPECT_EQ(Entries(t.distributionTexts), Texts({"Variable:", "Mean:", "Stand. dev:"}));
    EXPECT_EQ(Entries(t.parameterTexts),
              Texts({" Type of output ", "Distribution of the estimator", "95% confidence intervals",
                     " Simulations ", "Number of simulations:", " Scale ", "Lowerbound:", "Upperbound:",
                     " for sample of size", "Set", " Compression ", "Vertical compression factor:"}));
    EXPECT_EQ(Entries(t.simulationWindowTexts),
              Texts({"Variable:", "Save", "Statistics", "Next", "Automatic"}));
    EXPECT_EQ(
        Entries(t.statisticsTexts),
        Texts({"Population", "Sample size", "Probabilities", "Target variable", "Estimator", "Nonresponse",
               "Simulations", "", "Mean (theoretical)", "Mean (simulated)", "",
               "Standard error (theoretical)", "Standard error (simulated)", "Equal", "Proportional to "}));
    EXPECT_EQ(t.correctIntervalsText, "Percentage of correct intervals");
    EXPECT_EQ(t.aboutTexts[1], "Tarvek for Windows");
    EXPECT_EQ(t.aboutTexts[2], SimulationState.versionText);
    EXPECT_EQ(t.aboutTexts[3], "Simulation of samples from finite populations");
    for (int line = 4; line <= 7; ++line) {
        EXPECT_FALSE(t.aboutTexts[line].empty()) << line;
    }
}

/// Every caption the main window and the window titles show, in one list.
QStringList VisibleTexts()
{
    const TMain& m = *Forms.Main;
    QStringList texts;
    for (const QAction* menu : m.MainMenu1->actions()) {
        texts << menu->text();
        for (const QAction* item : menu->menu()->actions()) {
            if (!item->isSeparator()) {
                texts << item->text();
            }
        }
    }
    for (const QLabel* label :
         {m.Label1, m.Label2, m.Label3, m.Label4, m.Label5, m.Label6, m.Label7, m.Label8, m.Label9}) {
        texts << label->text();
    }
    texts << m.OpenDialog->windowTitle() << m.OpenDialog->nameFilters();
    texts << Forms.ErrorMessage->windowTitle() << Forms.AboutBox->windowTitle();
    return texts;
}

TEST_F(FormsTest, MainWindowAndTitlesShowTheirTexts)
{
    CreateInterfaceTexts();
    const QStringList expected = {"Population",
                                  "Read population",
                                  "Display variable",
                                  "Save population",
                                  "Stop",
                                  "Save lesson",
                                  "Open lesson",
                                  "Sample",
                                  "Target variabele",
                                  "Sampling design",
                                  "Estimator",
                                  "Stratified design",
                                  "Systematic design",
                                  "Cluster design",
                                  "Nonresponse",
                                  "Generate nonresponse",
                                  "Full response",
                                  "Simulation",
                                  "Parameters",
                                  "Begin",
                                  "Slow motion",
                                  "Colour missed intervals",
                                  "Mark full classes",
                                  "Compare",
                                  "Fit the scale to the estimator",
                                  "Show sample",
                                  "New random start",
                                  "Help",
                                  "Tarvek help",
                                  "About this program",
                                  "Population:",
                                  "Population size:",
                                  "Variables:",
                                  "Sample size:",
                                  "Target variable:",
                                  "Probabilities:",
                                  "Estimator:",
                                  "Nonresponse:",
                                  "Simulations:",
                                  " Select population file",
                                  "All populations (*.pop *.csv *.tsv *.txt)",
                                  "Population files (*.pop)",
                                  "CSV files (*.csv *.tsv *.txt)",
                                  " Error message",
                                  " About Tarvek"};
    EXPECT_EQ(VisibleTexts(), expected);
    for (const QString& text : VisibleTexts()) {
        EXPECT_FALSE(text.contains('&')) << "access-key marker in " << text.toStdString();
    }
}

TEST_F(FormsTest, RepeatedCallsChangeNothing)
{
    CreateInterfaceTexts();
    const QStringList first = VisibleTexts();
    const TInterfaceTexts table = InterfaceTexts;
    CreateInterfaceTexts();
    EXPECT_EQ(VisibleTexts(), first);
    EXPECT_EQ(InterfaceTexts.aboutTexts, table.aboutTexts);
    EXPECT_EQ(InterfaceTexts.parameterTexts, table.parameterTexts);
}

}  // namespace
