#pragma once

#include <QString>

// The process-wide state through which the windows share the current view, the parts of
// the view query, the mode flags and the issue range of each table. One instance for the
// run; texts start empty, numbers and flags at 0.
struct AppState {
    QString CurrentView;
    QString ViewTableFile;
    QString CategoryField;
    QString SelectionCondition;
    QString TitleCondition;
    QString ConditionJoiner;
    QString SortField;
    QString SortDirection;
    QString LastSortColumn;
    QString SecondaryOrder;
    int SavedColumnIndex = 0;
    QString DataDir;
    QString SourceDataDir;
    double EngineVersion = 0;
    int HardDiskMode = 0;
    int EditMode = 0;
    int GamesFirstMonth = 0, GamesFirstYear = 0, GamesLastMonth = 0, GamesLastYear = 0;
    int DiscFirstMonth = 0, DiscFirstYear = 0, DiscLastMonth = 0, DiscLastYear = 0;
    int TipsFirstMonth = 0, TipsFirstYear = 0, TipsLastMonth = 0, TipsLastYear = 0;
    int IssueWalkMonth = 0, IssueWalkYear = 0;
};

// The one instance.
AppState& State();

// Back to the start values (tests run the start-up more than once in one process).
void resetState();
