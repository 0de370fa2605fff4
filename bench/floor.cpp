// The floor for start-up time and memory: a bare Qt Widgets window of the
// program's client size with as many controls of each kind (3 scroll bars,
// 6 line edits, 2 radio buttons, 28 labels, 1 frame), in Qt's default fonts,
// style and palette. It contains none of the program's code, so no change of
// ours can make the program start faster or smaller than this.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QWidget>

namespace {

// Places in pixels, where the program puts its controls of the same kind.
constexpr QRect kScrollBars[] = {{160, 51, 16, 169}, {184, 51, 16, 169}, {208, 51, 16, 169}};
constexpr QRect kLineEdits[] = {{5, 8, 145, 73},   {90, 87, 60, 22},  {90, 114, 60, 22},
                                {156, 24, 25, 22}, {180, 24, 25, 22}, {204, 24, 25, 22}};
constexpr QRect kRadioButtons[] = {{8, 90, 71, 16}, {8, 117, 81, 16}};
constexpr QRect kFrame = {4, 145, 148, 76};
constexpr QRect kLabels[] = {
    {159, 6, 19, 13}, {183, 6, 19, 13}, {207, 6, 19, 13}, {4, 226, 98, 13}};
constexpr int kFrameLabelColumns = 6;
constexpr int kFrameLabelCount = 24;

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Floor"));
  window.setFixedSize(234, 243);

  for (const QRect& place : kScrollBars) {
    auto* bar = new QScrollBar(Qt::Vertical, &window);
    bar->setRange(0, 255);
    bar->setGeometry(place);
  }
  for (const QRect& place : kLineEdits) {
    auto* edit = new QLineEdit(QStringLiteral("FF"), &window);
    edit->setGeometry(place);
  }
  const QString radioCaptions[] = {QStringLiteral("Text Color:"), QStringLiteral("Background:")};
  for (int i = 0; i < 2; ++i) {
    auto* radio = new QRadioButton(radioCaptions[i], &window);
    radio->setGeometry(kRadioButtons[i]);
    radio->setChecked(i == 1);
  }
  auto* frame = new QFrame(&window);
  frame->setFrameShape(QFrame::Box);
  frame->setGeometry(kFrame);
  const QString labelCaptions[] = {QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B"),
                                   QStringLiteral("Version")};
  for (int i = 0; i < 4; ++i) {
    auto* label = new QLabel(labelCaptions[i], &window);
    label->setGeometry(kLabels[i]);
  }
  for (int i = 0; i < kFrameLabelCount; ++i) {
    auto* label = new QLabel(QStringLiteral("Aa"), frame);
    label->setGeometry(2 + 24 * (i % kFrameLabelColumns), 2 + 18 * (i / kFrameLabelColumns), 22,
                       16);
  }

  window.show();
  return QApplication::exec();
}
