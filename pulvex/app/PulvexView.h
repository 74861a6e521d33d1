#pragma once
// The kit view: the document's 64 keys as a table (KitTableModel), selected keys in the palette's
// highlight, and a picture while there is no kit. A left click on a row toggles that key; the
// arrow keys move the current row, Space toggles it and Ctrl+A selects every key. The selection is
// the document's alone: the table's own selection model is never used.

#include <QFont>
#include <QImage>
#include <QTableView>

namespace pulvex {
class CPulvexDoc;
}

namespace pulvex_app {

class KitTableModel;

class CPulvexView : public QTableView {
    Q_OBJECT
public:
    CPulvexView(pulvex::CPulvexDoc& doc, QWidget* parent = nullptr);

    // After a new or opened document: rows, fonts and measures afresh.
    void OnInitialUpdate();
    // After a reception or any change of the document: as above. Without a kit nothing changes.
    void OnUpdate();
    void OnEditUnselectAll();
    // Ctrl+A: every key, through the document.
    void selectAll() override;

    KitTableModel& kitModel() const { return *model_; }

    // The measures of the last layout: average character width and line height, in pixels. The
    // header is a line and 2 pixels high, each row a line; column c starts at ColumnX[c] widths.
    int cw() const { return cw_; }
    int lh() const { return lh_; }
    int rowWidth() const;

    // The fonts as the screen's resolution makes them: bold 2 mm rows, 3 mm headers.
    QFont rowFont() const;
    QFont headerFont() const;

signals:
    // The user changed the selection: a click, Space or Ctrl+A.
    void selectionToggled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void measure();
    void applyMeasures();
    void toggle(int key);
    QRect rowRect(int key) const;
    void updateRow(int key);
    void paintEmpty();
    void paintCurrentRow();

    pulvex::CPulvexDoc& doc_;
    KitTableModel* model_;
    QImage emptyPicture_;
    int cw_ = 1;
    int lh_ = 1;
};

} // namespace pulvex_app
