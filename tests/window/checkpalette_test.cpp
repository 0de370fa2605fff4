// The palette as a whole: the Check Palette window's table, the pass that
// makes every swatch readable, and the report. The colours and the report's
// text are the colour core's (tests/colour); these look at what the window
// hands it and what it does with the answer.
#include <QAbstractItemModel>
#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QToolTip>

#include "forms/colourword.h"
#include "window/layout.h"
#include "window_fixture.h"

namespace window {
namespace {

constexpr colour::ColourWord kBlack = 0x00000000;
constexpr colour::ColourWord kWhite = 0x00FFFFFF;

class CheckPaletteTest : public WindowTest {
 protected:
  // Every swatch black on white, then each of `pairs` at its index.
  void SetSwatches(
      std::initializer_list<std::tuple<int, colour::ColourWord, colour::ColourWord>> pairs) {
    for (std::int16_t i = 0; i < kSwatchCount; ++i) {
      main->lblSTORE[i].SetForeColor(kBlack);
      main->lblSTORE[i].SetBackColor(kWhite);
    }
    for (const auto& [index, fore, back] : pairs) {
      main->lblSTORE[static_cast<std::int16_t>(index)].SetForeColor(fore);
      main->lblSTORE[static_cast<std::int16_t>(index)].SetBackColor(back);
    }
  }

  // The row that shows `pair` ("Swatch 3", "Preview"), as the table is sorted.
  int Row(const char* pair) const {
    const QAbstractItemModel* model = Table()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
      if (model->index(row, 0).data().toString() == QLatin1String(pair)) return row;
    }
    return -1;
  }
  QString Cell(const char* pair, int column, int role = Qt::DisplayRole) const {
    return Table()->model()->index(Row(pair), column).data(role).toString();
  }
  QTableView* Table() const {
    return main->form.widget()->findChild<QTableView*>(QStringLiteral("pairs"));
  }

  static constexpr int kText = 2;
  static constexpr int kRatio = 4;
  static constexpr int kNormalAA = 5;
};

// Literal colours: #777777 on white moves to the published #767676; the
// others were found by walking lightness outside this code.
TEST_F(CheckPaletteTest, MakeAllReadableMovesTheTargetSideOfFailingSwatches) {
  SetSwatches({{0, 0x00777777, kWhite},
               {4, 0x000000FF, kWhite},  // #FF0000
               {8, forms::kSystemWindowText, 0x00808080},
               {9, 0x00FF0000, kWhite}});  // #0000FF passes already
  ChooseTarget(0);
  QTest::keyClick(main->form.widget(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  const std::pair<colour::ColourWord, colour::ColourWord> expected[] = {
      {0x00767676, kWhite}, {0x000000EE, kWhite}, {forms::kSystemWindowText, 0x00808080}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const auto index = static_cast<std::int16_t>(i * 4);
    EXPECT_EQ(std::pair(main->lblSTORE[index].ForeColor(), main->lblSTORE[index].BackColor()),
              expected[i])
        << index;
  }
  EXPECT_EQ(main->lblSTORE[9].ForeColor(), 0x00FF0000);
  EXPECT_EQ(QToolTip::text(), QStringLiteral("Made 2 swatches readable at AA."));
  // The swatch's own description follows, and the pass reaches the file.
  EXPECT_TRUE(Find("lblSTORE(0)")->accessibleDescription().contains(QStringLiteral("767676")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(PalettePath()); }));

  // The background moves now; a reference on the text side stays one, and
  // no background reaches 7:1 against #767676 or #EE0000.
  ChooseTarget(1);
  QAction* aaa = nullptr;
  for (QAction* action : Find("Picture1")->actions()) {
    if (action->text() == QStringLiteral("Make All Readable: AAA (7:1)")) aaa = action;
  }
  ASSERT_NE(aaa, nullptr);
  aaa->trigger();
  EXPECT_EQ(main->lblSTORE[8].ForeColor(), forms::kSystemWindowText);
  EXPECT_EQ(main->lblSTORE[8].BackColor(), 0x00959595);
  EXPECT_EQ(main->lblSTORE[0].BackColor(), kWhite);
  EXPECT_EQ(QToolTip::text(), QStringLiteral("Made 1 swatch readable at AAA; swatches 1 and 5 "
                                             "cannot reach it by lightness."));
}

TEST_F(CheckPaletteTest, TableFollowsThePaletteRecallsAndCloses) {
  EXPECT_EQ(main->form.widget()->findChild<QWidget*>(QStringLiteral("CheckPalette")), nullptr)
      << "nothing is made before it is asked for";
  SetSwatches({{2, 0x00777777, kWhite}});
  QTest::keyClick(main->form.widget(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
  QWidget* window = Find("CheckPalette");
  ASSERT_TRUE(window && window->isVisible());
  ASSERT_EQ(Table()->model()->rowCount(), 25);
  EXPECT_EQ(Cell("Swatch 3", kRatio), QStringLiteral("4.48:1"));
  EXPECT_EQ(Cell("Swatch 3", kNormalAA), QStringLiteral("\u2717 Fail"));
  EXPECT_EQ(Cell("Swatch 3", kNormalAA, Qt::AccessibleTextRole),
            QStringLiteral("Normal text AA (4.5:1): fail"));
  EXPECT_EQ(Cell("Swatch 4", kNormalAA), QStringLiteral("\u2713 Pass"));
  // The preview's text is a reference, shown as drawn.
  EXPECT_EQ(Cell("Preview", kText), QStringLiteral("#000000"));

  // Sorted by ratio, the lowest first.
  Table()->sortByColumn(kRatio, Qt::AscendingOrder);
  EXPECT_EQ(Row("Preview"), 0);
  EXPECT_EQ(Row("Swatch 3"), 1);

  // A store, an edit and a make-all pass show at once.
  ChooseTarget(0);
  main->SetSliders(0x00C0C0C0);
  EXPECT_EQ(Cell("Preview", kText), QStringLiteral("#C0C0C0"));
  PressSwatch(5, Qt::RightButton);
  EXPECT_EQ(Cell("Swatch 6", kText), QStringLiteral("#C0C0C0"));
  QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Cell("Swatch 3", kText), QStringLiteral("#767676"));
  EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("status"))->text(),
            QStringLiteral("Made 1 swatch readable at AA."));

  // Enter on a swatch's row recalls it; on the preview's row, nothing.
  Table()->setFocus();
  Table()->setCurrentIndex(Table()->model()->index(Row("Swatch 3"), 0));
  QTest::keyClick(Table(), Qt::Key_Return);
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), 0x00767676);
  Table()->setCurrentIndex(Table()->model()->index(Row("Preview"), 0));
  QTest::keyClick(Table(), Qt::Key_Return);
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), 0x00767676);

  // Each cell tells a screen reader what it holds.
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(Table());
  ASSERT_NE(table, nullptr);
  ASSERT_NE(table->tableInterface(), nullptr);
  QAccessibleInterface* cell = table->tableInterface()->cellAt(Row("Swatch 3"), 1);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name),
            QStringLiteral("Swatch 3: sample text #767676 on #FFFFFF"));

  QTest::keyClick(Table(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(CheckPaletteTest, ReportIsSavedInEachFormatAsTheWindowDrawsThePairs) {
  const QString stem = programFolder.filePath(QStringLiteral("check"));
  ASSERT_TRUE(main->SaveReport(stem + QStringLiteral(".html"), ReportFormat::Html));
  ASSERT_TRUE(main->SaveReport(stem + QStringLiteral(".csv"), ReportFormat::Csv));
  const std::pair<const char*, QByteArray> files[] = {
      {".html", "<td class=\"sample\" style=\"color: #000000; background-color: #050000\">"},
      {".csv", "Preview,#000000,#050000,"}};
  for (const auto& [suffix, expected] : files) {
    QFile file(stem + QLatin1String(suffix));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << suffix;
    EXPECT_TRUE(file.readAll().contains(expected)) << suffix;
  }
  EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

}  // namespace
}  // namespace window
