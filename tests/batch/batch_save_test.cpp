// Every file tarvek-batch writes is written whole or not at all: the program
// runs in a child whose file size limit is lowered, so that its writes fail as
// on a full disk.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <csignal>
#include <string>
#include <vector>

#include "tests/support/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string err;
};

/// Smaller than every file below, larger than nothing the program needs to start.
constexpr rlim_t FileSizeLimit = 1024;

std::string ReadWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWhole(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

/// Starts tarvek-batch with `arguments` in a child whose files may not grow
/// past `limit` bytes; standard output goes to /dev/null, standard error to
/// `errFile`, which the child closes on its side.
pid_t StartBatch(const std::vector<std::string>& arguments, rlim_t limit, int errFile)
{
    std::vector<char*> argv{const_cast<char*>(TARVEK_BATCH)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const testing_support::FileSizeLimit lowered(limit);
        std::signal(SIGTERM, SIG_DFL);  // whatever the test runner set
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(errFile, STDERR_FILENO);
        execv(TARVEK_BATCH, argv.data());
        _exit(127);
    }
    return child;
}

/// Runs tarvek-batch with `arguments`; its files may not grow past `limit`
/// bytes. Standard output goes to /dev/null, where no limit applies.
Outcome RunBatch(const std::vector<std::string>& arguments, rlim_t limit = RLIM_INFINITY)
{
    int errPipe[2];
    if (pipe(errPipe) != 0) {
        return {};
    }
    const pid_t child = StartBatch(arguments, limit, errPipe[1]);
    close(errPipe[1]);
    Outcome outcome;
    char buffer[4096];
    for (ssize_t got = 0; (got = read(errPipe[0], buffer, sizeof buffer)) > 0;) {
        outcome.err.append(buffer, static_cast<std::size_t>(got));
    }
    close(errPipe[0]);
    int raw = 0;
    waitpid(child, &raw, 0);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return outcome;
}

struct Writer {
    const char* name;
    const char* fileName;
    std::vector<std::string> arguments;  ///< "FILE" stands for the file written
};

const std::string Population = std::string(TARVEK_EXAMPLES) + "/mu284.pop";

TEST(BatchSaveTest, AFailedWriteKeepsTheOldFileAndLeavesNothingBeside)
{
    const std::vector<Writer> writers = {
        {"population", "good.pop", {"--write-population", "FILE", Population}},
        {"estimates", "estimates.csv", {"-s", "100", "--estimates", "FILE", Population}},
        {"compared estimates",
         "compared.csv",
         {"--compare", "equal/direct,equal/ratio:2", "-s", "100", "--estimates", "FILE", Population}},
        {"bitmap", "graph.bmp", {"-s", "100", "--plot", "FILE", Population}},
        {"vector drawing", "graph.svg", {"-s", "100", "--plot", "FILE", Population}},
    };
    const std::string old = "the good file\n";
    for (const Writer& writer : writers) {
        SCOPED_TRACE(writer.name);
        const fs::path folder = fs::path(::testing::TempDir()) /
                                ("tarvek_save_" + std::to_string(getpid()) + "_" + writer.fileName);
        fs::remove_all(folder);
        fs::create_directories(folder);
        const fs::path target = folder / writer.fileName;
        WriteWhole(target, old);
        chmod(target.c_str(), 0640);
        std::vector<std::string> arguments = writer.arguments;
        for (std::string& argument : arguments) {
            argument = argument == "FILE" ? target.string() : argument;
        }

        const Outcome failed = RunBatch(arguments, FileSizeLimit);
        EXPECT_EQ(failed.status, 1) << failed.err;
        EXPECT_EQ(failed.err.rfind("tarvek-batch: " + target.string() + ": ", 0), 0u) << failed.err;
        EXPECT_TRUE(ReadWhole(target) == old) << "the old file became " << fs::file_size(target) << " bytes";
        EXPECT_EQ(Entries(folder), std::vector<std::string>{writer.fileName});

        const Outcome written = RunBatch(arguments);
        EXPECT_EQ(written.status, 0) << written.err;
        EXPECT_GT(fs::file_size(target), FileSizeLimit);
        EXPECT_EQ(Entries(folder), std::vector<std::string>{writer.fileName});
        EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640))
            << "the replaced file's permissions stay";
        fs::remove_all(folder);
    }
}

/// Waits until `folder` (watched by the inotify descriptor `watch` since before
/// `child` started) holds a second entry; false once the child ended first.
bool WaitForSecondEntry(const fs::path& folder, int watch, pid_t child)
{
    const int ended = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    if (ended < 0) {
        return false;
    }
    std::array<pollfd, 2> events{pollfd{watch, POLLIN, 0}, pollfd{ended, POLLIN, 0}};
    bool seen = Entries(folder).size() >= 2;
    while (!seen && poll(events.data(), events.size(), -1) > 0 && (events[1].revents & POLLIN) == 0) {
        std::array<char, 4096> drained{};
        static_cast<void>(read(watch, drained.data(), drained.size()));
        seen = Entries(folder).size() >= 2;
    }
    close(ended);
    return seen;
}

TEST(BatchSaveTest, AnInterruptedRunKeepsTheOldFileAndLeavesNothingBeside)
{
    const fs::path folder = fs::path(::testing::TempDir()) / ("tarvek_interrupt_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path target = folder / "estimates.csv";
    const std::string old = "the good file\n";
    WriteWhole(target, old);
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO), 0);
    const int devNull = open("/dev/null", O_WRONLY);
    // Far more samples than are drawn before the interrupt.
    const pid_t child =
        StartBatch({"-s", "1000000", "--runs", "100", "--estimates", target.string(), Population},
                   RLIM_INFINITY, devNull);
    close(devNull);
    ASSERT_TRUE(WaitForSecondEntry(folder, watch, child))
        << "the run ended before its temporary file was seen";
    int raw = 0;
    kill(child, SIGTERM);
    waitpid(child, &raw, 0);
    EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGTERM) << "status " << raw;
    EXPECT_EQ(ReadWhole(target), old);
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"estimates.csv"});
    close(watch);
    fs::remove_all(folder);
}

}  // namespace
