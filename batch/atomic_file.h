#pragma once
// The output files of tarvek-batch, written whole or not at all: the text goes
// to a temporary file beside the target, which replaces the target only once
// every byte is written and on the disk. A run that fails on the way (a full
// disk, a file too large, an error, an interrupt) leaves the old file as it was
// and no temporary file behind.

#include <fstream>
#include <string>

class AtomicFile {
public:
    AtomicFile() = default;
    /// Removes the temporary file of a file that was not committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// \brief Starts writing `path`: creates the temporary file in its folder,
    /// with the permissions of the file it replaces (a new one's follow the
    /// umask). A symbolic link stays and its file is replaced; a device or a
    /// pipe is written directly, as there is nothing to replace. Returns "" or
    /// the system's reason.
    std::string Open(const std::string& path);

    /// \brief True between a successful Open and Commit.
    bool writing() const { return writing_; }

    /// \brief Where the contents go.
    std::ostream& stream() { return stream_; }

    /// \brief Puts the written file in place of the target; false when a write,
    /// the flush or the rename failed, the target then unchanged and the
    /// temporary file removed.
    bool Commit();

private:
    void Discard();

    std::ofstream stream_;
    std::string target_;
    std::string temporary_;  ///< empty when the target itself is written
    int descriptor_ = -1;    ///< the temporary file's, kept to sync it
    int pendingSlot_ = -1;   ///< where a signal that ends the program finds it
    bool writing_ = false;
};
