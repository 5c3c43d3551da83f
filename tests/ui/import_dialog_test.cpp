// Reading delimited files in the desktop program: the import dialog, the
// command line, files dropped on the main window and Save population.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "core/population_file.h"
#include "core/settings.h"
#include "engine/run_engine.h"
#include "tests/ui/forms_fixture.h"
#include "ui/error_message.h"
#include "ui/import_dialog.h"

namespace {

using testing_support::OnNextModal;
using testing_support::WriteTemporaryFile;

constexpr int SchoolCount = 6194;

/// A schools file as statistics programs export it: a quoted header, text
/// columns (the school type among them), missing values and a decimal point.
QByteArray SchoolsCsv()
{
    QByteArray csv =
        "\"cds\",\"name\",\"stype\",\"api00\",\"api99\",\"meals\",\"full\",\"enroll\",\"comment\"\n";
    constexpr const char* Types[] = {"E", "H", "M"};
    for (int i = 1; i <= SchoolCount; ++i) {
        csv += QByteArray::number(1000 + i) + ",\"School " + QByteArray::number(i) + ", north\"," +
               Types[(i * 7) % 3] + "," + QByteArray::number(400 + (i * 37) % 500) + "," +
               QByteArray::number(380 + (i * 31) % 500) + "," + QByteArray::number((i * 13) % 100) + "," +
               (i % 50 == 0 ? QByteArray("NA") : QByteArray::number(60 + (i % 41) * 0.5)) + "," +
               QByteArray::number(100 + (i * 17) % 1500) + ",\n";
    }
    return csv;
}

/// Ticks exactly the rows named, then presses OK or Cancel.
void TickAndPress(QWidget* modal, const QStringList& names, bool ok)
{
    auto* dialog = dynamic_cast<TImportDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    for (int j = 0; j < dialog->ColumnList->topLevelItemCount(); ++j) {
        QTreeWidgetItem* item = dialog->ColumnList->topLevelItem(j);
        item->setCheckState(0, names.contains(item->text(0)) ? Qt::Checked : Qt::Unchecked);
    }
    QTest::mouseClick(ok ? dialog->OKButton : dialog->CancelButton, Qt::LeftButton);
}

TEST_F(FormsTest, ASchoolsFileReadsThroughTheImportDialogAndSavesExactly)
{
    const QString path = WriteTemporaryFile("api schools.csv", SchoolsCsv());
    auto listed = std::make_shared<QStringList>();
    OnNextModal([listed](QWidget* modal) {
        auto* dialog = dynamic_cast<TImportDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        for (int j = 0; j < dialog->ColumnList->topLevelItemCount(); ++j) {
            const QTreeWidgetItem* item = dialog->ColumnList->topLevelItem(j);
            *listed << item->text(0) + " " + item->text(1) + " " + item->text(2) +
                           (item->checkState(0) == Qt::Checked ? " ticked" : "");
        }
        TickAndPress(modal, {"stype", "api00", "api99", "enroll"}, true);
    });
    Forms.Main->OpenPopulation(path);
    EXPECT_EQ(*listed,
              QStringList({"cds numeric 0 ticked", "name categorical, 6194 labels 0 ticked",
                           "stype categorical, 3 labels 0 ticked", "api00 numeric 0 ticked",
                           "api99 numeric 0 ticked", "meals numeric 0 ticked", "full numeric 123 ticked",
                           "enroll numeric 0 ticked", "comment no values 6194"}));
    EXPECT_EQ(Forms.Main->Label10->text(), "api schools");
    EXPECT_EQ(SimulationState.unitCount, SchoolCount);
    EXPECT_EQ(SimulationState.variableNames[1], "stype");
    EXPECT_EQ(SimulationState.variableNames[4], "enroll");

    SimulationState.auxiliaryVariable = 1;
    SimulationState.estimatorCode = EstimatorPostStratified;
    SimulationState.targetVariable = 2;
    SimulationState.sampleSize = 100;
    SimulationState.simulationCount = 20;
    ASSERT_EQ(CheckPostStrata(), "");
    RunEngine engine;
    engine.StartRun();
    SampleResult sample;
    while (engine.NextSample(sample) == DrawStatus::Accepted) {
    }
    EXPECT_EQ(engine.samplesDrawn(), 20);

    const TSimulationState before = SimulationState;
    Forms.Main->SavePopulationTo(path + ".pop");
    Forms.Main->OpenPopulation(path + ".pop");
    EXPECT_EQ(SimulationState.populationName, before.populationName);
    EXPECT_EQ(SimulationState.variableNames, before.variableNames);
    EXPECT_EQ(SimulationState.populationData, before.populationData);
}

TEST_F(FormsTest, TheImportDialogRefusesNoneOrMoreThanTenColumnsAndCancelChangesNothing)
{
    QByteArray eleven = "a,b,c,d,e,f,g,h,i,j,k\n";
    eleven += "1,2,3,4,5,6,7,8,9,10,11\n";
    const QString path = WriteTemporaryFile("eleven.csv", eleven);
    struct Case {
        QStringList ticked;
        QString message;
    };
    for (const Case& c :
         {Case{{}, "Tick at least one column!"},
          Case{{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"}, "Tick at most 10 columns!"}}) {
        auto message = std::make_shared<QString>();
        OnNextModal([c, message](QWidget* modal) {
            OnNextModal([message, modal](QWidget* error) {
                ASSERT_EQ(error, Forms.ErrorMessage);
                *message = Forms.ErrorMessage->Label2->text();
                QTest::mouseClick(Forms.ErrorMessage->OKButton, Qt::LeftButton);
                OnNextModal([](QWidget* again) { TickAndPress(again, {}, false); });
                Q_UNUSED(modal);
            });
            TickAndPress(modal, c.ticked, true);
        });
        Forms.Main->OpenPopulation(path);
        EXPECT_EQ(*message, c.message);
        EXPECT_EQ(SimulationState.variableCount, 0);
        EXPECT_EQ(Forms.Main->Label10->text(), "-");
    }
}

/// The ticks of the dialog's rows, in file order.
QStringList Ticked(const TImportDialog* dialog)
{
    QStringList names;
    for (const int j : dialog->TickedColumns()) {
        names << dialog->ColumnList->topLevelItem(j)->text(0);
    }
    return names;
}

TEST_F(FormsTest, ARefusedImportKeepsTheDialogAndItsChoiceAndCountsTheRowsLeftOut)
{
    const QString path =
        WriteTemporaryFile("gaps.csv", "a,b,c,t\n1,2,3,x\n2,,3,y\n3,4,NA,z\n4,,NA,w\n5,6,7,v\n");
    auto checked = std::make_shared<bool>(false);
    OnNextModal([checked](QWidget* modal) {
        auto* dialog = dynamic_cast<TImportDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        const QString all = "Rows with a missing value in a ticked column: 3 of 5";
        EXPECT_EQ(dialog->MissingRowsLabel->text(), all) << "counted before OK";
        QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible()) << "a refusal leaves the dialog open";
        EXPECT_TRUE(dialog->RefusalLabel->isVisible());
        EXPECT_EQ(dialog->RefusalLabel->text(), "Line 3: missing value in column b!");
        EXPECT_EQ(Ticked(dialog), QStringList({"a", "b", "c", "t"})) << "the ticks are kept";

        // The count follows the ticks: rows 3 and 5 miss b, rows 4 and 5 miss c.
        const std::vector<std::pair<QStringList, int>> cases = {
            {{"a"}, 0}, {{"a", "b"}, 2}, {{"c", "t"}, 2}, {{"a", "b", "c", "t"}, 3}};
        for (const auto& [names, rows] : cases) {
            for (int j = 0; j < dialog->ColumnList->topLevelItemCount(); ++j) {
                QTreeWidgetItem* item = dialog->ColumnList->topLevelItem(j);
                item->setCheckState(0, names.contains(item->text(0)) ? Qt::Checked : Qt::Unchecked);
            }
            EXPECT_EQ(dialog->MissingRowsLabel->text(),
                      QStringLiteral("Rows with a missing value in a ticked column: %1 of 5").arg(rows))
                << names.join(',').toStdString();
        }
        EXPECT_FALSE(dialog->RefusalLabel->isVisible()) << "a changed choice clears the refusal";
        dialog->DropMissingBox->setChecked(true);
        *checked = true;
        QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
    });
    Forms.Main->OpenPopulation(path);
    ASSERT_TRUE(*checked);
    EXPECT_EQ(SimulationState.variableCount, 4);
    ASSERT_EQ(SimulationState.unitCount, 2) << "the rows on lines 2 and 6";
    EXPECT_EQ(UnitValue(2, 1), 5.0);
    EXPECT_EQ(Forms.Main->Label10->text(), "gaps");
}

TEST_F(FormsTest, DroppedFilesAndBadFilesGoThroughTheSameReader)
{
    const QString path = WriteTemporaryFile("dropped.csv", "y;group\n1,5;A\n2;B\n");
    OnNextModal([](QWidget* modal) { TickAndPress(modal, {"y", "group"}, true); });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Forms.Main, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Forms.Main, &drop);
    EXPECT_EQ(SimulationState.unitCount, 2);
    EXPECT_EQ(UnitValue(1, 1), 1.5);
    EXPECT_EQ(Forms.Main->Label10->text(), "dropped");

    const QString ragged = WriteTemporaryFile("ragged.csv", "a,b\n1,2\n3\n");
    EXPECT_EQ(GeneralReportOf([&] { Forms.Main->OpenPopulation(ragged); }),
              "Line 3 has 1 fields, the header has 2!");
    EXPECT_EQ(SimulationState.unitCount, 2);
    EXPECT_EQ(Forms.Main->Label10->text(), "dropped");
}

TEST_F(FormsTest, APopulationWithoutUnitsIsRefusedAndTheOneReadStays)
{
    Forms.Main->OpenPopulation(WriteTemporaryFile("kept.pop", "kept\n2 1\nv\n1\n2\n"));
    ASSERT_EQ(SimulationState.unitCount, 2);
    const std::vector<std::pair<QString, QByteArray>> files = {
        {"empty.pop", ""},
        {"header.pop", "none\n0 0\n"},
        {"old mac.pop", "old\r2 1\rv\r1\r2\r"},
        {"gaps.csv", "a,b\n1,\n,2\n"},
    };
    for (const auto& [name, contents] : files) {
        auto report = std::make_shared<QString>(QStringLiteral("(no report)"));
        const auto readReport = [report](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            *report = box->text();
            box->accept();
        };
        OnNextModal([readReport](QWidget* modal) {
            auto* dialog = dynamic_cast<TImportDialog*>(modal);
            if (dialog == nullptr) {
                readReport(modal);
                return;
            }
            // Every row of the file has a gap: dropping them leaves no unit.
            dialog->DropMissingBox->setChecked(true);
            OnNextModal(readReport);
            TickAndPress(modal, {"a", "b"}, true);
        });
        Forms.Main->OpenPopulation(WriteTemporaryFile(name, contents));
        EXPECT_EQ(*report, QLatin1String(NoUnitsMessage)) << name.toStdString();
        EXPECT_EQ(SimulationState.unitCount, 2);
        EXPECT_EQ(Forms.Main->Label10->text(), "kept");
    }
}

TEST(PopulationArgumentTest, TakesTheLastArgumentThatIsNoOption)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{}, ""},
        {{"schools.csv"}, "schools.csv"},
        {{"--zoom", "2", "schools.csv"}, "schools.csv"},
        {{"schools.csv", "--zoom", "2"}, "schools.csv"},
        {{"--zoom=2", "a.pop"}, "a.pop"},
        {{"-x"}, ""},
    };
    for (const auto& [arguments, expected] : cases) {
        EXPECT_EQ(PopulationArgument(arguments), expected) << arguments.join(' ').toStdString();
    }
}

TEST(ProgramOptionsTest, HelpAndVersionAnswerWithoutAWindowAndUnknownOptionsAreRefused)
{
    struct Case {
        QStringList arguments;
        int exitCode;
        QStringList outputHolds;  ///< empty: nothing on standard output
        QString error;            ///< the last line of standard error
        bool withoutDisplay = false;  ///< on the X11 platform with no display to open
    };
    const QStringList usage = {"Usage: tarvek [OPTIONS] [POPULATION_FILE]\n", "--zoom F", "--version",
                               "--help"};
    const QString refusal = QStringLiteral("tarvek: unknown option '%1' (see --help)\n");
    const std::vector<Case> cases = {
        {{"--help"}, 0, usage, ""},
        {{"--zoom", "2", "-h", "a.pop"}, 0, usage, ""},
        {{"--version"}, 0, {"tarvek version 3.11\n"}, ""},
        {{"--frobnicate", "a.pop"}, 2, {}, refusal.arg("--frobnicate")},
        {{"--zoom=2", "a.pop", "-x"}, 2, {}, refusal.arg("-x")},
        // Refused before Qt opens the display, which would abort the program.
        {{"--no-such-option"}, 2, {}, refusal.arg("--no-such-option"), true},
        {{"-style", "Fusion", "--zoom", "2", "-x"}, 2, {}, refusal.arg("-x"), true},
    };
    for (const Case& c : cases) {
        const std::string label = c.arguments.join(' ').toStdString();
        QProcess program;
        if (c.withoutDisplay) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            environment.remove(QStringLiteral("DISPLAY"));
            environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
            program.setProcessEnvironment(environment);
        }
        program.start(QStringLiteral(TARVEK_PROGRAM), c.arguments);
        // A window would keep the program running: it must end on its own.
        ASSERT_TRUE(program.waitForFinished(60000)) << label;
        EXPECT_EQ(program.exitCode(), c.exitCode) << label;
        const QString output = QString::fromLocal8Bit(program.readAllStandardOutput());
        EXPECT_EQ(output.isEmpty(), c.outputHolds.isEmpty()) << label;
        for (const QString& part : c.outputHolds) {
            EXPECT_TRUE(output.contains(part)) << label << " lacks " << part.toStdString();
        }
        // Qt may warn about the environment before the refusal, on lines of its own.
        const QString error = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(c.error.isEmpty() ? error.isEmpty()
                                      : error.endsWith(QLatin1Char('\n') + c.error) || error == c.error)
            << label << ": " << error.toStdString();
    }
}

}  // namespace
