// The folder tree's model: nodes made on demand, one record each.
#include "app/cx_foldertree.h"

#include <QGuiApplication>
#include <QPalette>

namespace {
class TChanging {
public:
    explicit TChanging(int& counter) : m_counter(counter) { ++m_counter; }
    ~TChanging() { --m_counter; }
    TChanging(const TChanging&) = delete;
    TChanging& operator=(const TChanging&) = delete;

private:
    int& m_counter;
};
} // namespace

int TFolderNode::Level() const {
    int level = -1;
    for (const TFolderNode* node = m_parent; node; node = node->m_parent)
        ++level;
    return level;
}

bool TFolderNode::IsBelow(const TFolderNode* ancestor) const {
    if (!ancestor)
        return false;
    for (const TFolderNode* node = m_parent; node; node = node->m_parent)
        if (node == ancestor)
            return true;
    return false;
}

TFolderTreeModel::TFolderTreeModel(QObject* parent)
    : QAbstractItemModel(parent), m_root(std::make_unique<TFolderNode>()) {}

TFolderTreeModel::~TFolderTreeModel() {
    // The owner's callbacks may already be gone: free quietly.
    OnFreeNode = nullptr;
}

void TFolderTreeModel::SetImages(const QList<QIcon>& images) {
    m_images = images;
    if (!m_root->m_children.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void TFolderTreeModel::Clear() {
    TChanging changing(m_changing);
    beginResetModel();
    for (auto& child : m_root->m_children)
        if (child)
            FreeSubtree(*child);
    m_root->m_children.clear();
    endResetModel();
}

void TFolderTreeModel::SetChildCount(TFolderNode* node, int count) {
    if (!node)
        return;
    count = std::max(0, count);
    const int current = node->ChildCount();
    TChanging changing(m_changing);
    if (count > current) {
        beginInsertRows(IndexOf(node), current, count - 1);
        node->m_children.resize(size_t(count));
        endInsertRows();
    } else if (count < current) {
        beginRemoveRows(IndexOf(node), count, current - 1);
        for (int i = count; i < current; ++i)
            if (node->m_children[size_t(i)])
                FreeSubtree(*node->m_children[size_t(i)]);
        node->m_children.resize(size_t(count));
        endRemoveRows();
    }
}

TFolderNode* TFolderTreeModel::Child(TFolderNode* parent, int index) const {
    if (!parent || index < 0 || index >= parent->ChildCount())
        return nullptr;
    std::unique_ptr<TFolderNode>& slot = parent->m_children[size_t(index)];
    if (!slot) {
        slot = std::make_unique<TFolderNode>();
        slot->m_parent = parent;
        slot->m_index = index;
        InitNode(*slot);
    }
    return slot.get();
}

void TFolderTreeModel::DeleteChildren(TFolderNode* node) {
    SetChildCount(node, 0);
}

void TFolderTreeModel::DeleteNode(TFolderNode* node) {
    if (!node || node->IsRoot())
        return;
    TFolderNode* parent = node->m_parent;
    const int row = node->m_index;
    TChanging changing(m_changing);
    // The nodes after it move up one row: give them their records first, so
    // that each keeps the entry it was listed with.
    for (int i = row + 1; i < parent->ChildCount(); ++i)
        Child(parent, i);
    beginRemoveRows(IndexOf(parent), row, row);
    FreeSubtree(*node);
    parent->m_children.erase(parent->m_children.begin() + row);
    for (int i = row; i < parent->ChildCount(); ++i)
        parent->m_children[size_t(i)]->m_index = i;
    endRemoveRows();
}

void TFolderTreeModel::ReinitNode(TFolderNode* node) {
    if (!node || node->IsRoot())
        return;
    DeleteChildren(node);
    InitNode(*node);
    NodeChanged(node);
}

void TFolderTreeModel::NodeChanged(TFolderNode* node) {
    if (!node || node->IsRoot())
        return;
    const QModelIndex at = IndexOf(node);
    emit dataChanged(at, at);
}

TFolderNode* TFolderTreeModel::NodeFromIndex(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TFolderNode*>(index.internalPointer());
}

QModelIndex TFolderTreeModel::IndexOf(const TFolderNode* node) const {
    if (!node || node->IsRoot())
        return {};
    return createIndex(node->m_index, 0, const_cast<TFolderNode*>(node));
}

QModelIndex TFolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0)
        return {};
    TFolderNode* parentNode = parent.isValid() ? NodeFromIndex(parent) : m_root.get();
    TFolderNode* node = Child(parentNode, row);
    return node ? createIndex(row, 0, node) : QModelIndex();
}

QModelIndex TFolderTreeModel::parent(const QModelIndex& child) const {
    const TFolderNode* node = NodeFromIndex(child);
    return node ? IndexOf(node->m_parent) : QModelIndex();
}

int TFolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const TFolderNode* node = parent.isValid() ? NodeFromIndex(parent) : m_root.get();
    return node ? node->ChildCount() : 0;
}

int TFolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TFolderTreeModel::data(const QModelIndex& index, int role) const {
    const TFolderNode* node = NodeFromIndex(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->Data.Name;
    case Qt::ToolTipRole:
        return node->Data.Hint.isEmpty() ? node->Data.Path : node->Data.Hint;
    case Qt::ForegroundRole:
        // A node with a hint leads nowhere: greyed like a disabled item.
        if (!node->Data.Hint.isEmpty())
            return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::DecorationRole:
        if (node->Data.ImageIndex >= 0 && node->Data.ImageIndex < m_images.size())
            return m_images.at(node->Data.ImageIndex);
        return {};
    default:
        return {};
    }
}

bool TFolderTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TFolderNode* node = NodeFromIndex(index);
    if (!node || role != Qt::EditRole || !OnNewText)
        return false;
    if (!OnNewText(*node, value.toString()))
        return false;
    NodeChanged(node);
    return true;
}

Qt::ItemFlags TFolderTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void TFolderTreeModel::FreeSubtree(TFolderNode& node) {
    for (auto& child : node.m_children)
        if (child)
            FreeSubtree(*child);
    if (OnFreeNode)
        OnFreeNode(node);
}

void TFolderTreeModel::InitNode(TFolderNode& node) const {
    node.Data = TFolderNodeData();
    if (OnInitNode)
        OnInitNode(node);
}
