#include "CrossViewMenu.h"

#include "Connection.h"
#include "CrossViewLine.h"
#include "TitleMatches.h"
#include "ViewQuery.h"
#include "Views.h"

CrossViewMenu::CrossViewMenu(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("CrossViewMenu"));
    setAccessibleName(QStringLiteral("Derselbe Titel in den anderen Ansichten"));
}

void CrossViewMenu::fill(const QString& currentView, const QString& dataDir, const QString& title) {
    clear();
    m_chosen.clear();
    for (const ViewDefinition& view : Views::all()) {
        if (view.name == currentView)
            continue;
        const auto table = Connection::open(dataDir + ViewQuery::dirSeparator() + view.tableFile);
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
