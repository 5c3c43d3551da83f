// The desktop program keeps no settings: a session that reads a population,
// runs a simulation, saves its graph elsewhere and exits leaves the user's
// configuration, data, cache and home folders as empty as it found them.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <utility>

#include "tests/support/gui_test_support.h"
#include "ui/application.h"
#include "ui/distribution_window.h"
#include "ui/forms.h"
#include "ui/main_window.h"

namespace {

int savedArgc = 0;
char** savedArgv = nullptr;
QString populationPath;
QString graphPath;

/// Types `path` into the next file dialog and accepts it, as the user would.
void ChooseInNextFileDialog(const QString& path, const std::function<void(QWidget*)>& afterwards = {})
{
    testing_support::OnNextModal([path, afterwards](QWidget* modal) {
        if (afterwards) {
            testing_support::OnNextModal(afterwards);
        }
        testing_support::TypeIntoFileDialog(modal, path);
    });
}

void SaveAGraphAndClose(QWidget* window)
{
    ASSERT_EQ(window, Forms.Simula);
    Forms.Simula->NextButtonClick();
    ChooseInNextFileDialog(graphPath);
    Forms.Simula->SaveButtonClick();
    Forms.Simula->OKButtonClick();
}

void UseTheProgramAndExit()
{
    const testing_support::ModalWatchdog watchdog;
    ChooseInNextFileDialog(populationPath);
    Forms.Main->Readpopulation1->trigger();
    testing_support::OnNextModal(SaveAGraphAndClose);
    Forms.Main->Startsimulation1->trigger();
    Forms.Main->Exit1->trigger();
}

void QueueTheSession()
{
    QTimer::singleShot(0, UseTheProgramAndExit);
}

std::string Entries(const QTemporaryDir& folder)
{
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    return QDir(folder.path()).entryList(all).join(QStringLiteral(", ")).toStdString();
}

TEST(NoFilesLeftTest, ASessionWritesOnlyTheSavedGraph)
{
    const QTemporaryDir config, data, cache, home, work;
    for (const auto& [variable, folder] : {std::pair{"XDG_CONFIG_HOME", &config},
                                           {"XDG_DATA_HOME", &data},
                                           {"XDG_CACHE_HOME", &cache},
                                           {"HOME", &home}}) {
        qputenv(variable, folder->path().toLocal8Bit());
    }
    populationPath = QStringLiteral(TARVEK_EXAMPLES "/mu284.pop");
    graphPath = work.filePath(QStringLiteral("graph.bmp"));

    qAddPreRoutine(QueueTheSession);
    EXPECT_EQ(RunApplication(savedArgc, savedArgv), 0);

    EXPECT_TRUE(QFile::exists(graphPath)) << "the session ran to the save";
    for (const QTemporaryDir* folder : {&config, &data, &cache, &home}) {
        EXPECT_EQ(Entries(*folder), "") << folder->path().toStdString();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    savedArgc = argc;
    savedArgv = argv;
    return RUN_ALL_TESTS();
}
