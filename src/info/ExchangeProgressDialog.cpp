#include "ExchangeProgressDialog.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

int g_delayMs = 500;

QString progressText(qsizetype done, qsizetype total) {
    return QStringLiteral("%1 von %2 Datensätzen").arg(done).arg(total);
}

// The bar counts in steps of a thousandth, so huge record counts fit its int range.
int permille(qsizetype done, qsizetype total) {
    return total > 0 ? int(qMin<qsizetype>(done, total) * 1000 / total) : 0;
}

} // namespace

ExchangeProgressDialog::ExchangeProgressDialog(QWidget* parent) : m_parent(parent) {
    m_running.start();
}

ExchangeProgressDialog::~ExchangeProgressDialog() {
    delete m_dialog;
    if (m_arrow)
        QApplication::restoreOverrideCursor();
}

void ExchangeProgressDialog::setDelay(int milliseconds) {
    g_delayMs = milliseconds;
}

void ExchangeProgressDialog::show(qsizetype total) {
    m_dialog =
        new QProgressDialog(progressText(0, total), QStringLiteral("Abbrechen"), 0, 1000, m_parent);
    m_dialog->setObjectName(QStringLiteral("ExchangeProgress"));
    m_dialog->setWindowTitle(QStringLiteral("Vantora"));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    QObject::connect(m_dialog, &QProgressDialog::canceled, [this] { m_cancelled = true; });
    // Centred over the window the work was started from, whichever way it was started.
    if (m_parent) {
        m_dialog->adjustSize();
        QRect place = m_dialog->geometry();
        place.moveCenter(m_parent->window()->geometry().center());
        m_dialog->move(place.topLeft());
    }
    m_dialog->show();
    // The work keeps the hourglass; over this window the pointer is an arrow for the button.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    m_arrow = true;
}

bool ExchangeProgressDialog::advance(qsizetype done, qsizetype total) {
    if (!m_dialog && !m_cancelled && m_running.elapsed() >= g_delayMs)
        show(total);
    // The window is brought up to date a few times a second, not at every record.
    if (m_dialog && !m_cancelled &&
        (!m_shownAt.isValid() || m_shownAt.elapsed() >= 40 || done >= total)) {
        m_shownAt.start();
        m_dialog->setLabelText(progressText(done, total));
        // A modal progress window handles the pending events here: it repaints, and a
        // click on "Abbrechen" sets the flag.
        m_dialog->setValue(permille(done, total));
        QApplication::processEvents();
    }
    return !m_cancelled;
}
