#include "CrossViewMenu.h"

#include "Connection.h"
#include "CrossViewLine.h"
#include "EngineError.h"
#include "TitleMatches.h"
#include "ViewQuery.h"
#include "Views.h"

#include <algorithm>

CrossViewMenu::CrossViewMenu(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("CrossViewMenu"));
    setAccessibleName(QStringLiteral("Derselbe Titel in den anderen Ansichten"));
}

void CrossViewMenu::prepare(const QString& dataDir, const QString& currentView,
                            OpenTables& openTables) {
    for (const ViewDefinition& view : Views::all()) {
        const QString path = dataDir + ViewQuery::dirSeparator() + view.tableFile;
        try {
            const std::shared_ptr<Connection> table = Connection::open(path);
            openTables[path] = table;
            // The menu of the view on screen looks into the others alone; the table on screen
            // is indexed once another view is shown.
            if (view.name == currentView)
                continue;
            table->prepareTitleIndex(table->fieldIndex(QStringLiteral("TITEL")));
            // The menu reads a table not on screen through its index and a few rows.
            table->releaseImage();
        } catch (const EngineError&) {
        }
    }
}

void CrossViewMenu::fill(const QString& currentView, const QString& dataDir, const QString& title,
                         OpenTables& openTables) {
    clear();
    m_chosen.clear();
    for (const ViewDefinition& view : Views::all()) {
        if (view.name == currentView)
            continue;
        // Opening again is cheap while the table is held; a file replaced since (another
        // program, a new hard-disk copy) is opened anew.
        const QString path = dataDir + ViewQuery::dirSeparator() + view.tableFile;
        const std::shared_ptr<Connection> table = Connection::open(path);
        openTables[path] = table;
        const QList<TitleMatch> matches = TitleMatches::find(
            *table, QStringLiteral("TITEL"), view.categoryField, QStringLiteral("AUSGABE"), title);
        // "&" would mark a shortcut letter ("CD & DVD"): doubled, it shows as itself.
        QString text = CrossViewLine::text(Views::stripCaption(view), matches);
        QAction* line = addAction(text.replace(u'&', QLatin1String("&&")));
        line->setEnabled(!matches.isEmpty());
        const QString name = view.name;
        connect(line, &QAction::triggered, this, [this, name] { m_chosen = name; });
    }
}
