#include "GermanFileFigures.h"

#include <QFileSystemModel>

namespace {
// The columns of the toolkit's file list.
enum Column { Size = 1, Modified = 3 };
} // namespace

QVariant GermanFileFigures::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files || role != Qt::DisplayRole || (index.column() != Size && index.column() != Modified))
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == Size)
        // Folders show no size, as in the toolkit's own list.
        return files->isDir(source) ? QString() : m_german.formattedDataSize(files->size(source));
    return m_german.toString(files->lastModified(source), QLocale::ShortFormat);
}
