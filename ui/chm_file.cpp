#include "ui/chm_file.h"

#include <chm_lib.h>

#include <QFile>
#include <QtEndian>

namespace {

// A stored file larger than this is taken as damage, not as a page.
constexpr LONGUINT64 MaxStoredFileSize = LONGUINT64{64} * 1024 * 1024;

// Codes of the entries of the "/#SYSTEM" file that name the project's files.
enum SystemEntryCode : quint16 {
    ContentsFileEntry = 0,
    IndexFileEntry = 1,
    DefaultTopicEntry = 2,
    TitleEntry = 3,
};

QString StoredPath(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
}

bool IsSystemPath(const QString& path)
{
    return path.startsWith(QLatin1String("/#")) || path.startsWith(QLatin1String("/$")) ||
           path.startsWith(QLatin1String("::"));
}

int CollectPath(chmFile*, chmUnitInfo* unit, void* context)
{
    auto* paths = static_cast<QStringList*>(context);
    const QString path = QString::fromUtf8(unit->path);
    if (!IsSystemPath(path) && !path.endsWith(QLatin1Char('/'))) {
        paths->append(path);
    }
    return CHM_ENUMERATOR_CONTINUE;
}

// The text of a NUL-terminated entry value.
QString EntryText(const QByteArray& value)
{
    const qsizetype end = value.indexOf('\0');
    return QString::fromLatin1(end < 0 ? value : value.left(end));
}

}  // namespace

ChmFile::ChmFile(const QString& path)
{
    if (!QFile::exists(path)) {
        return;
    }
    handle_ = chm_open(QFile::encodeName(path).constData());
    if (handle_ != nullptr) {
        readSystemEntries();
    }
}

ChmFile::~ChmFile()
{
    if (handle_ != nullptr) {
        chm_close(handle_);
    }
}

std::optional<QByteArray> ChmFile::read(const QString& path) const
{
    if (handle_ == nullptr) {
        return std::nullopt;
    }
    chmUnitInfo unit{};
    const QByteArray storedPath = StoredPath(path).toUtf8();
    if (chm_resolve_object(handle_, storedPath.constData(), &unit) != CHM_RESOLVE_SUCCESS ||
        unit.length > MaxStoredFileSize) {
        return std::nullopt;
    }
    QByteArray contents(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    const LONGINT64 length = static_cast<LONGINT64>(unit.length);
    if (length > 0 && chm_retrieve_object(handle_, &unit, reinterpret_cast<unsigned char*>(contents.data()),
                                          0, length) != length) {
        return std::nullopt;
    }
    return contents;
}

QStringList ChmFile::filePaths() const
{
    QStringList paths;
    if (handle_ != nullptr) {
        chm_enumerate(handle_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, &CollectPath, &paths);
    }
    return paths;
}

void ChmFile::readSystemEntries()
{
    // "/#SYSTEM": a 4-byte version, then entries of code, length and value.
    const QByteArray system = read(QStringLiteral("/#SYSTEM")).value_or(QByteArray());
    qsizetype position = 4;
    while (position + 4 <= system.size()) {
        const auto code = qFromLittleEndian<quint16>(system.constData() + position);
        const auto length = qFromLittleEndian<quint16>(system.constData() + position + 2);
        position += 4;
        if (position + length > system.size()) {
            break;
        }
        const QString value = EntryText(system.mid(position, length));
        position += length;
        if (value.isEmpty()) {
            continue;
        }
        switch (code) {
            case ContentsFileEntry:
                contentsPath_ = StoredPath(value);
                break;
            case IndexFileEntry:
                indexPath_ = StoredPath(value);
                break;
            case DefaultTopicEntry:
                defaultTopic_ = StoredPath(value);
                break;
            case TitleEntry:
                title_ = value;
                break;
            default:
                break;
        }
    }
    if (contentsPath_.isEmpty()) {
        contentsPath_ = firstPathEndingWith(QStringLiteral(".hhc"));
    }
    if (indexPath_.isEmpty()) {
        indexPath_ = firstPathEndingWith(QStringLiteral(".hhk"));
    }
}

QString ChmFile::firstPathEndingWith(const QString& suffix) const
{
    for (const QString& path : filePaths()) {
        if (path.endsWith(suffix, Qt::CaseInsensitive)) {
            return path;
        }
    }
    return QString();
}
