#pragma once
// The help window: the compiled help file's table of contents as a tree (and its
// keyword index and a search over every page's text) beside the page, which is
// read straight from the help file, with Back and Forward through the pages seen.

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/help_topics.h"

class ChmFile;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

class HelpViewer : public QWidget {
    Q_OBJECT

public:
    explicit HelpViewer(QWidget* parent = nullptr);
    ~HelpViewer() override;

    /// \brief Opens the help file at `path` and shows its table of contents with
    /// its first page. Returns false, and keeps what was shown, when the file
    /// cannot be read as a compiled help file.
    bool OpenFile(const QString& path);

    /// \brief Shows the page `local` (a path inside the help file, with an
    /// optional "#anchor") and selects its entry in the table of contents.
    void ShowPage(const QString& local);

    /// \brief Shows the Search tab with its field ready for typing (Ctrl+F).
    void StartSearch();

    QTabWidget* Tabs = nullptr;
    QTreeWidget* Contents = nullptr;
    QTreeWidget* Index = nullptr;
    QWidget* Search = nullptr;
    QLineEdit* SearchField = nullptr;
    QLabel* SearchCount = nullptr;
    QListWidget* SearchResults = nullptr;
    QPushButton* BackButton = nullptr;
    QPushButton* ForwardButton = nullptr;
    QTextBrowser* Page = nullptr;

private:
    /// A page of the help file as the search reads it.
    struct PageText {
        QString local;
        QString title;
        QString text;
    };

    QWidget* CreateSearchTab();
    QWidget* CreatePageSide();
    void SearchChanged(const QString& query);
    void ResultChosen(QListWidgetItem* item);
    const std::vector<PageText>& PageTexts();
    void FillTree(QTreeWidget* tree, const std::vector<HelpTopic>& topics);
    void AddTopics(QTreeWidgetItem* parent, QTreeWidget* tree, const std::vector<HelpTopic>& topics);
    void TopicChosen(QTreeWidgetItem* item);
    void LinkClicked(const QUrl& url);
    void PageChanged(const QUrl& url);
    std::vector<HelpTopic> ReadSitemap(const QString& path) const;

    std::shared_ptr<ChmFile> file_;
    std::vector<QString> contentsPages_;  ///< the pages in the order of the contents
    std::vector<PageText> pageTexts_;     ///< read on the first search in the file
};

/// \brief Opens the help file "tarvek.chm" in the help window on its table of
/// contents, beside `owner` (the window is created on first use as a child of
/// `owner` and reused). A missing or unreadable help file is reported through the
/// general error report with the file's name. Returns whether the window shows.
bool OpenHelpFile(QWidget* owner);

/// \brief OpenHelpFile with the help file at `path`; an empty path means that the
/// help file was not found.
bool OpenHelpFileAt(QWidget* owner, const QString& path);
