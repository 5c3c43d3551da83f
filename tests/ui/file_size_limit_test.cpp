// The desktop program from its own start under a file size limit set as a
// shell's `ulimit -f` sets it: a save past the limit fails with the system's
// reason, the file saved over stays as it was and the session goes on.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "core/simulation_state.h"
#include "tests/support/gui_test_support.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/main_window.h"

namespace {

constexpr rlim_t Limit = 4096;
constexpr char OldContents[] = "the old population\n";
// Writable, as the program's arguments are.
char programName[] = "tarvek";
char population[] = TARVEK_EXAMPLES "/mu284.pop";
QString target;

/// Saves the population over `target` and ends the program: exit code 0 when
/// the session is still there with the old file kept; the report on stderr.
void SaveOverTheOldFile()
{
    const testing_support::ModalWatchdog watchdog;
    testing_support::OnNextModal([](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            std::fprintf(stderr, "%s\n", box->text().toLocal8Bit().constData());
        }
        modal->close();
    });
    Forms.Main->SavePopulationTo(target);
    QFile saved(target);
    const bool kept = saved.open(QIODevice::ReadOnly) && saved.readAll() == OldContents;
    const bool sessionGoesOn = SimulationState.unitCount == 284 && Forms.Main->isVisible();
    QApplication::exit(kept && sessionGoesOn ? 0 : 1);
}

void QueueTheSave()
{
    QTimer::singleShot(0, SaveOverTheOldFile);
}

/// The program started at the limit with the signal's default action, as a
/// shell starts it; returns its exit code.
int RunProgramAtTheLimit()
{
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = Limit;
    setrlimit(RLIMIT_FSIZE, &limit);
    static char* arguments[] = {programName, population, nullptr};
    static int count = 2;
    qAddPreRoutine(QueueTheSave);
    return RunApplication(count, arguments);
}

TEST(FileSizeLimitTest, ASavePastTheLimitFailsAndTheSessionGoesOn)
{
    ASSERT_GT(QFile(QString::fromLocal8Bit(population)).size(), static_cast<qint64>(Limit));
    const QTemporaryDir folder;
    target = folder.filePath(QStringLiteral("saved.pop"));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write(OldContents) == sizeof OldContents - 1);
    old.close();
    EXPECT_EXIT(std::exit(RunProgramAtTheLimit()), ::testing::ExitedWithCode(0),
                "Cannot write \".*saved.pop\": File too large");
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
