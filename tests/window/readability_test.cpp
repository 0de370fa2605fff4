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
#include "colour/readable.h"
#include "forms/colourword.h"
#include "window_fixture.h"

namespace window {
namespace {

constexpr colour::ColourWord kWhite = 0x00FFFFFF;

class ReadabilityTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Start();
  }

  void SetTarget(colour::ColourWord word) {
    for (std::int16_t part = 0; part < 3; ++part) {
      main->vsbCOLOR[part].SetValue(colour::ColorPart(word, part));
    }
  }

  void Shortcut() {
    QTest::keyClick(main->form.widget(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  }

  // Opens the preview's context menu and triggers the entry, or the
  // submenu's entry, starting with `choose`; gives every entry's text, a
  // submenu's after a '>'.
  QStringList PreviewMenu(const QString& choose) {
    QWidget* preview = Find("txtEXAMPLE");
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                            preview->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(preview, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    EXPECT_NE(menu, nullptr);
    if (menu == nullptr) return {};
    QStringList texts;
    for (QAction* action : menu->actions()) {
      texts << action->text();
      const QList<QAction*> inner = action->menu() ? action->menu()->actions() : QList{action};
      for (QAction* each : inner) {
        if (each != action) texts << QStringLiteral(">") + each->text();
        if (each->text().startsWith(choose)) each->trigger();
      }
    }
    menu->close();
    return texts;
  }

  QRgb PixelOf(const char* objectName) { return Find(objectName)->grab().toImage().pixel(4, 4); }

  static QRgb Rgb(colour::ColourWord word) {
    return qRgb(colour::ColorPart(word, 0), colour::ColorPart(word, 1), colour::ColorPart(word, 2));
  }
};

TEST_F(ReadabilityTest, EachEntryMovesTheCurrentTargetThroughTheSliders) {
  // The first-run text is the platform's text colour: judged as drawn, not
  // as the reference's low bytes (a red), it stays grey.
  QTest::mouseClick(Find("optITEM(0)"), Qt::LeftButton);
  Shortcut();
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(),
            colour::MakeReadable(forms::DrawnWord(forms::kSystemWindowText,
                                                  QApplication::palette(Find("txtEXAMPLE"))),
                                 main->txtEXAMPLE->BackColor(), colour::kAANormal)
                .colour);
  QTest::mouseClick(Find("optITEM(1)"), Qt::LeftButton);

  main->lblSTORE_MouseDown(12, 1, 0, 0, 0);  // white on black; the background is the target
  SetTarget(0x00777777);
  Shortcut();
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00767676);
  EXPECT_EQ(main->txtHEXCOLOR[0].Text(), QStringLiteral("76")) << "through the sliders";
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), kWhite);

  SetTarget(0x00AAAAAA);
  const QStringList texts = PreviewMenu(QStringLiteral("Make Readable: Large"));
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), colour::MakeReadable(0x00AAAAAA, kWhite, 3).colour);
  EXPECT_EQ(
      texts.mid(0, 13),
      (QStringList{QStringLiteral("Pick from Screen"), QString(),
                   QStringLiteral("Make Readable: AA (4.5:1)\tCtrl+Shift+R"),
                   QStringLiteral("Make Readable: AAA (7:1)"),
                   QStringLiteral("Make Readable: Large Text AA (3:1)"), QString(),
                   QStringLiteral("Simulate"), QStringLiteral(">Normal Vision"),
                   QStringLiteral(">Protanopia"), QStringLiteral(">Deuteranopia"),
                   QStringLiteral(">Tritanopia"), QStringLiteral(">Achromatopsia"), QString()}));
  EXPECT_TRUE(texts.back().contains(QStringLiteral("Select All"))) << "the standard entries follow";

  main->lblSTORE_MouseDown(18, 1, 0, 0, 0);  // black on white
  QTest::mouseClick(Find("optITEM(0)"), Qt::LeftButton);
  SetTarget(0x000000FF);
  PreviewMenu(QStringLiteral("Make Readable: AAA"));
  const colour::ColourWord red = colour::MakeReadable(0x000000FF, kWhite, 7).colour;
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), red);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), kWhite);

  // AAA against a mid-tone: no lightness reaches it.
  main->txtEXAMPLE->SetBackColor(0x00777777);
  PreviewMenu(QStringLiteral("Make Readable: AAA"));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), red);
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("the best is 4.69:1")))
      << QToolTip::text().toStdString();
}

TEST_F(ReadabilityTest, SimulationChangesOnlyTheDrawing) {
  main->lblSTORE_MouseDown(7, 1, 0, 0, 0);  // white on red
  const QRgb red = Rgb(0x000000FF);
  ASSERT_EQ(PixelOf("txtEXAMPLE"), red);
  PreviewMenu(QStringLiteral("Protanopia"));
  const auto protan = [](colour::ColourWord word) {
    return Rgb(colour::Simulate(colour::Vision::Protanopia, word));
  };
  EXPECT_EQ(PixelOf("txtEXAMPLE"), protan(0x000000FF));
  EXPECT_EQ(PixelOf("lblSTORE(2)"), protan(0x00C000C0));
  EXPECT_TRUE(
      Find("txtEXAMPLE")->toolTip().contains(QStringLiteral("Simulating Protanopia: contrast")));
  EXPECT_TRUE(Find("txtEXAMPLE")->accessibleDescription().contains(QStringLiteral("Protanopia")));
  SetTarget(0x00000080);
  EXPECT_EQ(PixelOf("txtEXAMPLE"), protan(0x00000080));
  EXPECT_EQ(main->txtFINALHEX[1].Text(), QStringLiteral("800000"));
  Close();
  const palette::Loaded saved = palette::PaletteFile(PalettePath(), {}).Load();
  EXPECT_EQ(saved.records[palette::kPreviewRecord - 1]->back, 0x00000080);
  EXPECT_EQ(saved.records[7]->back, 0x000000FF);
  PreviewMenu(QStringLiteral("Normal Vision"));
  EXPECT_EQ(PixelOf("lblSTORE(7)"), red);
  EXPECT_FALSE(Find("txtEXAMPLE")->toolTip().contains(QStringLiteral("Simulating")));
}

TEST_F(ReadabilityTest, ExportWritesEachFormatAndReportsWhatItCannotWrite) {
  const QString stem = programFolder.filePath(QStringLiteral("colours"));
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters(), (QStringList{QStringLiteral("CSS custom properties (*.css)"),
                                                  QStringLiteral("GIMP palette (*.gpl)"),
                                                  QStringLiteral("JSON (*.json)")}));
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
  EXPECT_TRUE(messages[0].contains(notAFolder)) << messages[0].toStdString();
  EXPECT_TRUE(messages[1].contains(PalettePath())) << messages[1].toStdString();
  EXPECT_FALSE(QFile::exists(PalettePath()));
}

}  // namespace
}  // namespace window
