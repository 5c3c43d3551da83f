#include "ui/example_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// The build defines TARVEK_DATA_FROM_PROGRAM (the installed data folder relative
// to the program's folder), TARVEK_HELP_BUILD_FOLDER (where the build compiles the
// help file) and TARVEK_EXAMPLES_SOURCE_FOLDER (the example populations' sources,
// which need no build step).

namespace {

// `name` beside the program and in the installed data folder.
QStringList InstalledCandidates(const QString& name)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QDir dataFolder(programFolder.filePath(QStringLiteral(TARVEK_DATA_FROM_PROGRAM)));
    return {QDir::cleanPath(programFolder.filePath(name)), QDir::cleanPath(dataFolder.filePath(name))};
}

template <typename Predicate>
QString FirstMatching(const QStringList& paths, Predicate isWanted)
{
    for (const QString& path : paths) {
        if (isWanted(QFileInfo(path))) {
            return path;
        }
    }
    return QString();
}

}  // namespace

QStringList HelpFileCandidates()
{
    const QString name = QLatin1String(HelpFileName);
    return InstalledCandidates(name) << QDir(QStringLiteral(TARVEK_HELP_BUILD_FOLDER)).filePath(name);
}

QString HelpFilePath()
{
    return FirstMatching(HelpFileCandidates(), [](const QFileInfo& file) { return file.isFile(); });
}

QString ExamplesFolder()
{
    const QStringList folders = InstalledCandidates(QStringLiteral("examples"))
                                << QStringLiteral(TARVEK_EXAMPLES_SOURCE_FOLDER);
    return FirstMatching(folders, [](const QFileInfo& folder) { return folder.isDir(); });
}

bool IsExampleFile(const QString& path)
{
    const QString examples = QFileInfo(ExamplesFolder()).canonicalFilePath();
    const QFileInfo file(path);
    return !examples.isEmpty() && file.isFile() && file.canonicalPath() == examples;
}

QString ExampleFile(const QString& name)
{
    const QString examples = ExamplesFolder();
    if (examples.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('/'))) {
        return {};
    }
    const QString path = QDir(examples).filePath(name);
    return QFileInfo(path).isFile() ? path : QString();
}
