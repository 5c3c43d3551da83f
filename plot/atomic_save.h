#pragma once
// Files written whole or not at all: the contents go to a temporary file in the
// target's folder, which replaces the target only once every byte of it is
// written and flushed. A save that fails on the way (a full disk, a file too
// large) leaves the old file as it was and no temporary file behind.

#include <QByteArray>
#include <QString>

/// \brief Writes `contents` to `fileName` through a temporary file beside it.
/// Returns "" or the reason it failed; a file that existed is then unchanged.
QString SaveAtomically(const QString& fileName, const QByteArray& contents);
