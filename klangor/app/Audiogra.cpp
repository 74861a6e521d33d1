#include "Audiogra.h"

#include "morvex/EnvelopeGraph.h"

#include <QCloseEvent>
#include <QPainter>

namespace klangor {

namespace {

// The curves' canvas. It has no background of its own, so a repaint shows the window's colour
// under the curves and nothing of the previous drawing.
class PaintBox : public QWidget {
public:
    PaintBox(TFAudioGra* graph) : QWidget(graph), graph_(graph) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        graph_->paintCurves(painter, x(), width(), height());
    }

private:
    TFAudioGra* graph_;
};

QColor qColor(morvex::GraphColor c) {
    return QColor(c.red, c.green, c.blue);
}

QPoint qPoint(morvex::GraphPoint p) {
    return QPoint(p.x, p.y);
}

} // namespace

TFAudioGra::TFAudioGra(morvex::MorvexState& state, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint), state_(state) {
    setWindowTitle("Envelope Graphics");
    setObjectName("FAudioGra");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::Button));
    setPalette(background);

    PBox = new PaintBox(this);
    PBox->setObjectName("PBox");
    PBox->setGeometry(morvex::kGraphLeft, 4, morvex::kGraphWidth, morvex::kGraphHeight);
    setFixedSize(PBox->geometry().right() + 1 + morvex::kGraphLeft, PBox->geometry().bottom() + 5);
    setEnabled(false);
}

void TFAudioGra::Malen() {
    if (isVisible()) PBox->repaint();
}

void TFAudioGra::paintCurves(QPainter& painter, int left, int width, int height) {
    ++paintCount_;
    const auto curves = morvex::EnvelopeCurves(state_.voiceParams, left, width, height);
    for (const morvex::EnvelopeCurve& curve : curves) {
        QPen pen(qColor(curve.color));
        pen.setStyle(Qt::SolidLine);
        painter.setPen(pen);
        QPoint points[4];
        for (int i = 0; i < 4; ++i) points[i] = qPoint(curve.points[i]);
        painter.drawPolyline(points, 4);

        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawLine(points[3], qPoint(curve.sustainEnd));
        pen.setColor(Qt::black);
        painter.setPen(pen);
        painter.drawLine(qPoint(curve.baselineStart), qPoint(curve.baselineEnd));

        pen.setStyle(Qt::SolidLine);
        painter.setPen(pen);
        const QFontMetrics metrics = painter.fontMetrics();
        painter.drawText(qPoint(curve.labelAt) + QPoint(0, metrics.ascent()),
                         QString(QChar(curve.label)));
    }
}

// The close box only hides the window; it stays enabled, so the page keeps storing its changes.
void TFAudioGra::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

} // namespace klangor
