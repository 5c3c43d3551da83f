#include "plot/atomic_save.h"

#include <QSaveFile>

namespace {

/// Writes all of `contents`: a write cut short by a full disk or the file size
/// limit is tried again, so that the system says why it stops.
bool WriteAll(QSaveFile& file, const QByteArray& contents)
{
    qint64 done = 0;
    while (done < contents.size()) {
        const qint64 written = file.write(contents.constData() + done, contents.size() - done);
        if (written <= 0) {
            return false;
        }
        done += written;
    }
    return file.flush() && file.error() == QFileDevice::NoError;
}

}  // namespace

QString SaveAtomically(const QString& fileName, const QByteArray& contents)
{
    QSaveFile file(fileName);
    // Unbuffered: the contents go out in one piece, and a write that fails
    // says why at once.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    if (!WriteAll(file, contents)) {
        const QString reason = file.errorString();
        file.cancelWriting();  // the destructor removes the temporary file
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}
