#include "PulvexView.h"

#include "KitTableModel.h"
#include "Pictures.h"
#include "pulvex/model/KitTable.h"
#include "pulvex/model/PulvexDoc.h"

#include <QAbstractItemDelegate>
#include <QBitmap>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace pulvex_app {
namespace {

using pulvex::CPulvexDoc;

constexpr int kRowChars = CPulvexDoc::ColumnX[9] + 6; // 84 character widths

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
    return column != 0 && column != 2 && column < pulvex::kKitColumns;
}

// Halfway between text and ground: the grey of old on white, and as faint on any other ground.
QColor separatorColour(const QPalette& colours) {
    const QColor text = colours.color(QPalette::Text);
    const QColor base = colours.color(QPalette::Base);
    return QColor((text.red() + base.red()) / 2, (text.green() + base.green()) / 2,
                  (text.blue() + base.blue()) / 2);
}

// The column titles as plain text on the table's ground, a line and 2 pixels high; clicks on them
// do nothing.
class KitHeader : public QHeaderView {
public:
    explicit KitHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
        setMinimumSectionSize(1);
    }

    void setLineHeight(int pixels) {
        lineHeight_ = pixels;
        updateGeometry();
    }
    QSize sizeHint() const override { return {length(), lineHeight_ + 2}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Text));
        painter.setFont(font());
        for (int section = 0; section < count(); ++section) {
            const QRect rect(sectionViewportPosition(section), 0, sectionSize(section), height());
            painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             model()->headerData(section, orientation()).toString());
        }
    }

private:
    int lineHeight_ = 1;
};

// A cell as the rows have always looked: text from the cell's left edge, a selected key in the
// highlight across the whole row, dotted separators between the columns and under the row.
class KitCellDelegate : public QAbstractItemDelegate {
public:
    using QAbstractItemDelegate::QAbstractItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = index.data(KitTableModel::SelectedRole).toBool();
        const QPalette& colours = option.palette;
        const QRect& cell = option.rect;
        painter->save();
        if (selected) painter->fillRect(cell, colours.color(QPalette::Highlight));
        painter->setFont(option.font);
        painter->setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data().toString());
        painter->setPen(QPen(separatorColour(colours), 1, Qt::DotLine));
        if (hasSeparatorBefore(index.column() + 1))
            painter->drawLine(cell.right() - 1, cell.top(), cell.right() - 1, cell.bottom());
        painter->drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return option.rect.size();
    }
};

} // namespace

CPulvexView::CPulvexView(CPulvexDoc& doc, QWidget* parent)
    : QTableView(parent), doc_(doc), model_(new KitTableModel(doc, this)),
      emptyPicture_(loadPicture(kEmptyKitPicture)) {
    setHorizontalHeader(new KitHeader(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    setItemDelegate(new KitCellDelegate(this));
    setModel(model_);
    setSelectionMode(NoSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setAccessibleName("Kit");
    OnInitialUpdate();
}

QFont CPulvexView::rowFont() const {
    return fontOfHeight(*this, "MS Sans Serif", 2.0, true);
}

QFont CPulvexView::headerFont() const {
    return fontOfHeight(*this, "Arial", 3.0, false);
}

int CPulvexView::rowWidth() const {
    return kRowChars * cw_;
}

void CPulvexView::measure() {
    const QFontMetrics rows(rowFont());
    const QFontMetrics headers(headerFont());
    cw_ = std::max({1, rows.averageCharWidth(), headers.averageCharWidth()});
    lh_ = std::max({1, rows.height(), headers.height()});
}

void CPulvexView::applyMeasures() {
    setFont(rowFont());
    auto* header = static_cast<KitHeader*>(horizontalHeader());
    header->setFont(headerFont());
    header->setLineHeight(lh_);
    header->setVisible(model_->rowCount() > 0);
    verticalHeader()->setDefaultSectionSize(lh_);
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int right = c + 1 < pulvex::kKitColumns ? CPulvexDoc::ColumnX[c + 1] : kRowChars;
        setColumnWidth(c, (right - CPulvexDoc::ColumnX[c]) * cw_);
    }
    updateGeometries();
    viewport()->update();
}

void CPulvexView::OnInitialUpdate() {
    measure();
    model_->reload();
    applyMeasures();
}

void CPulvexView::OnUpdate() {
    if (!doc_.HasKit()) return;
    OnInitialUpdate();
}

void CPulvexView::OnEditUnselectAll() {
    model_->unselectAll();
}

void CPulvexView::selectAll() {
    if (model_->rowCount() == 0) return;
    model_->selectAll();
    emit selectionToggled();
}

void CPulvexView::toggle(int key) {
    model_->toggleSelected(key);
    emit selectionToggled();
}

QRect CPulvexView::rowRect(int key) const {
    return QRect(columnViewportPosition(0), rowViewportPosition(key), rowWidth(), rowHeight(key));
}

void CPulvexView::updateRow(int key) {
    if (key >= 0 && key < model_->rowCount()) viewport()->update(rowRect(key));
}

void CPulvexView::paintEvent(QPaintEvent* event) {
    if (model_->rowCount() == 0) {
        paintEmpty();
        return;
    }
    QTableView::paintEvent(event);
    paintCurrentRow();
}

void CPulvexView::paintEmpty() {
    if (emptyPicture_.isNull()) return;
    QPainter painter(viewport());
    // Set pixels in the text colour; the others leave the ground as it is.
    const QBitmap bits = QBitmap::fromImage(emptyPicture_, Qt::ThresholdDither);
    const QPoint topLeft((viewport()->width() - bits.width()) / 2,
                         (viewport()->height() - bits.height()) / 2);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawPixmap(topLeft, bits);
}

void CPulvexView::paintCurrentRow() {
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid()) return;
    const bool selected = current.data(KitTableModel::SelectedRole).toBool();
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text), 1,
                        Qt::DotLine));
    // Inside the row, above its separator.
    painter.drawRect(rowRect(current.row()).adjusted(0, 0, -1, -2));
}

void CPulvexView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // The current row's frame runs across all its cells, not just the current one.
    if (current.row() == previous.row()) return;
    updateRow(previous.row());
    updateRow(current.row());
}

void CPulvexView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    updateRow(currentIndex().row());
}

void CPulvexView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    updateRow(currentIndex().row());
}

void CPulvexView::mousePressEvent(QMouseEvent* event) {
    // Every left press toggles the row under it, a double click's second one too; the header, the
    // ground below the last row and the other buttons change nothing.
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const int key = rowAt(at.y());
    if (key < 0) return;
    // The current row follows, without scrolling: a scroll would repaint more than the row.
    const bool scrolls = hasAutoScroll();
    setAutoScroll(false);
    setCurrentIndex(model_->index(key, std::max(0, columnAt(at.x()))));
    setAutoScroll(scrolls);
    toggle(key);
}

void CPulvexView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CPulvexView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    if (event->key() == Qt::Key_Space && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (currentIndex().isValid()) toggle(currentIndex().row());
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace pulvex_app
