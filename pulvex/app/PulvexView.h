#pragma once
// The kit view: the document's 64 keys as a scrolling table, selected keys white on black, and a
// picture while there is no kit. A left click on a row toggles that key.

#include <QAbstractScrollArea>
#include <QFont>
#include <QImage>

namespace pulvex {
class CPulvexDoc;
}

namespace pulvex_app {

class CPulvexView : public QAbstractScrollArea {
    Q_OBJECT
public:
    CPulvexView(pulvex::CPulvexDoc& doc, QWidget* parent = nullptr);

    // After a new or opened document: fonts, measures and scroll sizes afresh.
    void OnInitialUpdate();
    // After a reception or any change of the document: as above, and the whole view repainted.
    // Without a kit nothing changes.
    void OnUpdate();
    void OnEditUnselectAll();

    // The measures of the last layout: average character width and line height, in pixels.
    int cw() const { return cw_; }
    int lh() const { return lh_; }
    // y of key i's row in the table (not scrolled), and the key under a viewport y (-1 for none).
    int rowTop(int key) const { return (key + 1) * lh_ + 2; }
    int keyAt(int viewportY) const;
    int rowWidth() const;

    // The fonts as the screen's resolution makes them: bold 2 mm rows, 3 mm headers.
    QFont rowFont() const;
    QFont headerFont() const;

signals:
    // A key's selection was toggled by a click.
    void selectionToggled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void measure();
    void updateScrollSizes();
    void paintEmpty(QPainter& painter);
    void paintRow(QPainter& painter, int key, int x0, int y);

    pulvex::CPulvexDoc& doc_;
    QImage emptyPicture_;
    int cw_ = 1;
    int lh_ = 1;
};

} // namespace pulvex_app
