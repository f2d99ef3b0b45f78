#pragma once

#include "CategoryFigures.h"
#include "CategoryWindowText.h"
#include "TStatForm.h"

// The disc-content and tips windows: rows per category of ART and per calendar month.
class TCategoryStatForm : public TStatForm {
    Q_OBJECT
public:
    void FormPaint(QPainter& painter) override;
    const CategoryFigures& figures() const { return m_figures; }

protected:
    TCategoryStatForm(QWidget* parent, const CategoryWindowText& text);
    void resetFigures(const IssueWalk::Result& walk) override;
    void walkRows(Query& query) override;
    void showFigures() override;
    QString readout(int month) const override;

private:
    const CategoryWindowText& m_text;
    CategoryFigures m_figures;
};
