// A seeded random walk through the real windows: menu commands, every field of
// every dialog filled with valid and invalid texts, OK and Cancel, and Next,
// Automatic, Statistics and Save in the simulation windows. After each command
// the record must keep its invariants and no window may be left open.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStringList>
#include <QTableWidget>
#include <QTimer>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "core/simulation_state.h"
#include "ui/simulation_window.h"
#include "ui/statistics_table.h"
#include "tests/support/gui_test_support.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/main_window.h"

namespace {

/// "nan", "inf" or "infinity" as a word, as a number formatter would spell them.
bool SpellsNonFinite(const QString& text)
{
    static const QRegularExpression word(QStringLiteral(R"(\b(nan|inf|infinity)\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return word.match(text).hasMatch();
}

constexpr unsigned RandomSeed = 20240611;
constexpr int CommandCount = 4000;
/// Actions on one window after which it is closed for sure.
constexpr int ActionsBeforeClosing = 8;

const QStringList EntryTexts = {
    "",   "x",   "-1",  "0",    "1",    "2",  "3",  "5",   "7",   "10",         "12",          "30",
    "99", "100", "101", "1000", "1001", " 7", "+4", "3.5", "1e3", "2147483648", "-2147483649", "  ",
};
const QStringList RealTexts = {"0", "-1e300", "1e300", "1e-300", "abc",   "",
                               "5", "-5",     "nan",   "inf",    "1e400", "3.25"};

/// The populations the walk reads: usable ones, awkward ones and broken ones.
QStringList PopulationFiles()
{
    using testing_support::WriteTemporaryFile;
    return {
        WriteTemporaryFile("strata.pop",
                           "Twelve pupils\n12 3\nscore\nhours\nclass\n"
                           "10 2 1\n12 3 1\n9 2 1\n15 4 2\n14 4 2\n13 3 2\n"
                           "20 6 3\n22 7 3\n18 5 3\n25 8 3\n11 3 1\n16 4 2\n"),
        WriteTemporaryFile("awkward.pop",
                           "Zeros and negatives\n8 3\nvalue\nsize\nconstant\n"
                           "0 -1 5\n3 0 5\n-2 2 5\n7 4 5\n1e300 1 5\n-1e300 2 5\n4 3 5\n5 5 5\n"),
        WriteTemporaryFile("single.pop", "One unit\n1 2\na\nb\n1 2\n"),
        WriteTemporaryFile("novariables.pop", "No variables\n5 0\n"),
        WriteTemporaryFile("broken.pop", "Broken\n3 1\nv\n1\n2,5\n3\n"),
        WriteTemporaryFile("tiny.pop", "Tiny\n1e-300 1\n"),
        QStringLiteral("/nonexistent/folder/missing.pop"),
    };
}

/// Acts on whatever modal window is open, one random action at a time. Actions
/// are posted, so that a window that an action opens is driven in turn.
class RandomUser {
public:
    explicit RandomUser(std::mt19937& random) : random_(random), files_(PopulationFiles())
    {
        poll_.setInterval(1);
        QObject::connect(&poll_, &QTimer::timeout, [this] { ActSoon(); });
        poll_.start();
    }

    /// Texts that spell a non-finite value were shown.
    QStringList nonFiniteTexts;

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    bool Chance(int percent) { return Pick(100) < percent; }

    void ActSoon()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (pending_ || modal == nullptr || !modal->isVisible()) {
            return;
        }
        pending_ = true;
        QTimer::singleShot(0, modal, [this, modal] {
            pending_ = false;
            Act(modal);
        });
    }

    void Act(QWidget* modal)
    {
        const int actions = ++actionsOn_[modal];
        if (auto* fileDialog = qobject_cast<QFileDialog*>(modal)) {
            ChooseFile(fileDialog);
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->accept();
        } else if (auto* window = dynamic_cast<SimulationWindow*>(modal)) {
            DriveSimulation(window, actions);
        } else if (auto* table = dynamic_cast<TStatistics*>(modal)) {
            ReadStatistics(table);
        } else if (modal->findChild<QPushButton*>(QStringLiteral("CancelButton")) != nullptr) {
            DriveSettings(qobject_cast<QDialog*>(modal), actions);
        } else {
            Press(modal, "OKButton");
        }
    }

    void ChooseFile(QFileDialog* dialog)
    {
        const bool open = dialog->acceptMode() == QFileDialog::AcceptOpen;
        if (Chance(10) || !open) {
            dialog->reject();
            return;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        // Mostly the usable populations, so that the walk gets past the first checks.
        const int usable = Chance(70) ? Pick(2) : Pick(files_.size());
        name->setText(files_[usable]);
        static_cast<QDialog*>(dialog)->accept();
    }

    void DriveSimulation(SimulationWindow* window, int actions)
    {
        static const std::vector<const char*> buttons = {
            "NextButton", "NextButton", "NextButton", "FastButton", "StatButton", "SaveButton", "OKButton"};
        Press(window, actions >= ActionsBeforeClosing ? "OKButton" : buttons[Pick(buttons.size())]);
    }

    void ReadStatistics(TStatistics* table)
    {
        for (int row = 0; row < table->Tab->rowCount(); ++row) {
            for (int column = 0; column < table->Tab->columnCount(); ++column) {
                const QTableWidgetItem* item = table->Tab->item(row, column);
                NoteIfNonFinite(item != nullptr ? item->text() : QString());
            }
        }
        table->OKButton->click();
    }

    void DriveSettings(QDialog* dialog, int actions)
    {
        if (actions > ActionsBeforeClosing) {
            dialog->reject();
            return;
        }
        for (int change = 1 + Pick(4); change > 0; --change) {
            ChangeOneControl(dialog);
        }
        const int choice = Pick(10);
        if (choice < 7) {
            Press(dialog, "OKButton");
        } else if (choice < 9) {
            Press(dialog, "CancelButton");
        } else {
            Press(dialog, "SetButton");
        }
    }

    void ChangeOneControl(QDialog* dialog)
    {
        switch (Pick(4)) {
            case 0:
                if (auto* field = PickChild<QLineEdit>(dialog, "Edit")) {
                    TypeAndLeave(field);
                }
                break;
            case 1:
                if (auto* list = PickChild<QComboBox>(dialog, "ComboBox");
                    list != nullptr && list->isEnabled()) {
                    // Now and then no variable at all.
                    list->setCurrentIndex(Chance(10) ? -1 : Pick(list->count()));
                }
                break;
            case 2:
                if (auto* button = PickChild<QRadioButton>(dialog, "RadioButton")) {
                    button->click();
                }
                break;
            default:
                if (auto* spin = PickChild<QSpinBox>(dialog, "SpinEdit")) {
                    spin->setValue(Pick(6));
                }
        }
    }

    /// As typing and then the Tab key would: the field counts as edited and
    /// loses the focus.
    void TypeAndLeave(QLineEdit* field)
    {
        const QStringList& texts = Chance(75) ? EntryTexts : RealTexts;
        field->setText(texts[Pick(texts.size())]);
        field->setModified(true);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(field, &leave);
    }

    template <typename Control>
    Control* PickChild(QWidget* parent, const char* namePrefix)
    {
        std::vector<Control*> candidates;
        for (Control* child : parent->findChildren<Control*>()) {
            if (child->objectName().startsWith(QLatin1String(namePrefix))) {
                candidates.push_back(child);
            }
        }
        return candidates.empty() ? nullptr : candidates[Pick(candidates.size())];
    }

    static void Press(QWidget* window, const char* name)
    {
        if (auto* button = window->findChild<QPushButton*>(QLatin1String(name))) {
            button->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(window)) {
            dialog->reject();
        }
    }

    void NoteIfNonFinite(const QString& text)
    {
        if (SpellsNonFinite(text)) {
            nonFiniteTexts << text;
        }
    }

    std::mt19937& random_;
    QStringList files_;
    QTimer poll_;
    bool pending_ = false;
    std::map<QWidget*, int> actionsOn_;
};

class RandomizedInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulationState = TSimulationState{};
        CreateForms();
    }
    void TearDown() override { DestroyForms(); }

    static std::vector<QAction*> Commands()
    {
        const TMain& main = *Forms.Main;
        return {main.Readpopulation1,      main.Simulationoptions1, main.Displayvariable1,
                main.Targetvariable1,      main.Samplingdesign1,    main.Estimator1,
                main.Generatenonresponse1, main.Nononresponse1,     main.Simulationoptions1,
                main.Startsimulation1,     main.Startsimulation1,   main.Aboutthisprogram1};
    }

    testing_support::ModalWatchdog watchdog_{20};
};

/// The invariants of the record that every dialog keeps.
void ExpectInvariants(int step)
{
    const TSimulationState& s = SimulationState;
    const int units = s.unitCount;
    const int variables = s.variableCount;
    const auto isVariable = [variables](int k) { return k >= 1 && k <= variables; };
    SCOPED_TRACE(testing::Message() << "after command " << step);
    ASSERT_GE(units, 0);
    ASSERT_LE(units, MaxUnits);
    ASSERT_LE(variables, MaxVariables);
    if (variables < 1) {
        return;
    }
    EXPECT_TRUE(isVariable(s.targetVariable)) << s.targetVariable;
    EXPECT_GE(s.sampleSize, 0);
    EXPECT_LE(s.sampleSize, units);
    EXPECT_GE(s.simulationCount, 10);
    EXPECT_LE(s.simulationCount, MaxSamples);
    EXPECT_TRUE(s.verticalCompression >= 1 && s.verticalCompression <= 4) << s.verticalCompression;
    EXPECT_TRUE(s.designCode == DesignEqualProbabilities || s.designCode == DesignProportionalToSize);
    EXPECT_TRUE(s.estimatorCode >= EstimatorDirect && s.estimatorCode <= EstimatorPostStratified);
    if (s.designCode == DesignProportionalToSize) {
        EXPECT_EQ(s.estimatorCode, EstimatorDirect) << "only the direct estimator goes with this design";
    }
    if (s.designCode == DesignProportionalToSize || s.estimatorCode != EstimatorDirect) {
        EXPECT_TRUE(isVariable(s.auxiliaryVariable)) << s.auxiliaryVariable;
    }
    EXPECT_TRUE(std::isfinite(s.scaleLower) && std::isfinite(s.scaleUpper))
        << s.scaleLower << " " << s.scaleUpper;
    if (s.nonresponseOn) {
        EXPECT_TRUE(isVariable(s.nonresponseVariable)) << s.nonresponseVariable;
    }
}

TEST_F(RandomizedInterfaceTest, ThousandsOfRandomCommandsKeepTheRecordValid)
{
    std::mt19937 random(RandomSeed);
    RandomUser user(random);
    const std::vector<QAction*> commands = Commands();
    std::uniform_int_distribution<std::size_t> pick(0, commands.size() - 1);
    for (int step = 1; step <= CommandCount; ++step) {
        commands[pick(random)]->trigger();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "after command " << step;
        ExpectInvariants(step);
        for (QLabel* label : Forms.Main->findChildren<QLabel*>()) {
            EXPECT_FALSE(SpellsNonFinite(label->text()))
                << label->objectName().toStdString() << ": " << label->text().toStdString();
        }
        if (HasFailure()) {
            break;
        }
    }
    EXPECT_TRUE(user.nonFiniteTexts.isEmpty()) << user.nonFiniteTexts.join(", ").toStdString();
}

}  // namespace
