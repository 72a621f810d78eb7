// The List tab's model over the file system model.
#include "app/cx_shelllist.h"

#include "platform/file_ops.h"
#include "platform/rename_journal.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>

#include <cstring>

QString RenamedPath(const QString& path, const QString& newName) {
    if (newName.isEmpty() || newName == QLatin1String(".") || newName == QLatin1String("..") ||
        newName.contains(QLatin1Char('/')) || newName.contains(QChar(0)))
        return QString();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return path.left(slash + 1) + newName;
}

TShellListModel::TShellListModel(QObject* parent)
    : QSortFilterProxyModel(parent), m_files(new QFileSystemModel(this)) {
    m_files->setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    m_files->setReadOnly(true); // renames go through setData below
    setSourceModel(m_files);
    setDynamicSortFilter(true);
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

QModelIndex TShellListModel::SetRootFolder(const QString& folder) {
    m_root = folder;
    return mapFromSource(m_files->setRootPath(folder));
}

QString TShellListModel::FilePath(const QModelIndex& index) const {
    return m_files->filePath(mapToSource(index));
}

bool TShellListModel::IsFolder(const QModelIndex& index) const {
    return m_files->isDir(mapToSource(index));
}

bool TShellListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != colName)
        return false;
    const QString oldPath = FilePath(index);
    const QString newName = value.toString();
    if (newName == QFileInfo(oldPath).fileName())
        return false;
    const QString newPath = RenamedPath(oldPath, newName);
    int error = 0;
    if (OnRenaming && !newPath.isEmpty())
        OnRenaming();
    if (!newPath.isEmpty() && TRenameBatch().Rename(oldPath, newPath, &error)) {
        if (OnRenamed)
            OnRenamed(oldPath, newPath);
        return true;
    }
    if (OnError) {
        const QString reason = newPath.isEmpty() ? QStringLiteral("Invalid name")
                                                 : QString::fromLocal8Bit(std::strerror(error));
        OnError(QStringLiteral("Cannot rename \"%1\" to \"%2\": %3")
                    .arg(QFileInfo(oldPath).fileName(), newName, reason));
    }
    return false;
}

Qt::ItemFlags TShellListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QSortFilterProxyModel::flags(index);
    if (index.isValid() && index.column() == colName)
        result |= Qt::ItemIsEditable;
    return result;
}

bool TShellListModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QFileInfo a = m_files->fileInfo(left);
    const QFileInfo b = m_files->fileInfo(right);
    // Folders before files, whatever the column and the direction.
    if (a.isDir() != b.isDir())
        return (sortOrder() == Qt::AscendingOrder) == a.isDir();
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(true);
        return c;
    }();
    const int byName = collator.compare(a.fileName(), b.fileName());
    switch (left.column()) {
    case colSize:
        if (a.size() != b.size())
            return a.size() < b.size();
        return byName < 0;
    case colType: {
        const int byType = collator.compare(m_files->type(left), m_files->type(right));
        return byType != 0 ? byType < 0 : byName < 0;
    }
    case colDate:
        if (a.lastModified() != b.lastModified())
            return a.lastModified() < b.lastModified();
        return byName < 0;
    default:
        return byName < 0;
    }
}
