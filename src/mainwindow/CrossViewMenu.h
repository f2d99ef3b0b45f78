#pragma once

#include <QHash>
#include <QMenu>
#include <memory>

class Connection;

// The small menu that leads from a record of the grid to the same title in the other two
// views: one line a view, with how many records it holds under that title and the newest
// few of them. Choosing a line asks for that view with the title typed into the title box.
class CrossViewMenu : public QMenu {
    Q_OBJECT
public:
    explicit CrossViewMenu(QWidget* parent = nullptr);

    // The tables looked into, kept open by their caller so that their titles, upper-cased
    // and indexed on the first opening, serve every later one.
    using OpenTables = QHash<QString, std::shared_ptr<Connection>>;

    // Opens the three views' tables in `dataDir` into `openTables` and begins indexing the
    // titles of those other than `currentView` on a thread of its own, so that the first
    // opening need not wait for it. Called again when another view is shown. A table that
    // cannot be opened is left to the opening, which reports it.
    static void prepare(const QString& dataDir, const QString& currentView, OpenTables& openTables);

    // Fills the menu for `title`, a record's title in `currentView`, from the other views'
    // tables in `dataDir`. Throws EngineError when a table cannot be read.
    void fill(const QString& currentView, const QString& dataDir, const QString& title,
              OpenTables& openTables);

    // The view whose line was chosen; empty when the menu was closed without a choice.
    QString chosenView() const { return m_chosen; }

private:
    QString m_chosen;
};
