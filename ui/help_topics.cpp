#include "ui/help_topics.h"

#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace {

QString DecodeEntities(const QString& text)
{
    return text.contains(QLatin1Char('&')) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

// The value of attribute `name` in the attribute text of a tag, quoted or not.
QString AttributeValue(const QString& attributes, const QString& name)
{
    static const QRegularExpression attribute(
        QStringLiteral(R"re((\w+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re"));
    for (auto it = attribute.globalMatch(attributes); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1).compare(name, Qt::CaseInsensitive) == 0) {
            for (int group = 2; group <= 4; ++group) {
                if (match.capturedStart(group) >= 0) {
                    return DecodeEntities(match.captured(group));
                }
            }
        }
    }
    return QString();
}

// Builds the tree while the tags of a sitemap go by. `levels` holds the list
// that entries are added to at each open nesting level, innermost last; a list
// is only appended to while it is the innermost, so the pointers stay valid.
class SitemapBuilder {
public:
    std::vector<HelpTopic> topics;

    SitemapBuilder() { levels_.push_back(&topics); }

    void openList()
    {
        std::vector<HelpTopic>* current = levels_.back();
        levels_.push_back(current->empty() ? current : &current->back().children);
    }

    void closeList()
    {
        if (levels_.size() > 1) {
            levels_.pop_back();
        }
    }

    void openObject(const QString& attributes)
    {
        inTopic_ = AttributeValue(attributes, QStringLiteral("type"))
                       .compare(QStringLiteral("text/sitemap"), Qt::CaseInsensitive) == 0;
        pending_ = HelpTopic();
    }

    void addParameter(const QString& attributes)
    {
        if (!inTopic_) {
            return;
        }
        const QString name = AttributeValue(attributes, QStringLiteral("name"));
        const QString value = AttributeValue(attributes, QStringLiteral("value"));
        // An index entry may name several pages; the first one is opened.
        if (name.compare(QStringLiteral("Name"), Qt::CaseInsensitive) == 0 && pending_.name.isEmpty()) {
            pending_.name = value;
        } else if (name.compare(QStringLiteral("Local"), Qt::CaseInsensitive) == 0 &&
                   pending_.local.isEmpty()) {
            pending_.local = value;
        }
    }

    void closeObject()
    {
        if (inTopic_ && !pending_.name.isEmpty()) {
            levels_.back()->push_back(std::move(pending_));
        }
        inTopic_ = false;
    }

private:
    std::vector<std::vector<HelpTopic>*> levels_;
    HelpTopic pending_;
    bool inTopic_ = false;
};

void CollectPages(const std::vector<HelpTopic>& topics, std::vector<QString>& pages)
{
    for (const HelpTopic& topic : topics) {
        if (!topic.local.isEmpty()) {
            pages.push_back(topic.local);
        }
        CollectPages(topic.children, pages);
    }
}

}  // namespace

std::vector<HelpTopic> ParseSitemap(const QString& text)
{
    static const QRegularExpression tag(QStringLiteral(R"re(<\s*(/?)\s*(ul|object|param)\b([^>]*)>)re"),
                                        QRegularExpression::CaseInsensitiveOption);
    SitemapBuilder builder;
    for (auto it = tag.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const bool closing = !match.captured(1).isEmpty();
        const QString name = match.captured(2).toLower();
        const QString attributes = match.captured(3);
        if (name == QLatin1String("ul")) {
            closing ? builder.closeList() : builder.openList();
        } else if (name == QLatin1String("object")) {
            closing ? builder.closeObject() : builder.openObject(attributes);
        } else if (!closing) {
            builder.addParameter(attributes);
        }
    }
    return std::move(builder.topics);
}

std::vector<QString> PagesOf(const std::vector<HelpTopic>& topics)
{
    std::vector<QString> pages;
    CollectPages(topics, pages);
    return pages;
}
