// What an assistive tool reads of the window, through Qt's accessibility
// interface, which the platform's bridge (AT-SPI on Linux) passes on.
#include <QAccessible>
#include <QAccessibleValueInterface>

#include "window_fixture.h"

namespace window {
namespace {

// "Red channel: 5 (0 to 255)": the name and the value as a tool reads them.
QString ValueOf(QAccessibleInterface* control) {
  QAccessibleValueInterface* value = control->valueInterface();
  if (value == nullptr) return QStringLiteral("no value");
  return QStringLiteral("%1: %2 (%3 to %4), read as \"%5\"")
      .arg(control->text(QAccessible::Name))
      .arg(value->currentValue().toInt())
      .arg(value->minimumValue().toInt())
      .arg(value->maximumValue().toInt())
      .arg(control->text(QAccessible::Value));
}

QString DescriptionOf(QAccessibleInterface* control) {
  return control->text(QAccessible::Name) + QStringLiteral(": ") +
         control->text(QAccessible::Description);
}

int ScrollBarsIn(QAccessibleInterface* control) {
  int count = control->role() == QAccessible::ScrollBar ? 1 : 0;
  for (int i = 0; i < control->childCount(); ++i) count += ScrollBarsIn(control->child(i));
  return count;
}

QString ScrollBarsOf(QAccessibleInterface* control) {
  return QStringLiteral("%1 scroll bars").arg(ScrollBarsIn(control));
}

// At the first start the preview's background is 5, 0, 0: each slider says
// its channel's value, as its box shows it; each swatch its pair and its AA
// verdict; and the multi-line preview has no scroll bars to list.
TEST_F(WindowTest, AssistiveToolsReadTheChannelsTheVerdictsAndNoScrollBars) {
  const struct {
    const char* object;
    QString (*read)(QAccessibleInterface*);
    const char* expected;
  } rows[] = {
      {"vsbCOLOR(0)", ValueOf, "Red channel: 5 (0 to 255), read as \"5\""},
      {"vsbCOLOR(1)", ValueOf, "Green channel: 0 (0 to 255), read as \"0\""},
      {"vsbCOLOR(2)", ValueOf, "Blue channel: 0 (0 to 255), read as \"0\""},
      {"lblSTORE(0)", DescriptionOf, "Swatch 1: Text 000000 on background C0C0C0, AA pass"},
      {"lblSTORE(7)", DescriptionOf, "Swatch 8: Text FFFFFF on background FF0000, fails AA"},
      {"txtEXAMPLE", ScrollBarsOf, "0 scroll bars"},
  };
  for (const auto& row : rows) {
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(Find(row.object));
    ASSERT_NE(control, nullptr) << row.object;
    EXPECT_EQ(row.read(control), QString::fromLatin1(row.expected)) << row.object;
  }
  EXPECT_EQ(main->txtHEXCOLOR[0].Text(), QStringLiteral("5"));
  EXPECT_EQ(ScrollBarsOf(QAccessible::queryAccessibleInterface(main->form.widget())),
            QStringLiteral("0 scroll bars"))
      << "the sliders are sliders";

  // Qt announces each move of a slider and the bridge then reads the value
  // from the interface: after a key, and after a tool sets it.
  QAccessibleInterface* red = QAccessible::queryAccessibleInterface(Find("vsbCOLOR(0)"));
  QTest::keyClick(Find("vsbCOLOR(0)"), Qt::Key_Up);
  EXPECT_EQ(ValueOf(red), QStringLiteral("Red channel: 6 (0 to 255), read as \"6\""));
  red->valueInterface()->setCurrentValue(200);
  EXPECT_EQ(ValueOf(red), QStringLiteral("Red channel: 200 (0 to 255), read as \"200\""));
  EXPECT_EQ(Shown(), "back: 200 0 0 | C8 0 0 | 080000 C80000 | 80000008 on 000000C8");
}

}  // namespace
}  // namespace window
