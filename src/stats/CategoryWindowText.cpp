#include "CategoryWindowText.h"

#include "Views.h"

namespace {

StatWindowFrame categoryFrame(const ViewDefinition& view) {
    StatWindowFrame f;
    f.client = QSize(544, 273);
    f.grid = QRect(8, 32, 225, 233);
    f.columnWidths = {138, 80};
    f.headings = {QStringLiteral(" Kategorie"), QStringLiteral(" Anzahl")};
    f.gridRows = 2 + int(view.statsWords.size());
    f.rangeSelect = true;
    f.label3Width = 263;
    f.lmdLabel1 = QRect(522, 8, 16, 173);
    f.label4Top = 236;
    f.countPluralSuffix = QStringLiteral("s");
    return f;
}

CategoryWindowText discText() {
    const ViewDefinition& view = Views::disc();
    CategoryWindowText t;
    t.frame = categoryFrame(view);
    t.frame.objectName = QStringLiteral("Form5");
    t.frame.caption = QStringLiteral("Statistik / CD & DVD-Inhalt");
    t.frame.label1 = QStringLiteral(" Verteilung der Dateiarten");
    t.frame.label3Initial = QStringLiteral("Dateidurchschnitt pro Monat");
    t.frame.countSingular = QStringLiteral(" File");
    t.frame.firstMonth = &AppState::DiscFirstMonth;
    t.frame.firstYear = &AppState::DiscFirstYear;
    t.frame.lastMonth = &AppState::DiscLastMonth;
    t.frame.lastYear = &AppState::DiscLastYear;
    t.categoryField = view.categoryField;
    t.categories = view.statsWords;
    t.allRows = QStringLiteral(" Alle Files");
    t.label3After = QStringLiteral("Dateianzahl-Durchschnitt pro Ausgabe");
    t.scalePrefix = QStringLiteral(" Dateianzahlschnitt (max=");
    t.readoutNoun = QStringLiteral("Anzahl der Dateien = ");
    return t;
}

CategoryWindowText tipsText() {
    const ViewDefinition& view = Views::tips();
    CategoryWindowText t;
    t.frame = categoryFrame(view);
    t.frame.objectName = QStringLiteral("Form6");
    t.frame.caption = QStringLiteral("Statistik / Tipps");
    t.frame.client = QSize(544, 241);
    t.frame.grid = QRect(8, 32, 225, 152);
    t.frame.headings[0] = QStringLiteral(" Art");
    t.frame.label1 = QStringLiteral(" Verteilung der Tippsarten");
    t.frame.label3Initial = QStringLiteral("Tipsdurchschnitt pro Monat");
    t.frame.label4Top = 204;
    t.frame.countSingular = QStringLiteral(" Tipp");
    t.frame.firstMonth = &AppState::TipsFirstMonth;
    t.frame.firstYear = &AppState::TipsFirstYear;
    t.frame.lastMonth = &AppState::TipsLastMonth;
    t.frame.lastYear = &AppState::TipsLastYear;
    t.categoryField = view.categoryField;
    t.categories = view.statsWords;
    t.allRows = QStringLiteral(" Alle Tipps");
    t.label3After = QStringLiteral("Tippsanzahl-Durchschnitt pro Ausgabe");
    t.scalePrefix = QStringLiteral(" Tippsanzahlschnitt (max=");
    t.readoutNoun = QStringLiteral("Anzahl der Tipps = ");
    return t;
}

} // namespace

const CategoryWindowText& CategoryWindowText::disc() {
    static const CategoryWindowText text = discText();
    return text;
}

const CategoryWindowText& CategoryWindowText::tips() {
    static const CategoryWindowText text = tipsText();
    return text;
}
