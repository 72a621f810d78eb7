#pragma once
// The folder tree's model: a virtual tree whose nodes each hold one
// TFolderNodeData record.  The tree holds no folder data of its own: a node
// is made, and its record filled by OnInitNode, only when a view first asks
// for it; the owner sets how many children a node has.

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// Icons of the tree, by ImageIndex.
enum TFolderImage : qint32 {
    fiNestedFolder = 0,
    fiTopFolder = 1,
    fiParentFolder = 2, // a nested folder with sub-entries
    fiMusicFolder = 3,
};

struct TFolderNodeData {
    QString Path;                          // the folder; for a shortcut, its target
    QString Name;                          // the text shown
    QString ShortcutFile;                  // the shortcut the node comes from, or empty
    std::unique_ptr<QStringList> Children; // entries of the children, once listed
    qint32 ImageIndex = fiNestedFolder;
    QString Hint; // shown instead of the path ("missing" for a shortcut that leads nowhere)
};

class TFolderNode {
public:
    TFolderNodeData Data;

    TFolderNode* Parent() const { return m_parent; }
    // Row among the parent's children.
    int Index() const { return m_index; }
    // 0 for the top level; -1 for the hidden root.
    int Level() const;
    int ChildCount() const { return int(m_children.size()); }
    bool IsRoot() const { return m_parent == nullptr; }
    // True when ancestor is one of this node's ancestors (not the node itself).
    bool IsBelow(const TFolderNode* ancestor) const;

private:
    friend class TFolderTreeModel;
    TFolderNode* m_parent = nullptr;
    int m_index = 0;
    std::vector<std::unique_ptr<TFolderNode>> m_children; // null: not made yet
};

class TFolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TFolderTreeModel(QObject* parent = nullptr);
    ~TFolderTreeModel() override;

    // Fills a node's record when the node is made.
    std::function<void(TFolderNode& node)> OnInitNode;
    // Before a node is destroyed (called for each node of a removed subtree).
    std::function<void(TFolderNode& node)> OnFreeNode;
    // The end of an in-place edit; true when the new text was taken.
    std::function<bool(TFolderNode& node, const QString& text)> OnNewText;

    void SetImages(const QList<QIcon>& images);

    // The hidden root; its children are the top level.
    TFolderNode* RootNode() { return m_root.get(); }
    // Removes every node.
    void Clear();
    // Appends missing children or deletes surplus ones from the end; children
    // that stay keep their records.
    void SetChildCount(TFolderNode* node, int count);
    // The child at index, made (and initialised) when needed.
    TFolderNode* Child(TFolderNode* parent, int index) const;
    // Deletes a node's children.
    void DeleteChildren(TFolderNode* node);
    // Deletes one node (not the root) with its subtree.
    void DeleteNode(TFolderNode* node);
    // Fills a made node's record again, deleting its children.
    void ReinitNode(TFolderNode* node);
    // Repaints a node after its record changed.
    void NodeChanged(TFolderNode* node);

    // True while nodes are being added or removed: a view's current index
    // that moves meanwhile must not change the tree again.
    bool IsChanging() const { return m_changing > 0; }

    TFolderNode* NodeFromIndex(const QModelIndex& index) const;
    QModelIndex IndexOf(const TFolderNode* node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void FreeSubtree(TFolderNode& node);
    void InitNode(TFolderNode& node) const;

    std::unique_ptr<TFolderNode> m_root;
    int m_changing = 0;
    QList<QIcon> m_images;
};
