// The disc-content and tips windows: one implementation, described per window.
#include "TCategoryStatForm.h"

#include "CaptionLabel.h"
#include "IssueText.h"
#include "MonthlyChart.h"
#include "NumberText.h"
#include "ToolkitPen.h"
#include "VerticalCaption.h"
#include "Views.h"
#include "WalkedField.h"

TCategoryStatForm::TCategoryStatForm(QWidget* parent, const CategoryWindowText& text)
    : TStatForm(parent, text.frame), m_text(text), m_figures(text.categories) {}

void TCategoryStatForm::resetFigures(const IssueWalk::Result& walk) {
    m_figures.reset(walk);
}

void TCategoryStatForm::walkRows(Query& query) {
    WalkedField<int> kind(query, m_text.categoryField,
                          [&](QByteArrayView text) { return m_figures.categoryOf(text); });
    WalkedField<int> month(query, Views::kIssueField,
                           [](QByteArrayView text) { return IssueText::month(text); });
    // The figures are counts and maxima: the order of the rows does not matter.
    query.walkStoredOrder([&](uint32_t slot) { m_figures.add(kind.at(slot), month.at(slot)); });
}

void TCategoryStatForm::showFigures() {
    // One row per category below the total row, in the categories' order.
    for (int k = 0; k < m_figures.categoryCount(); ++k) {
        setCell(0, k + 2, QStringLiteral(" > ") + m_text.categories.value(k));
        setCell(1, k + 2, u' ' + NumberText::general(m_figures.count(k)));
    }
    // The total row over every category.
    setCell(0, 1, m_text.allRows);
    setCell(1, 1, u' ' + NumberText::general(m_figures.total()));
    // The captions that carry figures.
    Label3->setCaption(m_text.label3After);
    LMDLabel1->setText(m_text.scalePrefix +
                       NumberText::tenth(m_figures.monthly().highestPerIssue()) + u')');
}

QString TCategoryStatForm::readout(int month) const {
    return QString::number(month) + QStringLiteral("er-Durchschnitt: ") + m_text.readoutNoun +
           NumberText::tenth(m_figures.monthly().perIssue(month));
}

void TCategoryStatForm::FormPaint(QPainter& painter) {
    ToolkitPen pen(painter, QColor(0, 0, 0));
    MonthlyChart::paint(pen, m_figures.monthly());
}
