// Making the preview's pair readable, seeing it as others do, and exporting
// the palette: each acts through the window's own paths (the sliders, the
// drawing, a save file), which is what these tests look at.
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>
#include <QToolTip>

#include "colour/contrast.h"
#include "forms/colourword.h"
#include "window_fixture.h"

namespace window {
namespace {

constexpr colour::ColourWord kWhite = 0x00FFFFFF;

class ReadabilityTest : public WindowTest {
 protected:
  // Opens the preview's context menu and triggers each entry, or submenu
  // entry, starting with `choose`; gives every entry's text, a submenu's
  // after a '>'.
  QStringList PreviewMenu(const QString& choose) {
    QContextMenuEvent event(QContextMenuEvent::Keyboard, {5, 5}, {5, 5});
    QApplication::sendEvent(Find("txtEXAMPLE"), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return {QStringLiteral("no menu")};
    QStringList texts;
    for (QAction* action : menu->actions()) {
      texts << action->text();
      for (QAction* each : action->menu() ? action->menu()->actions() : QList{action}) {
        if (each != action) texts << QStringLiteral(">") + each->text();
        if (each->text().startsWith(choose)) each->trigger();
      }
    }
    menu->close();
    return texts;
  }

  // The word of the colour drawn at a widget's top left.
  colour::ColourWord Pixel(const char* objectName) {
    const QRgb pixel = Find(objectName)->grab().toImage().pixel(4, 4);
    return colour::RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
  }
};

// Expected colours found by walking lightness outside this code.
TEST_F(ReadabilityTest, EachEntryMovesTheCurrentTargetThroughTheSliders) {
  // The first-run text is the platform's text colour: judged as drawn (black
  // on #050000), not as the reference's low bytes (a red), it stays grey.
  ASSERT_EQ(forms::DrawnWord(forms::kSystemWindowText, QApplication::palette(Find("txtEXAMPLE"))),
            0x00000000);
  ChooseTarget(0);
  QTest::keyClick(main->form.widget(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), 0x00757575);
  ChooseTarget(1);

  main->lblSTORE_MouseDown(12, 1, 0, 0, 0);  // white on black; the background is the target
  main->SetSliders(0x00777777);
  QTest::keyClick(main->form.widget(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00767676);
  EXPECT_EQ(main->txtHEXCOLOR[0].Text(), QStringLiteral("76")) << "through the sliders";
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), kWhite);

  main->SetSliders(0x00AAAAAA);
  const QStringList texts = PreviewMenu(QStringLiteral("Make Readable: Large"));
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00949494);
  // Below undo's and redo's entries.
  EXPECT_EQ(texts.mid(2, 16).join(u'|'),
            QStringLiteral("|Pick from Screen|Swap Text and Background||"
                           "Make Readable: AA (4.5:1)\tCtrl+Shift+R|"
                           "Make Readable: AAA (7:1)|Make Readable: Large Text AA (3:1)||Simulate|"
                           ">Normal Vision|>Protanopia|>Deuteranopia|>Tritanopia|>Achromatopsia|"
                           "Copy Contrast Report|"));
  EXPECT_TRUE(texts.back().contains(QStringLiteral("Select All"))) << "the standard entries follow";

  main->lblSTORE_MouseDown(18, 1, 0, 0, 0);  // black on white
  ChooseTarget(0);
  main->SetSliders(0x000000FF);
  PreviewMenu(QStringLiteral("Make Readable: AAA"));
  constexpr colour::ColourWord kRed = 0x000000B6;  // #B60000
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), kRed);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), kWhite);

  // AAA against a mid-tone: no lightness reaches it.
  main->txtEXAMPLE->SetBackColor(0x00777777);
  PreviewMenu(QStringLiteral("Make Readable: AAA"));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), kRed);
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("the best is 4.69:1")))
      << QToolTip::text().toStdString();
}

// The report is of the pair as drawn, from the menu and from the keys alike.
TEST_F(ReadabilityTest, ContrastReportCopiesThePair) {
  main->lblSTORE_MouseDown(12, 1, 0, 0, 0);  // white on black
  QApplication::clipboard()->clear();
  PreviewMenu(QStringLiteral("Copy Contrast Report"));
  EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
      QStringLiteral("Text #FFFFFF on background #000000: contrast 21.00:1\n")));
  main->SetSliders(0x00777777);  // the background
  QTest::keyClick(main->form.widget(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
      QStringLiteral("Text #FFFFFF on background #777777: contrast 4.48:1\n")));
}

TEST_F(ReadabilityTest, SimulationChangesOnlyTheDrawing) {
  constexpr auto kProtan = colour::Vision::Protanopia;
  main->lblSTORE_MouseDown(7, 1, 0, 0, 0);  // white on red
  ASSERT_EQ(Pixel("txtEXAMPLE"), 0x000000FF);
  PreviewMenu(QStringLiteral("Protanopia"));
  EXPECT_EQ(Pixel("txtEXAMPLE"), colour::Simulate(kProtan, 0x000000FF));
  EXPECT_EQ(Pixel("lblSTORE(2)"), colour::Simulate(kProtan, 0x00C000C0));
  EXPECT_TRUE(Find("txtEXAMPLE")->toolTip().contains(u"Simulating Protanopia: contrast"));
  EXPECT_TRUE(Find("txtEXAMPLE")->accessibleDescription().contains(QStringLiteral("Protanopia")));
  main->SetSliders(0x00000080);
  EXPECT_EQ(Pixel("txtEXAMPLE"), colour::Simulate(kProtan, 0x00000080));
  EXPECT_EQ(main->txtFINALHEX[1].Text(), QStringLiteral("800000"));
  Close();
  const palette::Loaded saved = palette::PaletteFile(PalettePath(), {}).Load();
  EXPECT_EQ(saved.records[palette::kPreviewRecord - 1]->back, 0x00000080);
  EXPECT_EQ(saved.records[7]->back, 0x000000FF);
  PreviewMenu(QStringLiteral("Normal Vision"));
  EXPECT_EQ(Pixel("lblSTORE(7)"), 0x000000FF);
  EXPECT_FALSE(Find("txtEXAMPLE")->toolTip().contains(QStringLiteral("Simulating")));
}

TEST_F(ReadabilityTest, ExportWritesEachFormatAndReportsWhatItCannotWrite) {
  const QString stem = programFolder.filePath(QStringLiteral("colours"));
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters().join(u'|'),
              QStringLiteral("CSS custom properties (*.css)|GIMP palette (*.gpl)|JSON (*.json)"));
    dialog->selectNameFilter(dialog->nameFilters()[1]);
    emit dialog->filterSelected(dialog->nameFilters()[1]);
    dialog->selectFile(stem);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  main->Picture1_ExportPalette();
  ASSERT_TRUE(main->ExportPalette(stem + QStringLiteral(".css"), PaletteFormat::Css));
  ASSERT_TRUE(main->ExportPalette(stem + QStringLiteral(".json"), PaletteFormat::Json));
  // The first-run text colour is a reference: exported as it is drawn.
  const std::string text = colour::CssHex(
      forms::DrawnWord(forms::kSystemWindowText, QApplication::palette(Find("txtEXAMPLE"))));
  const std::pair<const char*, std::string> files[] = {
      {".gpl", "GIMP Palette\nName: Huvenor\n"},
      {".css", "  --preview-color: " + text + ";\n"},
      {".json", "{\"name\": \"Preview\", \"color\": \"" + text + "\""}};
  for (const auto& [suffix, expected] : files) {
    QFile file(stem + QLatin1String(suffix));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << suffix;
    EXPECT_NE(file.readAll().toStdString().find(expected), std::string::npos) << suffix;
  }
  EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();

  // A folder that cannot be written (here one that is a file), and the
  // palette file itself, are refused with the path; the palette file stays.
  const QString notAFolder = stem + QStringLiteral(".css/palette.css");
  EXPECT_FALSE(main->ExportPalette(notAFolder, PaletteFormat::Css));
  EXPECT_FALSE(main->ExportPalette(PalettePath(), PaletteFormat::Json));
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(notAFolder)))
      << messages[0].toStdString();
  EXPECT_TRUE(messages[1].contains(QDir::toNativeSeparators(PalettePath())))
      << messages[1].toStdString();
  EXPECT_FALSE(QFile::exists(PalettePath()));
}

}  // namespace
}  // namespace window
