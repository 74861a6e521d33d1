#include "KitTableModel.h"

#include "pulvex/model/KitTable.h"
#include "pulvex/model/PulvexDoc.h"

namespace pulvex_app {
namespace {

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

KitTableModel::KitTableModel(pulvex::CPulvexDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), doc_(doc), hasKit_(doc.HasKit()) {}

int KitTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !hasKit_ ? 0 : pulvex::kKeyCount;
}

int KitTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !hasKit_ ? 0 : pulvex::kKitColumns;
}

QVariant KitTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const int key = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return latin1(pulvex::cellText(doc_.keys[key], index.column()));
    case SelectedRole:
        return doc_.IsSelected(key);
    case Qt::AccessibleDescriptionRole:
        // Screen readers learn the selection here: the view's own selection stays empty.
        return doc_.IsSelected(key) ? QStringLiteral("selected") : QString();
    }
    return {};
}

QVariant KitTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role != Qt::DisplayRole || section < 0 || section >= pulvex::kKeyCount) return {};
        return QString("Key %1").arg(section + 1);
    }
    if (section < 0 || section >= pulvex::kKitColumns) return {};
    if (role == Qt::DisplayRole) return latin1(pulvex::kKitColumnHeaders[section]);
    if (role == Qt::AccessibleTextRole) return latin1(pulvex::kKitColumnNames[section]);
    return {};
}

Qt::ItemFlags KitTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void KitTableModel::toggleSelected(int key) {
    if (!hasKit_ || key < 0 || key >= pulvex::kKeyCount) return;
    doc_.ToggleSelected(key);
    selectionChanged(key, key);
}

void KitTableModel::selectAll() {
    if (!hasKit_) return;
    doc_.SelectAll();
    selectionChanged(0, pulvex::kKeyCount - 1);
}

void KitTableModel::unselectAll() {
    doc_.UnselectAll();
    if (hasKit_) selectionChanged(0, pulvex::kKeyCount - 1);
}

void KitTableModel::reload() {
    beginResetModel();
    hasKit_ = doc_.HasKit();
    endResetModel();
}

void KitTableModel::selectionChanged(int firstKey, int lastKey) {
    emit dataChanged(index(firstKey, 0), index(lastKey, pulvex::kKitColumns - 1),
                     {SelectedRole, Qt::AccessibleDescriptionRole});
}

} // namespace pulvex_app
