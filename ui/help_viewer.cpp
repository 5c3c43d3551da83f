#include "ui/help_viewer.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "ui/chm_file.h"
#include "ui/error_message.h"
#include "ui/example_data.h"

namespace {

// Pages inside the help file are addressed as "chm:/path", so that relative
// links and pictures resolve against the page that names them.
const QString ChmScheme = QStringLiteral("chm");
constexpr int LocalRole = Qt::UserRole;

QUrl PageUrl(const QString& local)
{
    const QString path = local.startsWith(QLatin1Char('/')) ? local : QLatin1Char('/') + local;
    return QUrl(ChmScheme + QLatin1Char(':') + path);
}

QString PagePath(const QUrl& url)
{
    return url.path().toLower();
}

// A text browser that takes its pages, style sheets and pictures from the help file.
class ChmBrowser : public QTextBrowser {
public:
    explicit ChmBrowser(QWidget* parent) : QTextBrowser(parent) {}

    void SetFile(std::shared_ptr<ChmFile> file) { file_ = std::move(file); }

    QVariant loadResource(int type, const QUrl& name) override
    {
        if (name.scheme() != ChmScheme || file_ == nullptr) {
            return QTextBrowser::loadResource(type, name);
        }
        if (const auto contents = file_->read(name.path())) {
            return *contents;
        }
        if (type == QTextDocument::HtmlResource) {
            return QStringLiteral(
                       "<html><body><h2>Page not found</h2><p>The help file holds no page \"%1\".</p>"
                       "</body></html>")
                .arg(name.path().toHtmlEscaped());
        }
        return QVariant();
    }

private:
    std::shared_ptr<ChmFile> file_;
};

/// The words of a search, each of which a page must contain.
QStringList SearchWords(const QString& query)
{
    return query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QTreeWidget* NewTopicTree(const QString& name, QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(name);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->header()->setStretchLastSection(true);
    return tree;
}

}  // namespace

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    Tabs = new QTabWidget(splitter);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Contents = NewTopicTree(QStringLiteral("Contents"), Tabs);
    Tabs->addTab(Contents, QStringLiteral("Contents"));
    Index = NewTopicTree(QStringLiteral("Index"), Tabs);
    Tabs->addTab(Index, QStringLiteral("Index"));
    Tabs->addTab(CreateSearchTab(), QStringLiteral("Search"));
    splitter->addWidget(CreatePageSide());

    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    const QSize available = QGuiApplication::primaryScreen()->availableSize();
    resize(qMin(900, available.width() * 9 / 10), qMin(640, available.height() * 9 / 10));

    // Escape and Ctrl+W close the window, wherever the focus is in it; so work
    // the keys of the history and of the search.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* closing = new QShortcut(keys, this);
        connect(closing, &QShortcut::activated, this, &QWidget::close);
    }
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this), &QShortcut::activated, Page,
            &QTextBrowser::backward);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this), &QShortcut::activated, Page,
            &QTextBrowser::forward);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this), &QShortcut::activated, this,
            &HelpViewer::StartSearch);

    connect(Contents, &QTreeWidget::currentItemChanged, this, &HelpViewer::TopicChosen);
    connect(Index, &QTreeWidget::currentItemChanged, this, &HelpViewer::TopicChosen);
    connect(Page, &QTextBrowser::anchorClicked, this, &HelpViewer::LinkClicked);
    connect(Page, &QTextBrowser::sourceChanged, this, &HelpViewer::PageChanged);
}

HelpViewer::~HelpViewer() = default;

QWidget* HelpViewer::CreateSearchTab()
{
    Search = new QWidget;
    Search->setObjectName(QStringLiteral("Search"));
    SearchField = new QLineEdit(Search);
    SearchField->setObjectName(QStringLiteral("SearchField"));
    SearchField->setPlaceholderText(QStringLiteral("Words to find"));
    SearchField->setClearButtonEnabled(true);
    SearchCount = new QLabel(Search);
    SearchCount->setObjectName(QStringLiteral("SearchCount"));
    SearchResults = new QListWidget(Search);
    SearchResults->setObjectName(QStringLiteral("SearchResults"));
    auto* layout = new QVBoxLayout(Search);
    layout->addWidget(SearchField);
    layout->addWidget(SearchCount);
    layout->addWidget(SearchResults);
    connect(SearchField, &QLineEdit::textChanged, this, &HelpViewer::SearchChanged);
    connect(SearchResults, &QListWidget::currentItemChanged, this, &HelpViewer::ResultChosen);
    return Search;
}

QWidget* HelpViewer::CreatePageSide()
{
    auto* side = new QWidget;
    BackButton = new QPushButton(QStringLiteral("Back"), side);
    BackButton->setObjectName(QStringLiteral("BackButton"));
    BackButton->setToolTip(QStringLiteral("Alt+Left"));
    BackButton->setEnabled(false);
    ForwardButton = new QPushButton(QStringLiteral("Forward"), side);
    ForwardButton->setObjectName(QStringLiteral("ForwardButton"));
    ForwardButton->setToolTip(QStringLiteral("Alt+Right"));
    ForwardButton->setEnabled(false);
    auto* browser = new ChmBrowser(side);
    browser->setObjectName(QStringLiteral("Page"));
    browser->setOpenLinks(false);
    Page = browser;

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BackButton);
    buttons->addWidget(ForwardButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(Page);
    connect(BackButton, &QPushButton::clicked, Page, &QTextBrowser::backward);
    connect(ForwardButton, &QPushButton::clicked, Page, &QTextBrowser::forward);
    connect(Page, &QTextBrowser::backwardAvailable, BackButton, &QWidget::setEnabled);
    connect(Page, &QTextBrowser::forwardAvailable, ForwardButton, &QWidget::setEnabled);
    return side;
}

bool HelpViewer::OpenFile(const QString& path)
{
    auto file = std::make_shared<ChmFile>(path);
    if (!file->isOpen()) {
        return false;
    }
    file_ = file;
    static_cast<ChmBrowser*>(Page)->SetFile(file_);
    setWindowTitle(QLatin1Char(' ') +
                   (file_->title().isEmpty() ? QFileInfo(path).fileName() : file_->title()));

    const std::vector<HelpTopic> contents = ReadSitemap(file_->contentsPath());
    contentsPages_ = PagesOf(contents);
    pageTexts_.clear();
    SearchField->clear();
    FillTree(Contents, contents);
    FillTree(Index, ReadSitemap(file_->indexPath()));
    Page->clearHistory();
    Tabs->setCurrentWidget(Contents);

    QString first = file_->defaultTopic();
    if (first.isEmpty() && !contentsPages_.empty()) {
        first = contentsPages_.front();
    }
    ShowPage(first);
    Contents->setFocus();
    return true;
}

void HelpViewer::ShowPage(const QString& local)
{
    if (!local.isEmpty()) {
        Page->setSource(PageUrl(local), QTextDocument::HtmlResource);
    }
}

void HelpViewer::StartSearch()
{
    Tabs->setCurrentWidget(Search);
    SearchField->setFocus();
    SearchField->selectAll();
}

// Lists the pages that hold every word, in any case, in the order of the contents.
void HelpViewer::SearchChanged(const QString& query)
{
    const QStringList words = SearchWords(query);
    const QSignalBlocker blocker(SearchResults);
    SearchResults->clear();
    if (words.isEmpty()) {
        SearchCount->clear();
        return;
    }
    for (const PageText& page : PageTexts()) {
        const auto onPage = [&page](const QString& word) {
            return page.text.contains(word, Qt::CaseInsensitive);
        };
        if (std::all_of(words.begin(), words.end(), onPage)) {
            auto* item = new QListWidgetItem(page.title, SearchResults);
            item->setData(LocalRole, page.local);
        }
    }
    const int found = SearchResults->count();
    SearchCount->setText(found == 0   ? QStringLiteral("No page holds every word.")
                         : found == 1 ? QStringLiteral("1 page")
                                      : QStringLiteral("%1 pages").arg(found));
}

// The page opens at the first place that holds the first word.
void HelpViewer::ResultChosen(QListWidgetItem* item)
{
    if (item == nullptr) {
        return;
    }
    ShowPage(item->data(LocalRole).toString());
    const QStringList words = SearchWords(SearchField->text());
    if (!words.isEmpty()) {
        Page->find(words.front());
    }
}

// Every page once: those of the contents in their order, then any other.
const std::vector<HelpViewer::PageText>& HelpViewer::PageTexts()
{
    if (!pageTexts_.empty() || file_ == nullptr) {
        return pageTexts_;
    }
    std::vector<QString> pages = contentsPages_;
    for (const QString& path : file_->filePaths()) {
        if (path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
            path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive)) {
            pages.push_back(path);
        }
    }
    std::set<QString> seen;
    for (const QString& local : pages) {
        const QString path = PagePath(PageUrl(local));
        if (!seen.insert(path).second) {
            continue;
        }
        QTextDocument document;
        document.setHtml(QString::fromLatin1(file_->read(path).value_or(QByteArray())));
        const QString title = document.metaInformation(QTextDocument::DocumentTitle);
        pageTexts_.push_back({path, title, title + QLatin1Char('\n') + document.toPlainText()});
    }
    return pageTexts_;
}

std::vector<HelpTopic> HelpViewer::ReadSitemap(const QString& path) const
{
    if (path.isEmpty()) {
        return {};
    }
    return ParseSitemap(QString::fromLatin1(file_->read(path).value_or(QByteArray())));
}

void HelpViewer::FillTree(QTreeWidget* tree, const std::vector<HelpTopic>& topics)
{
    const QSignalBlocker blocker(tree);
    tree->clear();
    AddTopics(nullptr, tree, topics);
    tree->expandAll();
}

void HelpViewer::AddTopics(QTreeWidgetItem* parent, QTreeWidget* tree, const std::vector<HelpTopic>& topics)
{
    for (const HelpTopic& topic : topics) {
        auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, topic.name);
        item->setData(0, LocalRole, topic.local);
        AddTopics(item, tree, topic.children);
    }
}

void HelpViewer::TopicChosen(QTreeWidgetItem* item)
{
    if (item != nullptr) {
        ShowPage(item->data(0, LocalRole).toString());
    }
}

void HelpViewer::LinkClicked(const QUrl& url)
{
    if (url.scheme() == ChmScheme) {
        Page->setSource(url, QTextDocument::HtmlResource);
    } else {
        QDesktopServices::openUrl(url);
    }
}

void HelpViewer::PageChanged(const QUrl& url)
{
    // Follow the page in the table of contents, without loading it again.
    const QSignalBlocker blocker(Contents);
    for (QTreeWidgetItemIterator it(Contents); *it != nullptr; ++it) {
        const QString local = (*it)->data(0, LocalRole).toString();
        if (!local.isEmpty() && PagePath(PageUrl(local)) == PagePath(url)) {
            Contents->setCurrentItem(*it);
            return;
        }
    }
}

bool OpenHelpFile(QWidget* owner)
{
    return OpenHelpFileAt(owner, HelpFilePath());
}

bool OpenHelpFileAt(QWidget* owner, const QString& path)
{
    if (path.isEmpty()) {
        ShowGeneralErrorReport(
            QStringLiteral("The help file \"%1\" was not found. It was looked for as:\n%2")
                .arg(QLatin1String(HelpFileName),
                     QDir::toNativeSeparators(HelpFileCandidates().join(QLatin1Char('\n')))));
        return false;
    }
    HelpViewer* viewer =
        owner != nullptr ? owner->findChild<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    const bool created = viewer == nullptr;
    if (created) {
        viewer = new HelpViewer(owner);
        viewer->setAttribute(Qt::WA_DeleteOnClose, owner == nullptr);
    }
    if (!viewer->OpenFile(path)) {
        if (created) {
            delete viewer;
        }
        ShowGeneralErrorReport(
            QStringLiteral(
                "The help file \"%1\" cannot be read: it is damaged, unreadable or not a compiled help file.")
                .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return true;
}
