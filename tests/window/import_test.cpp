// Import Palette: a file that Export Palette wrote, read back into the
// swatches and the preview as one step. What a file may hold, and why one
// is refused, are the colour core's tests.
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <QToolTip>

#include "colour/exportformats.h"
#include "window_fixture.h"

namespace window {
namespace {

class ImportTest : public WindowTest {
 protected:
  QString Write(const QString& name, const std::string& text) {
    const QString path = programFolder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) &&
                file.write(text.data(), static_cast<qint64>(text.size())) ==
                    static_cast<qint64>(text.size()));
    return path;
  }

  // Opens a palette dialog with `open`, does `act` to it, and gives the
  // folder it opened in.
  QString Dialog(void (Main::*open)(), const std::function<void(QFileDialog&)>& act) {
    QString folder;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      folder = dialog->directory().absolutePath();
      act(*dialog);
    });
    (main.get()->*open)();
    return folder;
  }
};

TEST_F(ImportTest, TakesTheSwatchesAndThePreviewAsOneStep) {
  colour::PaletteColours colours{};
  for (std::size_t i = 0; i < colour::kSwatchCount; ++i) {
    const auto n = static_cast<colour::Channel>(i);
    colours[i] = {colour::RGB(n, n, n), colour::RGB(255, 128, n)};
  }
  colours.back() = {colour::RGB(0x10, 0x20, 0x30), colour::RGB(0x40, 0x50, 0x60)};
  const QString path = Write(QStringLiteral("colours.json"), colour::PaletteJson(colours));
  const WindowState before = main->Snapshot();

  Dialog(&Main::Picture1_ImportPalette, [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.nameFilters().join(u'|'),
              QStringLiteral("Exported palettes (*.css *.gpl *.json)|CSS custom properties "
                             "(*.css)|GIMP palette (*.gpl)|JSON (*.json)|All files (*)"));
    dialog.selectFile(path);
    QMetaObject::invokeMethod(&dialog, "accept");
  });
  for (std::int16_t i = 0; i < 24; ++i) {
    EXPECT_EQ(main->lblSTORE[i].ForeColor(), colours[static_cast<std::size_t>(i)].text);
    EXPECT_EQ(main->lblSTORE[i].BackColor(), colours[static_cast<std::size_t>(i)].background);
  }
  EXPECT_EQ(Find("lblSTORE(1)")->accessibleDescription(),
            QStringLiteral("Text 010101 on background FF8001, AA pass"));
  // The sliders show the chosen target, the background.
  EXPECT_EQ(Shown(), "back: 64 80 96 | 40 50 60 | 102030 405060 | 00302010 on 00605040");
  const Step* step = main->UndoHistory().NextUndo();
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->name, QStringLiteral("Import Palette"));
  EXPECT_EQ(step->before, before);
  EXPECT_EQ(step->after, main->Snapshot());
  EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();

  // The folder of the file is where both palette dialogs open next.
  const QString folder = QFileInfo(path).absolutePath();
  const auto cancel = [](QFileDialog& dialog) { dialog.reject(); };
  EXPECT_EQ(Dialog(&Main::Picture1_ImportPalette, cancel), folder);
  EXPECT_EQ(Dialog(&Main::Picture1_ExportPalette, cancel), folder);

  // A file without the preview's pair leaves the preview as it is.
  colours[0] = {colour::RGB(1, 2, 3), colour::RGB(4, 5, 6)};
  std::string gpl = colour::PaletteGpl(colours);
  gpl.erase(gpl.find(" 16  32  48\tPreview text"));
  ASSERT_TRUE(main->ImportPalette(Write(QStringLiteral("colours.gpl"), gpl)));
  EXPECT_EQ(main->lblSTORE[0].BackColor(), colour::RGB(4, 5, 6));
  EXPECT_EQ(Shown(), "back: 64 80 96 | 40 50 60 | 102030 405060 | 00302010 on 00605040");
  EXPECT_TRUE(QToolTip::text().endsWith(QStringLiteral("; it holds no preview pair.")))
      << QToolTip::text().toStdString();

  // A file not read whole, or not read at all, changes nothing and says why.
  const WindowState imported = main->Snapshot();
  const QString broken =
      Write(QStringLiteral("broken.css"), ":root {\n  --swatch-1-color: #12345;\n}\n");
  const QString missing = programFolder.filePath(QStringLiteral("missing.css"));
  EXPECT_FALSE(main->ImportPalette(broken));
  EXPECT_FALSE(main->ImportPalette(missing));
  EXPECT_EQ(main->Snapshot(), imported);
  EXPECT_EQ(main->UndoHistory().NextUndo()->after, imported);
  ASSERT_EQ(messages.size(), 2);
  EXPECT_EQ(messages[0],
            QStringLiteral("Could not import the palette from %1: line 2: --swatch-1-color: A hex "
                           "colour is # and 3, 4, 6 or 8 hex digits. Nothing was changed.")
                .arg(QDir::toNativeSeparators(broken)));
  EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Could not import the palette from %1: ")
                                         .arg(QDir::toNativeSeparators(missing))))
      << messages[1].toStdString();
}

}  // namespace
}  // namespace window
