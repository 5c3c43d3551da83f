#pragma once
// The help window: the compiled help file's table of contents as a tree (and its
// keyword index) beside the page, which is read straight from the help file.

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/help_topics.h"

class ChmFile;
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

    QTabWidget* Tabs = nullptr;
    QTreeWidget* Contents = nullptr;
    QTreeWidget* Index = nullptr;
    QTextBrowser* Page = nullptr;

private:
    void FillTree(QTreeWidget* tree, const std::vector<HelpTopic>& topics);
    void AddTopics(QTreeWidgetItem* parent, QTreeWidget* tree, const std::vector<HelpTopic>& topics);
    void TopicChosen(QTreeWidgetItem* item);
    void LinkClicked(const QUrl& url);
    void PageChanged(const QUrl& url);
    std::vector<HelpTopic> ReadSitemap(const QString& path) const;

    std::shared_ptr<ChmFile> file_;
};

/// \brief Opens the help file "tarvek.chm" in the help window on its table of
/// contents, beside `owner` (the window is created on first use as a child of
/// `owner` and reused). A missing or unreadable help file is reported through the
/// general error report with the file's name. Returns whether the window shows.
bool OpenHelpFile(QWidget* owner);

/// \brief OpenHelpFile with the help file at `path`; an empty path means that the
/// help file was not found.
bool OpenHelpFileAt(QWidget* owner, const QString& path);
