#include "PulvexView.h"

#include "Pictures.h"
#include "pulvex/model/KitTable.h"
#include "pulvex/model/PulvexDoc.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace pulvex_app {
namespace {

using pulvex::CPulvexDoc;

constexpr int kRowChars = CPulvexDoc::ColumnX[9] + 6; // 84 character widths
const QColor kSeparatorColour(128, 128, 128);

// A font whose em height is `millimetres` on the screen, as the rows and headers use.
QFont fontOfHeight(const QWidget& widget, const QString& family, double millimetres, bool bold) {
    QFont font(family);
    const double pixelsPerMm = widget.logicalDpiY() / 25.4;
    font.setPixelSize(std::max(1, static_cast<int>(pixelsPerMm * millimetres)));
    font.setBold(bold);
    return font;
}

// Columns with a separator before them: all but SOUND and I-NOTE.
bool hasSeparatorBefore(int column) {
    return column != 0 && column != 2;
}

} // namespace

CPulvexView::CPulvexView(CPulvexDoc& doc, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), emptyPicture_(loadPicture(kEmptyKitPicture)) {
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    OnInitialUpdate();
}

QFont CPulvexView::rowFont() const {
    return fontOfHeight(*this, "MS Sans Serif", 2.0, true);
}

QFont CPulvexView::headerFont() const {
    return fontOfHeight(*this, "Arial", 3.0, false);
}

void CPulvexView::measure() {
    const QFontMetrics rows(rowFont());
    const QFontMetrics headers(headerFont());
    cw_ = std::max({1, rows.averageCharWidth(), headers.averageCharWidth()});
    lh_ = std::max({1, rows.height(), headers.height()});
}

int CPulvexView::rowWidth() const {
    return kRowChars * cw_;
}

void CPulvexView::updateScrollSizes() {
    // The total size is 1 by 1 without a kit, else the header line and all 64 rows.
    const int width = doc_.HasKit() ? rowWidth() : 1;
    const int height = doc_.HasKit() ? (pulvex::kKeyCount + 1) * lh_ + 2 : 1;
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, width - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, height - page.height()));
    horizontalScrollBar()->setPageStep(10 * cw_);
    verticalScrollBar()->setPageStep(10 * lh_);
    horizontalScrollBar()->setSingleStep(cw_);
    verticalScrollBar()->setSingleStep(lh_);
}

void CPulvexView::OnInitialUpdate() {
    measure();
    updateScrollSizes();
    viewport()->update();
}

void CPulvexView::OnUpdate() {
    if (!doc_.HasKit()) return;
    OnInitialUpdate();
}

void CPulvexView::OnEditUnselectAll() {
    doc_.UnselectAll();
    viewport()->update();
}

int CPulvexView::keyAt(int viewportY) const {
    const int offset = verticalScrollBar()->value() + viewportY - 2;
    if (offset < 0) return -1;
    const int row = offset / lh_;
    return row >= 1 && row <= pulvex::kKeyCount ? row - 1 : -1;
}

void CPulvexView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollSizes();
}

void CPulvexView::scrollContentsBy(int, int) {
    viewport()->update();
}

void CPulvexView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    if (!doc_.HasKit()) {
        paintEmpty(painter);
        return;
    }
    measure();
    const int x0 = -horizontalScrollBar()->value();
    const int y0 = -verticalScrollBar()->value();
    painter.setFont(headerFont());
    painter.setPen(palette().color(QPalette::Text));
    const QFontMetrics headerMetrics(painter.font());
    for (int c = 0; c < pulvex::kKitColumns; ++c)
        painter.drawText(x0 + CPulvexDoc::ColumnX[c] * cw_, y0 + headerMetrics.ascent(),
                         QString::fromLatin1(pulvex::kKitColumnHeaders[c]));
    for (int key = 0; key < pulvex::kKeyCount; ++key) paintRow(painter, key, x0, y0 + rowTop(key));
}

void CPulvexView::paintEmpty(QPainter& painter) {
    if (emptyPicture_.isNull()) return;
    // Black pixels black; the white ones leave the background as it is.
    const QBitmap bits = QBitmap::fromImage(emptyPicture_, Qt::ThresholdDither);
    const QPoint topLeft((viewport()->width() - bits.width()) / 2,
                         (viewport()->height() - bits.height()) / 2);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(Qt::black);
    painter.drawPixmap(topLeft, bits);
}

void CPulvexView::paintRow(QPainter& painter, int key, int x0, int y) {
    const bool selected = doc_.IsSelected(key);
    const QColor background = selected ? QColor(Qt::black) : palette().color(QPalette::Base);
    const QColor text = selected ? QColor(Qt::white) : QColor(Qt::black);
    // The fill runs from the viewport's left edge across 84 character widths, as the row is drawn.
    painter.fillRect(QRect(0, y, rowWidth(), lh_), background);
    painter.setFont(rowFont());
    painter.setPen(text);
    const int ascent = QFontMetrics(painter.font()).ascent();
    const auto& drumSet = doc_.keys[key];
    for (int c = 0; c < pulvex::kKitColumns; ++c)
        painter.drawText(x0 + CPulvexDoc::ColumnX[c] * cw_, y + ascent,
                         QString::fromLatin1(pulvex::cellText(drumSet, c)));
    QPen dotted(kSeparatorColour, 1, Qt::DotLine);
    painter.setPen(dotted);
    painter.setBackgroundMode(Qt::TransparentMode);
    for (int c = 1; c < pulvex::kKitColumns; ++c) {
        if (!hasSeparatorBefore(c)) continue;
        const int x = x0 + CPulvexDoc::ColumnX[c] * cw_ - 2;
        painter.drawLine(x, y - 1, x, y + lh_ + 1);
    }
    painter.drawLine(0, y + lh_ - 1, rowWidth(), y + lh_ - 1);
}

void CPulvexView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && doc_.HasKit()) {
        const int key = keyAt(static_cast<int>(event->position().y()));
        if (key >= 0) {
            doc_.ToggleSelected(key);
            // Just that row is drawn again.
            const int y = rowTop(key) - verticalScrollBar()->value();
            viewport()->update(QRect(0, y - 1, viewport()->width(), lh_ + 3));
            emit selectionToggled();
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

} // namespace pulvex_app
