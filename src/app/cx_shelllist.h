#pragma once
// The List tab's model: the folders and files (hidden ones included) of one
// folder, as the file system model reports and follows them, sorted with
// folders first; names are edited in place with renames that never replace.

#include <QSortFilterProxyModel>
#include <QString>

#include <functional>

class QFileSystemModel;

class TShellListModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum Column { colName, colSize, colType, colDate };

    explicit TShellListModel(QObject* parent = nullptr);

    // Receives the message of a rename that failed.
    std::function<void(const QString& message)> OnError;
    // After an entry was renamed.
    std::function<void(const QString& oldPath, const QString& newPath)> OnRenamed;
    // Called before each rename is tried.
    std::function<void()> OnRenaming;

    // Shows folder; the index of the folder to give the view as its root.
    QModelIndex SetRootFolder(const QString& folder);
    QString RootFolder() const { return m_root; }
    QString FilePath(const QModelIndex& index) const;
    bool IsFolder(const QModelIndex& index) const;
    QFileSystemModel* FileSystemModel() const { return m_files; }

    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QFileSystemModel* m_files;
    QString m_root;
};

// The new path of a rename in place, or empty when the new name cannot name
// an entry of the same folder (empty, "." or "..", or holding "/" or a NUL).
QString RenamedPath(const QString& path, const QString& newName);
