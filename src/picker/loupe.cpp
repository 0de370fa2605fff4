#include "picker/loupe.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "colour/colour.h"

namespace picker {

namespace {

constexpr int kCell = 10;  // logical pixels a device pixel is drawn as
constexpr int kGrid = Loupe::kSpan * kCell;
constexpr int kCaption = 22;
constexpr int kGap = 24;  // between the pointer and the loupe

QString HexOf(QRgb pixel) {
  return QStringLiteral("#") + QString::fromStdString(colour::FinalHex(
                                   colour::RGB(qRed(pixel), qGreen(pixel), qBlue(pixel))));
}

}  // namespace

QPoint LogicalPoint(int x, int y) {
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect logical = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    const QRect device(logical.topLeft(), logical.size() * ratio);
    if (device.contains(x, y)) {
      return logical.topLeft() +
             QPoint(qRound((x - logical.x()) / ratio), qRound((y - logical.y()) / ratio));
    }
  }
  return {x, y};
}

Loupe::Loupe()
    // Transparent for input: where no grab steers the pointer (Windows), a
    // loupe the pointer runs into would take its moves and clicks.
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput) {
  setObjectName(QStringLiteral("loupe"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFixedSize(kGrid + 2, kGrid + 2 + kCaption);
}

void Loupe::ShowAt(const QPoint& pointer, const QImage& pixels) {
  pixels_ = pixels;
  // Below right of the pointer, or on the other side where the screen ends,
  // so the loupe never covers the pixels it shows.
  const QScreen* screen = QGuiApplication::screenAt(pointer);
  const QRect room = screen ? screen->geometry() : QRect(pointer, size());
  QPoint at = pointer + QPoint(kGap, kGap);
  if (at.x() + width() > room.right()) at.setX(pointer.x() - kGap - width());
  if (at.y() + height() > room.bottom()) at.setY(pointer.y() - kGap - height());
  move(at);
  const QString hex = HexOf(pixels_.pixel(kRadius, kRadius));
  setAccessibleName(hex);
  if (!isVisible()) show();
  repaint();
}

void Loupe::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.fillRect(1, 1, kGrid, kGrid, QBrush(Qt::gray, Qt::Dense4Pattern));
  // Drawn unsmoothed, each device pixel one square.
  painter.drawImage(QRect(1, 1, kGrid, kGrid), pixels_);
  const QRect centre(1 + kRadius * kCell, 1 + kRadius * kCell, kCell, kCell);
  painter.setPen(Qt::black);
  painter.drawRect(centre.adjusted(-2, -2, 1, 1));
  painter.setPen(Qt::white);
  painter.drawRect(centre.adjusted(-1, -1, 0, 0));
  const QRect caption(1, kGrid + 2, kGrid, kCaption - 1);
  painter.fillRect(caption, QColor(0x20, 0x20, 0x20));
  painter.setPen(Qt::white);
  painter.drawText(caption, Qt::AlignCenter, accessibleName());
}

}  // namespace picker
