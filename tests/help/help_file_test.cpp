// The compiled help file: what the build put into it, read back with chmlib.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include "tests/support/gui_test_support.h"
#include "ui/chm_file.h"
#include "ui/help_topics.h"

namespace {

const QString BuiltHelpFile = QStringLiteral(TARVEK_BUILT_HELP_FILE);

QString Text(const ChmFile& file, const QString& path)
{
    return QString::fromLatin1(file.read(path).value_or(QByteArray()));
}

QSet<QString> LowerCase(const QStringList& paths)
{
    QSet<QString> lower;
    for (const QString& path : paths) {
        lower.insert(path.toLower());
    }
    return lower;
}

TEST(HelpFile, OpensWithItsProjectSettings)
{
    const ChmFile file(BuiltHelpFile);
    ASSERT_TRUE(file.isOpen()) << BuiltHelpFile.toStdString();
    EXPECT_EQ(file.title(), QStringLiteral("Tarvek help"));
    EXPECT_EQ(file.defaultTopic(), QStringLiteral("/index.html"));
    EXPECT_EQ(file.contentsPath(), QStringLiteral("/toc.hhc"));
    EXPECT_EQ(file.indexPath(), QStringLiteral("/index.hhk"));
}

TEST(HelpFile, TableOfContentsListsEveryPageAndOnlyStoredPages)
{
    const ChmFile file(BuiltHelpFile);
    ASSERT_TRUE(file.isOpen());
    QSet<QString> listed;
    for (const QString& page : PagesOf(ParseSitemap(Text(file, file.contentsPath())))) {
        listed.insert(QLatin1Char('/') + page.toLower());
    }
    const QSet<QString> stored = LowerCase(file.filePaths());
    int pages = 0;
    for (const QString& path : stored) {
        if (path.endsWith(QLatin1String(".html"))) {
            ++pages;
            EXPECT_TRUE(listed.contains(path)) << "not in the contents: " << path.toStdString();
        }
    }
    for (const QString& path : listed) {
        EXPECT_TRUE(stored.contains(path)) << "listed but not stored: " << path.toStdString();
    }
    EXPECT_GE(pages, 15);
}

TEST(HelpFile, EveryIndexEntryOpensAStoredPage)
{
    const ChmFile file(BuiltHelpFile);
    ASSERT_TRUE(file.isOpen());
    const std::vector<HelpTopic> index = ParseSitemap(Text(file, file.indexPath()));
    EXPECT_GE(index.size(), 30u);
    for (const HelpTopic& entry : index) {
        EXPECT_TRUE(file.read(entry.local).has_value()) << entry.name.toStdString();
    }
}

TEST(HelpFile, EveryLinkStyleSheetAndPictureOfEveryPageResolves)
{
    const ChmFile file(BuiltHelpFile);
    ASSERT_TRUE(file.isOpen());
    static const QRegularExpression reference(QStringLiteral(R"re((?:href|src)\s*=\s*"([^"]+)")re"),
                                              QRegularExpression::CaseInsensitiveOption);
    for (const QString& path : file.filePaths()) {
        if (!path.endsWith(QLatin1String(".html"))) {
            continue;
        }
        const QString page = Text(file, path);
        EXPECT_TRUE(page.contains(QLatin1String("<title>"))) << path.toStdString();
        for (auto it = reference.globalMatch(page); it.hasNext();) {
            const QUrl target = QUrl(QStringLiteral("chm:") + path).resolved(QUrl(it.next().captured(1)));
            if (target.scheme() == QLatin1String("chm")) {
                EXPECT_TRUE(file.read(target.path()).has_value())
                    << path.toStdString() << " refers to a missing " << target.path().toStdString();
            }
        }
    }
}

TEST(ChmFileReading, MissingOrForeignFilesAreNotOpen)
{
    EXPECT_FALSE(ChmFile(QStringLiteral("/nonexistent/folder/tarvek.chm")).isOpen());
    const QString foreign = testing_support::WriteTemporaryFile(QStringLiteral("foreign.chm"),
                                                                QByteArray("ITSF but not really", 19));
    const ChmFile file(foreign);
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.read(QStringLiteral("/index.html")).has_value());
    EXPECT_TRUE(file.filePaths().isEmpty());
}

TEST(ChmFileReading, PathsAreFoundWithOrWithoutLeadingSlashInAnyCase)
{
    const ChmFile file(BuiltHelpFile);
    ASSERT_TRUE(file.isOpen());
    const auto withSlash = file.read(QStringLiteral("/index.html"));
    ASSERT_TRUE(withSlash.has_value());
    EXPECT_EQ(file.read(QStringLiteral("index.html")), withSlash);
    EXPECT_EQ(file.read(QStringLiteral("/INDEX.HTML")), withSlash);
    EXPECT_FALSE(file.read(QStringLiteral("/no_such_page.html")).has_value());
}

TEST(Sitemap, NestedListsBecomeATreeAndHeadingsMayHaveNoPage)
{
    const QString sitemap = QStringLiteral(
        "<OBJECT type=\"text/site properties\"><param name=\"Window Styles\" value=\"1\"></OBJECT>"
        "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Welcome\">"
        "<param name=\"Local\" value=\"index.html\"></OBJECT>"
        "<UL><li><object type='text/sitemap'><param name=Name value='Start &amp; run'>"
        "<param name=\"Local\" value=\"start.html\"></object></UL>"
        "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Theory\"></OBJECT>"
        "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Designs\">"
        "<param name=\"Local\" value=\"designs.html\"><param name=\"Local\" value=\"other.html\"></OBJECT>"
        "</UL></UL>");
    const std::vector<HelpTopic> topics = ParseSitemap(sitemap);
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics[0].name, QStringLiteral("Welcome"));
    ASSERT_EQ(topics[0].children.size(), 1u);
    EXPECT_EQ(topics[0].children[0].name, QStringLiteral("Start & run"));
    EXPECT_EQ(topics[1].local, QString());
    ASSERT_EQ(topics[1].children.size(), 1u);
    EXPECT_EQ(topics[1].children[0].local, QStringLiteral("designs.html"));
    EXPECT_EQ(PagesOf(topics),
              (std::vector<QString>{QStringLiteral("index.html"), QStringLiteral("start.html"),
                                    QStringLiteral("designs.html")}));
}

TEST(Sitemap, UnbalancedListsAndNamelessEntriesAreTolerated)
{
    const std::vector<HelpTopic> topics = ParseSitemap(QStringLiteral(
        "</UL></UL><UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Local\" value=\"a.html\"></OBJECT>"
        "<UL><UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"B\"></OBJECT>"));
    ASSERT_EQ(topics.size(), 1u);
    EXPECT_EQ(topics[0].name, QStringLiteral("B"));
    EXPECT_TRUE(ParseSitemap(QString()).empty());
}

}  // namespace
