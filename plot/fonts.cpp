#include "plot/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <QString>

namespace {

QString InstalledOr(const QString& family, const QString& fallback)
{
    return QFontDatabase::families().contains(family) ? family : fallback;
}

}  // namespace

QString InterfaceFontFamily()
{
    return InstalledOr(QStringLiteral("Liberation Sans"), QStringLiteral("Sans Serif"));
}

QFont InterfaceFont(int points)
{
    QFont font(InterfaceFontFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points);
    return font;
}

QString AboutFontFamily()
{
    return InstalledOr(QStringLiteral("Comic Neue"), InterfaceFontFamily());
}
