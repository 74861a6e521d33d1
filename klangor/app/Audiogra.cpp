#include "Audiogra.h"

#include "morvex/EnvelopeGraph.h"

#include <QCloseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

// Relative luminance as the contrast rules of the web define it: 0 for black, 1 for white.
double luminance(const QColor& colour) {
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)});
    return (light + 0.05) / (dark + 0.05);
}

// An element's colour on the window's background. The colours were chosen for a light window; on
// a dark one blue would all but vanish, so each is mixed with the text colour until it stands out
// as a line must (3:1).
QColor curveColour(morvex::GraphColor c, const QColor& background, const QColor& text) {
    const QColor element(c.red, c.green, c.blue);
    if (luminance(background) >= luminance(text)) return element;
    constexpr double kLineContrast = 3.0;
    constexpr int kSteps = 10;
    QColor mixed = element;
    for (int step = 1; step <= kSteps && contrast(mixed, background) < kLineContrast; ++step) {
        const double t = double(step) / kSteps;
        mixed.setRgbF(float(element.redF() + t * (text.redF() - element.redF())),
                      float(element.greenF() + t * (text.greenF() - element.greenF())),
                      float(element.blueF() + t * (text.blueF() - element.blueF())));
    }
    return mixed;
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
    // The colours of a button, from whatever palette is in use when the window paints.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

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
    // Disabled only tells that the page does not use the window: it draws in the normal colours.
    const QColor background = palette().color(QPalette::Active, backgroundRole());
    const QColor text = palette().color(QPalette::Active, foregroundRole());
    for (const morvex::EnvelopeCurve& curve : curves) {
        QPen pen(curveColour(curve.color, background, text));
        pen.setStyle(Qt::SolidLine);
        painter.setPen(pen);
        QPoint points[4];
        for (int i = 0; i < 4; ++i) points[i] = qPoint(curve.points[i]);
        painter.drawPolyline(points, 4);

        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawLine(points[3], qPoint(curve.sustainEnd));
        pen.setColor(text);
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
