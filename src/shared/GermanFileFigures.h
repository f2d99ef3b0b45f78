#pragma once

#include <QIdentityProxyModel>
#include <QLocale>

// Shows a file dialog's sizes and dates as German readers write them ("1,50 KiB",
// "09.12.26 14:05"), whatever the system's own language: the program keeps the full stop as
// its decimal separator everywhere else, and the toolkit's file list follows the system's.
class GermanFileFigures : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override;

private:
    const QLocale m_german{QLocale::German, QLocale::Germany};
};
