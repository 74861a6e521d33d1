#pragma once
// TFAudioGra, the "Envelope Graphics" window: the four envelopes of the voice as stacked curves,
// redrawn while the Envelope page changes them. A separate window that stays on top, owned by the
// Envelope page; disabled and hidden until the page's "Envelope Graphics" button enables it.

#include "morvex/MorvexState.h"

#include <QWidget>

class QPainter;

namespace klangor {

class TFAudioGra : public QWidget {
    Q_OBJECT
public:
    explicit TFAudioGra(morvex::MorvexState& state, QWidget* owner);

    // Paints the curves now (the window's background first), reading the voice as it is now.
    // Nothing happens while the window is hidden; it paints when it is shown again.
    void Malen();

    // The area the curves are drawn in (left 16, top 4, 761 x 297).
    QWidget* paintBox() const { return PBox; }

    // How often the curves were painted; lets a test tell one redraw from several.
    int paintCount() const { return paintCount_; }

    // Strokes the curves for a paint area whose left edge inside its parent is `left`.
    void paintCurves(QPainter& painter, int left, int width, int height);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    morvex::MorvexState& state_;
    QWidget* PBox;
    int paintCount_ = 0;
};

} // namespace klangor
