#pragma once
// The topics of a help file's table of contents or keyword index.

#include <QString>
#include <vector>

/// \brief One entry of a table of contents or index: its title, the page it
/// opens (empty for a heading without a page) and the entries beneath it.
struct HelpTopic {
    QString name;
    QString local;
    std::vector<HelpTopic> children;
};

/// \brief Reads the topics of a sitemap file (.hhc or .hhk): nested lists of
/// objects of type "text/sitemap" whose "Name" and "Local" parameters give the
/// title and the page. Entries without a name are left out; unbalanced lists are
/// tolerated.
std::vector<HelpTopic> ParseSitemap(const QString& text);

/// \brief Every page that `topics` or the topics beneath them open, in order.
std::vector<QString> PagesOf(const std::vector<HelpTopic>& topics);
