// Picking a colour from the screen in the window: the preview's menu and
// Ctrl+Shift+P where no picker exists (offscreen), a real pick on a virtual X
// server, started from the menu and taken from a swatch, and the same server
// in a Wayland session, where the portal is asked.
#include <QAbstractScrollArea>
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QProcess>
#include <QToolTip>

#include "window_fixture.h"

namespace window {
namespace {

class PickTest : public WindowTest {
 protected:
  // Opens the preview's context menu, as a right click does.
  QMenu* OpenPreviewMenu() {
    // A right click reaches the multi-line box through its viewport.
    QWidget* preview = Find<QAbstractScrollArea>("txtEXAMPLE")->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            preview->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(preview, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  }

  // "Pick from Screen", below undo's and redo's entries.
  static QAction* PickEntry(QMenu& menu) {
    for (QAction* entry : menu.actions()) {
      if (entry->text() == QStringLiteral("Pick from Screen")) return entry;
    }
    return nullptr;
  }

  static void ClickAt(const QPoint& global) {
    const QString arguments =
        QStringLiteral("mousemove %1 %2 click 1").arg(global.x()).arg(global.y());
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments.split(u' ')), 0)
        << arguments.toStdString();
  }
};

TEST_F(PickTest, WithoutAPickerTheEntryIsDisabledAndSaysWhy) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
  QMenu* menu = OpenPreviewMenu();
  ASSERT_NE(menu, nullptr);
  QAction* pick = PickEntry(*menu);
  ASSERT_NE(pick, nullptr);
  EXPECT_FALSE(pick->isEnabled());
  const QString why = pick->toolTip();
  EXPECT_TRUE(why.contains(QStringLiteral("\"offscreen\""))) << why.toStdString();
  QStringList texts;
  for (QAction* entry : menu->actions()) texts << entry->text();
  // The standard entries once, after ours.
  EXPECT_EQ(texts.filter(QStringLiteral("&Copy")).size(), 1) << texts.join(u',').toStdString();
  menu->close();

  // The shortcut works from a channel box too, and says the same.
  QWidget* box = Find("txtHEXCOLOR(1)");
  box->setFocus();
  QTest::keyClick(box, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QToolTip::text(), why);
  EXPECT_EQ(main->txtHEXCOLOR[1].Text(), QStringLiteral("0")) << "the keys typed nothing";
}

TEST_F(PickTest, PickedColourGoesToTheTargetThroughTheSliders) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  QTest::mouseClick(Find("optITEM(0)"), Qt::LeftButton);  // "Text Color:"
  QMenu* menu = OpenPreviewMenu();
  ASSERT_NE(menu, nullptr);
  QAction* pick = PickEntry(*menu);
  ASSERT_TRUE(pick->isEnabled()) << pick->toolTip().toStdString();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  // A real click on the entry: the picker takes the pointer as the menu
  // lets go of it.
  ClickAt(menu->mapToGlobal(menu->actionGeometry(pick).center()));
  ASSERT_TRUE(QTest::qWaitFor([] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == QStringLiteral("loupe") && widget->isVisible()) return true;
    }
    return false;
  }));
  // Swatch 1's background, 128, 64, 0, inside its border.
  ClickAt(Find("lblSTORE(1)")->mapToGlobal(QPoint(4, 4)));
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return main->txtFINALHEX[0].Text() == QStringLiteral("804000");
  })) << main->txtFINALHEX[0].Text().toStdString();
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), colour::RGB(128, 64, 0));
  EXPECT_EQ(main->txtHEXCOLOR[0].Text(), QStringLiteral("80"));
  EXPECT_TRUE(QTest::qWaitFor([] {
    return QToolTip::text() == QStringLiteral("Picked #804000 as the text colour.");
  })) << QToolTip::text().toStdString();
  QTest::qWait(500);
  EXPECT_TRUE(QToolTip::isVisible()) << "the tip stays for the user to read";
}

// Qt runs through the X server, but the session is Wayland's: the portal is
// asked, the menu opens without waiting for its answer, and shows the answer
// when it comes (this session bus has no portal).
TEST_F(PickTest, InAWaylandSessionTheMenuShowsThePortalsAnswerWhenItComes) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  ASSERT_EQ(qgetenv("XDG_SESSION_TYPE"), QByteArray("wayland"));
  QMenu* menu = OpenPreviewMenu();
  ASSERT_NE(menu, nullptr);
  QAction* pick = PickEntry(*menu);
  EXPECT_TRUE(pick->isEnabled()) << "not known yet";
  EXPECT_TRUE(QTest::qWaitFor([&] { return !pick->isEnabled(); }));
  EXPECT_TRUE(pick->toolTip().contains(QStringLiteral("portal"))) << pick->toolTip().toStdString();
}

}  // namespace
}  // namespace window
