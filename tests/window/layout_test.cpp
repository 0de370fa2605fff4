// The window as laid out: size, places, colours and the marker, checked at a
// device-pixel ratio of 1 and (in a second run under QT_SCALE_FACTOR=2) 2.
#include "window/layout.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include "window_fixture.h"

namespace window {
namespace {

class LayoutTest : public WindowTest {
 protected:
  QRect PlaceInWindow(const char* name) const {
    QWidget* widget = Find(name);
    return QRect(widget->mapTo(main->form.widget(), QPoint(0, 0)), widget->size());
  }

  QColor PixelAt(QPoint logical) const {
    const QImage image = main->form.widget()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)));
  }
};

TEST_F(LayoutTest, WindowHasTheDesignedFixedClientArea) {
  QWidget* window = main->form.widget();
  EXPECT_EQ(window->size(), QSize(234, 243));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Orlan's Huvenor"));
  const qreal expectedRatio = qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2 ? 2.0 : 1.0;
  EXPECT_EQ(window->grab().size(), QSize(234, 243) * expectedRatio);  // drawn at that ratio
}

// In the window's client area, in logical pixels; the swatches stand inside
// the panel's one-pixel border.
TEST_F(LayoutTest, ControlsStandWhereTheirTwipsPutThem) {
  const std::pair<const char*, QRect> places[] = {
      {"txtEXAMPLE", {5, 8, 145, 73}},       {"vsbCOLOR(0)", {160, 51, 16, 169}},
      {"vsbCOLOR(2)", {208, 51, 16, 169}},   {"lbl(1)", {183, 6, 19, 13}},
      {"txtFINALHEX(0)", {90, 87, 60, 22}},  {"txtFINALHEX(1)", {90, 114, 60, 22}},
      {"txtHEXCOLOR(0)", {156, 24, 25, 22}}, {"txtHEXCOLOR(2)", {204, 24, 25, 22}},
      {"optITEM(0)", {8, 90, 71, 16}},       {"optITEM(1)", {8, 117, 81, 16}},
      {"Picture1", {4, 145, 148, 76}},       {"lblVERSION", {4, 226, 98, 13}},
      {"lblLASTDATE", {158, 226, 71, 13}},   {"lblSTORE(0)", {7, 148, 22, 16}},
      {"lblSTORE(5)", {127, 148, 22, 16}},   {"lblSTORE(23)", {127, 202, 22, 16}}};
  for (const auto& [name, pixels] : places) EXPECT_EQ(PlaceInWindow(name), pixels) << name;
}

// Drawn, not just stored: swatch 1 is 128, 64, 0 and swatch 7 pure red, each
// in a flat black border; the marker frames swatch 0, clipped by the panel.
TEST_F(LayoutTest, SwatchesAndTheMarkerAreDrawnAsDesigned) {
  const QRect second = PlaceInWindow("lblSTORE(1)");
  EXPECT_EQ(PixelAt(second.topLeft() + QPoint(2, second.height() - 3)), QColor(128, 64, 0));
  const QRect eighth = PlaceInWindow("lblSTORE(7)");
  EXPECT_EQ(PixelAt(eighth.topLeft() + QPoint(2, eighth.height() - 3)), QColor(255, 0, 0));
  EXPECT_EQ(PixelAt(eighth.topLeft()), QColor(Qt::black)) << "flat black border";

  EXPECT_EQ(QPoint(main->shpSTOREMARK->Left(), main->shpSTOREMARK->Top()), QPoint(-15, -15));
  const QPoint inside = PlaceInWindow("Picture1").topLeft() + QPoint(1, 1);
  EXPECT_EQ(PixelAt(inside), QColor(Qt::white)) << "the outline lies outside the panel";
  EXPECT_EQ(PixelAt(inside + QPoint(1, 10)), QColor(Qt::white)) << "frame left of the swatch";
  EXPECT_EQ(PixelAt(inside + QPoint(24, 10)), QColor(Qt::white)) << "frame right of the swatch";
  EXPECT_EQ(PixelAt(inside + QPoint(24, 20)), QColor(Qt::black)) << "outline below the frame";
  EXPECT_EQ(PixelAt(inside + QPoint(24, 21)), QColor(128, 128, 128)) << "panel beyond the marker";
}

TEST_F(LayoutTest, FixedPitchBoxesHoldTheirDigits) {
  auto* final = Find<QLineEdit>("txtFINALHEX(0)");
  const QFontMetrics metrics(final->font());
  EXPECT_TRUE(QFontInfo(final->font()).fixedPitch());
  EXPECT_LT(metrics.horizontalAdvance(QStringLiteral("FFFFFF")), final->width() - 8);
  auto* red = Find<QLineEdit>("txtHEXCOLOR(0)");
  EXPECT_LT(QFontMetrics(red->font()).horizontalAdvance(QStringLiteral("FF")), red->width() - 6);
}

}  // namespace
}  // namespace window
