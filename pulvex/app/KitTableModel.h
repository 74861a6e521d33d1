#pragma once
// The document as a table for the kit view: a row per key and the kit's ten columns while there is
// a kit, nothing without one. The selection stays the document's: it is read from the document for
// every paint, and changed only in the document, with the views told of just the rows it touched.

#include <QAbstractTableModel>

namespace pulvex {
class CPulvexDoc;
}

namespace pulvex_app {

class KitTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // A bool: the key is selected in the document.
    static constexpr int SelectedRole = Qt::UserRole;

    explicit KitTableModel(pulvex::CPulvexDoc& doc, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void toggleSelected(int key);
    void selectAll();
    void unselectAll();

    // After the document was replaced or refilled: its rows (none without a kit) afresh.
    void reload();

private:
    void selectionChanged(int firstKey, int lastKey);

    pulvex::CPulvexDoc& doc_;
    bool hasKit_ = false;
};

} // namespace pulvex_app
