// Swapping the pair, and undoing and redoing each kind of step through the
// window's keys: the window comes back whole, system-colour references,
// typed channel text, swatches and marker included.
#include <QAbstractScrollArea>
#include <QMenu>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <functional>

#include "window_fixture.h"

namespace window {
namespace {

class UndoTest : public WindowTest {
 protected:
  // All the window shows: Shown(), every swatch's pair and the marker.
  std::string Whole() const {
    std::string whole = Shown() + " |";
    for (std::int16_t i = 0; i < 24; ++i) {
      whole += QString::asprintf(" %X/%X", unsigned(main->lblSTORE[i].ForeColor()),
                                 unsigned(main->lblSTORE[i].BackColor()))
                   .toStdString();
    }
    return whole + QString::asprintf(" | marker %d,%d", main->shpSTOREMARK->Left(),
                                     main->shpSTOREMARK->Top())
                       .toStdString();
  }

  // Presses keys where the focus is, as the user does.
  static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }

  // The entries that head the preview's menu, a disabled one in brackets.
  QString HistoryEntries() {
    QWidget* preview = Find<QAbstractScrollArea>("txtEXAMPLE")->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, preview->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(preview, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return QStringLiteral("no menu");
    QStringList texts;
    for (QAction* entry : menu->actions().mid(0, 2)) {
      texts << (entry->isEnabled() ? entry->text() : u'[' + entry->text() + u']');
    }
    menu->close();
    return texts.join(u'|');
  }

  // Drags slider `index`'s thumb up by `pixels`, from press to release.
  void Drag(int index, int pixels) {
    auto* bar = Find<QScrollBar>(QStringLiteral("vsbCOLOR(%1)").arg(index));
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.pageStep = bar->pageStep();
    const QPoint grip =
        bar->style()
            ->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar)
            .center();
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    for (int step = 1; step <= 3; ++step)
      QTest::mouseMove(bar, grip - QPoint(0, pixels * step / 3));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, grip - QPoint(0, pixels));
  }

  void Wheel(const char* objectName) {
    QWidget* bar = Find(objectName);
    QWheelEvent wheel(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), {}, {0, 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
  }

  void Type(const char* objectName, const QString& keys) {
    auto* box = Find<QLineEdit>(objectName);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, keys);
  }
};

// The words change places as they stand, a reference with its word; the
// target stays, and the sliders, boxes and final boxes show its new colour.
TEST_F(UndoTest, SwapExchangesTheWordsAndKeepsTheTarget) {
  Type("txtHEXCOLOR(1)", QStringLiteral("a"));
  main->txtHEXCOLOR[1].SetSelStart(0);
  QTest::keyClicks(Find("txtHEXCOLOR(1)"), QStringLiteral("0"));
  ASSERT_EQ(Shown(), "back: 5 10 0 | 5 0A 0 | 080000 050A00 | 80000008 on 00000A05");
  Press(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);  // in the channel box
  EXPECT_EQ(Shown(), "back: 8 0 0 | 8 0 0 | 050A00 080000 | 00000A05 on 80000008");
  ChooseTarget(0);
  EXPECT_EQ(Shown(), "text: 5 10 0 | 5 A 0 | 050A00 080000 | 00000A05 on 80000008");
}

// Each kind of step, done, undone and redone through the keys where the
// focus is: undo brings back the whole window before it, redo the whole
// window after, and the menu names the step.
TEST_F(UndoTest, EachKindOfStepUndoesAndRedoesWhole) {
  struct Row {
    const char* what;
    std::function<void()> prepare;  // not part of the step
    std::function<void()> step;
    int steps;  // how many undos take it all back
    const char* name;
  };
  const std::function<void()> nothing = [] {};
  const Row rows[] = {
      {"two drags of the red slider", nothing,
       [&] {
         Drag(0, 20);
         Drag(0, 20);
       },
       2, "Move Red Slider"},
      {"the red slider's keys while it keeps the focus", [&] { Find("vsbCOLOR(0)")->setFocus(); },
       [&] {
         for (int i = 0; i < 3; ++i) Press(Qt::Key_Up, {});
       },
       1, "Move Red Slider"},
      {"the wheel over the green slider", nothing,
       [&] {
         Wheel("vsbCOLOR(1)");
         Wheel("vsbCOLOR(1)");
       },
       1, "Move Green Slider"},
      {"the focus moved ends a run", [&] { Find("vsbCOLOR(0)")->setFocus(); },
       [&] {
         Press(Qt::Key_Down, {});
         Find("vsbCOLOR(2)")->setFocus();
         Press(Qt::Key_PageUp, {});
       },
       2, "Move Blue Slider"},
      // Undone and redone with the keys in the box, over its own text undo.
      {"typing in the green box, which reads 0A", nothing,
       [&] {
         Type("txtHEXCOLOR(1)", QStringLiteral("a"));
         main->txtHEXCOLOR[1].SetSelStart(0);
         QTest::keyClicks(Find("txtHEXCOLOR(1)"), QStringLiteral("0"));
       },
       1, "Typing in Green Box"},
      {"a pick, the green box as typed before it", nothing, [&] { main->PickedColour(0x00123456); },
       1, "Pick from Screen"},
      {"a paste", [&] { QApplication::clipboard()->setText(QStringLiteral("rebeccapurple")); },
       [&] {
         Find("vsbCOLOR(0)")->setFocus();
         Press(Qt::Key_V);
       },
       1, "Paste Colour"},
      {"a swap, the text colour a system reference",
       [&] { ASSERT_EQ(main->txtEXAMPLE->ForeColor(), 0x80000008); },
       [&] { Press(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier); }, 1,
       "Swap Text and Background"},
      {"Make Readable",
       [&] {
         PressSwatch(1, Qt::LeftButton);  // white on brown
         main->SetSliders(0x00AAAAAA);
       },
       [&] { Press(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier); }, 1, "Make Readable"},
      {"a recall", nothing, [&] { PressSwatch(3, Qt::LeftButton); }, 1, "Recall Swatch 4"},
      {"a store", [&] { main->SetSliders(0x00010203); }, [&] { PressSwatch(9, Qt::RightButton); },
       1, "Store in Swatch 10"},
      {"a store by the keyboard into the marked swatch",
       [&] {
         Find("Picture1")->setFocus();
         Press(Qt::Key_Right, {});  // moves the marker, and is no step
       },
       [&] { Press(Qt::Key_Insert, {}); }, 1, "Store in Swatch 11"},
      {"Make All Readable, which moves several swatches", nothing,
       [&] { Press(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier); }, 1, "Make All Readable"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    row.prepare();
    const std::string before = Whole();
    row.step();
    const std::string after = Whole();
    ASSERT_NE(after, before);
    EXPECT_EQ(HistoryEntries(),
              QStringLiteral("Undo %1|[Redo]").arg(QString::fromLatin1(row.name)));
    for (int n = 0; n < row.steps; ++n) Press(Qt::Key_Z);
    EXPECT_EQ(Whole(), before);
    for (int n = 0; n < row.steps; ++n) {
      n % 2 == 0 ? Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier) : Press(Qt::Key_Y);
    }
    EXPECT_EQ(Whole(), after);
  }
}

// The option is no step: undo brings back the words, and the sliders show
// the target chosen now.
TEST_F(UndoTest, ChoosingTheOtherOptionIsNoStep) {
  EXPECT_EQ(HistoryEntries(), QStringLiteral("[Undo]|[Redo]"));
  main->vsbCOLOR[2].SetValue(0x40);
  ChooseTarget(0);
  EXPECT_EQ(HistoryEntries(), QStringLiteral("Undo Move Blue Slider|[Redo]"));
  main->Form_Undo();
  EXPECT_EQ(Shown(), "text: 8 0 0 | 8 0 0 | 080000 050000 | 80000008 on 00000005");
  EXPECT_EQ(HistoryEntries(), QStringLiteral("[Undo]|Redo Move Blue Slider"));
}

// Undo puts the swatch's old pair back, and the close saves that.
TEST_F(UndoTest, AStoreUndoneLeavesTheOldPairToSave) {
  const palette::Record design{main->lblSTORE[9].ForeColor(), main->lblSTORE[9].BackColor()};
  PressSwatch(9, Qt::RightButton);
  ASSERT_NE(main->lblSTORE[9].BackColor(), design.back);
  main->Form_Undo();
  Close();
  EXPECT_EQ(palette::PaletteFile(PalettePath(), {}).Load().records[9], design);
}

}  // namespace
}  // namespace window
