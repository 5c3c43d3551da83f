#include "batch/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return SystemReason(errno);
    }
    temporary_ = temporary;
    descriptor_ = descriptor;
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
    writing_ = false;
}
