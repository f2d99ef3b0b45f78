#pragma once

#include "ExchangeProgress.h"

#include <QElapsedTimer>
#include <QPointer>

class QProgressDialog;
class QWidget;

// The progress of a long export or import in a window of its own: "<n> von <m> Datensätzen"
// with "Abbrechen". It appears only once the work has run for a while (short work keeps
// just the hourglass), is application-modal so nothing else of the program can be used
// meanwhile, and repaints and takes the click on "Abbrechen" while the work goes on.
class ExchangeProgressDialog : public ExchangeProgress {
public:
    explicit ExchangeProgressDialog(QWidget* parent);
    ~ExchangeProgressDialog() override;
    ExchangeProgressDialog(const ExchangeProgressDialog&) = delete;
    ExchangeProgressDialog& operator=(const ExchangeProgressDialog&) = delete;

    bool advance(qsizetype done, qsizetype total) override;
    bool cancelled() const override { return m_cancelled; }

    // How long the work runs before the window appears; 500 ms unless changed.
    static void setDelay(int milliseconds);

private:
    void show(qsizetype total);

    QWidget* m_parent;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_running;
    QElapsedTimer m_shownAt;
    bool m_cancelled = false;
    bool m_arrow = false;
};
