#pragma once
// Read access to a compiled HTML help file (.chm) through chmlib.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

struct chmFile;

/// \brief An open compiled help file whose stored files are read by their path
/// ("/page.html"). The file stays open for the object's lifetime.
class ChmFile {
public:
    /// \brief Opens the help file at `path`; isOpen() tells whether that worked
    /// (a missing file, or one that is no compiled help file, is not open).
    explicit ChmFile(const QString& path);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    bool isOpen() const { return handle_ != nullptr; }

    /// \brief The contents of the stored file at `path` (case-insensitive, with
    /// or without the leading "/"); no value when there is no such file.
    std::optional<QByteArray> read(const QString& path) const;

    /// \brief The paths of every stored page and picture, system files left out.
    QStringList filePaths() const;

    /// \brief The path of the table of contents (.hhc); empty when there is none.
    QString contentsPath() const { return contentsPath_; }
    /// \brief The path of the keyword index (.hhk); empty when there is none.
    QString indexPath() const { return indexPath_; }
    /// \brief The page shown first; empty when the file names none.
    QString defaultTopic() const { return defaultTopic_; }
    /// \brief The title the help project gives itself; may be empty.
    QString title() const { return title_; }

private:
    void readSystemEntries();
    QString firstPathEndingWith(const QString& suffix) const;

    chmFile* handle_ = nullptr;
    QString contentsPath_;
    QString indexPath_;
    QString defaultTopic_;
    QString title_;
};
