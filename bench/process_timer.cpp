// Times whole processes: runs a command REPEATS times, its output discarded, and
// prints the medians of the wall time (start of the process to its exit, as
// seen by the parent) and of its CPU time (user + system), and the largest
// resident size of any of the runs.
//   tarvek_process_timer REPEATS COMMAND [ARGUMENTS...]
// Output, one line: "wall_ms CPU_ms max_rss_kB".

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

struct Measurement {
    double wallMs = 0.0;
    double cpuMs = 0.0;
    long maxRssKb = 0;
};

double Milliseconds(const timeval& time)
{
    return time.tv_sec * 1e3 + time.tv_usec / 1e3;
}

/// One run of the command with its standard output and error on /dev/null;
/// false when it could not be started or did not exit with 0.
bool RunOnce(char** command, Measurement& measurement)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int failure = posix_spawn(&child, command[0], &actions, nullptr, command, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        return false;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        return false;
    }
    const auto end = std::chrono::steady_clock::now();
    measurement.wallMs = std::chrono::duration<double, std::milli>(end - start).count();
    measurement.cpuMs = Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
    measurement.maxRssKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const int repeats = argc >= 3 ? std::atoi(argv[1]) : 0;
    if (repeats < 1) {
        std::fprintf(stderr, "usage: tarvek_process_timer REPEATS COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    std::vector<double> wall;
    std::vector<double> cpu;
    long maxRssKb = 0;
    for (int run = 0; run < repeats; ++run) {
        Measurement measurement;
        if (!RunOnce(argv + 2, measurement)) {
            std::fprintf(stderr, "tarvek_process_timer: %s failed\n", argv[2]);
            return 1;
        }
        wall.push_back(measurement.wallMs);
        cpu.push_back(measurement.cpuMs);
        maxRssKb = std::max(maxRssKb, measurement.maxRssKb);
    }
    std::printf("%.3f %.3f %ld\n", Median(wall), Median(cpu), maxRssKb);
    return 0;
}
