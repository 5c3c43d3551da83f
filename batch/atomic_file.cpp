#include "batch/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

/// The file a path names, through symbolic links, so that a link is kept; the
/// path itself when nothing exists there yet.
std::string ResolvedTarget(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path : target.string();
}

/// Reading the umask means setting it; the program has a single thread.
mode_t CurrentUmask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

std::string SystemReason(int error)
{
    return std::strerror(error);
}

/// The signals whose default action ends the program: an interrupt, a closed
/// pipe, the file size limit.
constexpr std::array<int, 5> EndingSignals = {SIGHUP, SIGINT, SIGTERM, SIGPIPE, SIGXFSZ};

/// Holds the ending signals back while a temporary file is created and noted,
/// so that none ends the program in between.
class EndingSignalsHeld {
public:
    EndingSignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : EndingSignals) {
            sigaddset(&held, signal);
        }
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~EndingSignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

/// The temporary files being written, for a signal that ends the program (an
/// interrupt, a closed pipe, the file size limit) to remove: the names are
/// copied into fixed room, as the handler may not allocate.
struct PendingFile {
    std::array<char, PATH_MAX> name{};
    volatile std::sig_atomic_t used = 0;
};
std::array<PendingFile, 4> pendingFiles;

extern "C" void RemovePendingFilesAndEnd(int signal)
{
    for (const PendingFile& pending : pendingFiles) {
        if (pending.used != 0) {
            unlink(pending.name.data());
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

/// Removes the temporary files when one of these signals ends the program; a
/// signal the caller ignores (nohup) stays ignored.
void RemovePendingFilesOnSignals()
{
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    for (const int signal : EndingSignals) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            std::signal(signal, RemovePendingFilesAndEnd);
        }
    }
}

/// The slot that now holds `name`; -1 when none is free or the name is too long.
int AddPendingFile(const std::string& name)
{
    if (name.size() >= PATH_MAX) {
        return -1;
    }
    for (std::size_t slot = 0; slot < pendingFiles.size(); ++slot) {
        PendingFile& pending = pendingFiles[slot];
        if (pending.used == 0) {
            RemovePendingFilesOnSignals();
            std::memcpy(pending.name.data(), name.c_str(), name.size() + 1);
            pending.used = 1;
            return static_cast<int>(slot);
        }
    }
    return -1;
}

void RemovePendingFile(int slot)
{
    if (slot >= 0) {
        pendingFiles[static_cast<std::size_t>(slot)].used = 0;
    }
}

}  // namespace

AtomicFile::~AtomicFile()
{
    Discard();
}

std::string AtomicFile::Open(const std::string& path)
{
    Discard();
    target_ = ResolvedTarget(path);
    struct stat existing {};
    const bool exists = stat(target_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        return SystemReason(EISDIR);
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        stream_.open(target_, std::ios::out | std::ios::binary);
        writing_ = static_cast<bool>(stream_);
        return writing_ ? "" : SystemReason(errno);
    }
    // A file the user may not write stays untouched, as when it is written directly.
    if (exists && access(target_.c_str(), W_OK) != 0) {
        return SystemReason(errno);
    }
    std::string temporary = target_ + ".XXXXXX";
    {
        const EndingSignalsHeld held;
        descriptor_ = mkostemp(temporary.data(), O_CLOEXEC);
        if (descriptor_ < 0) {
            return SystemReason(errno);
        }
        pendingSlot_ = AddPendingFile(temporary);
    }
    temporary_ = temporary;
    const mode_t mode = exists ? existing.st_mode & 07777 : 0666 & ~CurrentUmask();
    if (fchmod(descriptor_, mode) != 0) {
        const int error = errno;
        Discard();
        return SystemReason(error);
    }
    stream_.open(temporary_, std::ios::out | std::ios::binary);
    if (!stream_) {
        const int error = errno;
        Discard();
        return SystemReason(error);
    }
    writing_ = true;
    return "";
}

bool AtomicFile::Commit()
{
    stream_.close();
    bool written = writing_ && !stream_.fail();
    writing_ = false;
    if (temporary_.empty()) {
        return written;
    }
    written = written && fsync(descriptor_) == 0;
    written = close(descriptor_) == 0 && written;
    descriptor_ = -1;
    written = written && std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (written) {
        temporary_.clear();
        RemovePendingFile(pendingSlot_);
        pendingSlot_ = -1;
    }
    Discard();
    return written;
}

void AtomicFile::Discard()
{
    if (stream_.is_open()) {
        stream_.close();
    }
    stream_.clear();
    if (descriptor_ >= 0) {
        close(descriptor_);
        descriptor_ = -1;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
    RemovePendingFile(pendingSlot_);
    pendingSlot_ = -1;
    writing_ = false;
}
