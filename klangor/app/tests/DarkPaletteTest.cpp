// The windows take their colours from the palette: in a dark one the envelope graph still reads,
// and no page keeps colours of its own.
#include "testing/DarkPalette.h"
#include "Audiogra.h"
#include "EditPage.h"
#include "GuiTestSupport.h"
#include "PageRegistry.h"
#include "morvex/EnvelopeGraph.h"

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace klangor;
using testing_support::contrast;
using testing_support::DarkFusion;
using testing_support::luminance;

namespace {

class DarkPaletteTest : public ::testing::Test {
protected:
    DarkFusion dark;
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session}; // pictures the pages cannot find in the test's folder
};

TEST_F(DarkPaletteTest, TheGraphsCurvesBaselinesAndLettersStandOutFromItsBackground) {
    morvex::VoiceParams& v = state.voiceParams;
    for (int e = 0; e < morvex::kElementCount; ++e) {
        v.initialLevel[e] = 20;
        v.attackLevel[e] = 99;
        v.decay1Level[e] = 80;
        v.decay2Level[e] = 60;
        v.attackRate[e] = v.decay1Rate[e] = v.decay2Rate[e] = 10 + 10 * e;
    }
    QWidget owner;
    TFAudioGra graph(state, &owner);
    graph.setEnabled(true); // as the Envelope page's button leaves it
    const QImage image = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint box = graph.paintBox()->pos();
    const QRgb background = image.pixel(box.x() / 2, image.height() - 2);
    EXPECT_LT(luminance(background), 0.2) << "the window follows the dark palette";

    const auto curves =
        morvex::EnvelopeCurves(v, box.x(), graph.paintBox()->width(), graph.paintBox()->height());
    constexpr double kLineContrast = 3.0;
    for (const morvex::EnvelopeCurve& curve : curves) {
        SCOPED_TRACE(curve.label);
        const auto at = [&](morvex::GraphPoint p) { return image.pixel(box + QPoint(p.x, p.y)); };
        for (const morvex::GraphPoint& point : curve.points)
            EXPECT_GE(contrast(at(point), background), kLineContrast);
        // The baseline is dotted: some pixel of its first few is drawn.
        double baseline = 1;
        for (int dx = 0; dx < 4; ++dx)
            baseline = std::max(
                baseline,
                contrast(at({curve.baselineStart.x + 40 + dx, curve.baselineStart.y}), background));
        EXPECT_GE(baseline, kLineContrast);
        // The letter's most contrasting pixel.
        double letter = 1;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 12; ++x)
                letter = std::max(
                    letter, contrast(at({curve.labelAt.x + x, curve.labelAt.y + y}), background));
        EXPECT_GE(letter, kLineContrast);
    }
}

TEST_F(DarkPaletteTest, NoPageKeepsColoursOfItsOwn) {
    const QPalette::ColorRole roles[] = {QPalette::Window, QPalette::WindowText,
                                         QPalette::Base,   QPalette::Text,
                                         QPalette::Button, QPalette::ButtonText};
    for (const PageInfo& info : registeredPages()) {
        SCOPED_TRACE(info.name.toStdString());
        const std::unique_ptr<EditPage> page(info.create(session, nullptr));
        QList<QWidget*> widgets = page->findChildren<QWidget*>();
        widgets.prepend(page.get());
        for (const QWidget* widget : widgets) {
            const std::string who =
                widget->objectName().toStdString() + " " + widget->metaObject()->className();
            EXPECT_TRUE(widget->styleSheet().isEmpty()) << who;
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Disabled})
                for (QPalette::ColorRole role : roles)
                    EXPECT_EQ(widget->palette().color(group, role),
                              QApplication::palette(widget).color(group, role))
                        << who << " group " << group << " role " << role;
        }
    }
}

} // namespace
