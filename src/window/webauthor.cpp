// What the window offers web authors beyond mixing colours: the contrast
// of a pair, judged by WCAG, whole colours through the clipboard, making a
// pair readable, seeing it as others do, and the palette for a stylesheet.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <functional>
#include <string_view>
#include <utility>

#include "colour/contrast.h"
#include "colour/cssparse.h"
#include "colour/csswrite.h"
#include "colour/exportformats.h"
#include "colour/importformats.h"
#include "colour/palettecheck.h"
#include "colour/readable.h"
#include "forms/colourword.h"
#include "window/checkpalette.h"
#include "window/layout.h"
#include "window/main.h"
#include "window/savefile.h"
#include "window/texts.h"

namespace window {

namespace {

// A threshold the window offers, by the name its messages give it.
struct Level {
  const char* name;
  double ratio;
};

constexpr std::array<Level, 3> kLevels{{
    {"AA", colour::kAANormal},
    {"AAA", colour::kAAANormal},
    {"Large Text AA", colour::kAALarge},
}};

// "Make Readable: AA (4.5:1)"
QString Caption(const char* command, const Level& level) {
  return QStringLiteral("%1: %2 (%3:1)")
      .arg(Text(command), Text(level.name),
           QString::fromStdString(colour::RatioText(level.ratio, true)));
}

struct Simulation {
  const char* caption;
  colour::Vision vision;
};

constexpr std::array<Simulation, 5> kSimulations{{
    {"Normal Vision", colour::Vision::Normal},
    {"Protanopia", colour::Vision::Protanopia},
    {"Deuteranopia", colour::Vision::Deuteranopia},
    {"Tritanopia", colour::Vision::Tritanopia},
    {"Achromatopsia", colour::Vision::Achromatopsia},
}};

// Indexed by PaletteFormat and ReportFormat, in the order the save dialog
// lists them.
constexpr std::array<FileType, 3> kPaletteTypes{{
    {"CSS custom properties (*.css)", "css"},
    {"GIMP palette (*.gpl)", "gpl"},
    {"JSON (*.json)", "json"},
}};
constexpr std::array<std::string (*)(const colour::PaletteColours&), 3> kPaletteWriters{
    &colour::PaletteCss, &colour::PaletteGpl, &colour::PaletteJson};
constexpr std::array<FileType, 2> kReportTypes{{
    {"HTML page (*.html)", "html"},
    {"CSV table (*.csv)", "csv"},
}};
constexpr Saving kExport{"palette", "export", "exported"};
constexpr Saving kReport{"report", "save", "saved"};

constexpr std::int16_t kLeftButton = static_cast<std::int16_t>(forms::MouseButton::Left);

const QKeySequence kReportKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
const QKeySequence kCheckKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_K);
const QKeySequence kMakeAllKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_A);

// Runs a command before a widget's tooltip shows, leaving the showing to it.
class BeforeTip : public QObject {
 public:
  BeforeTip(QObject* parent, std::function<void()> command)
      : QObject(parent), command_(std::move(command)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ToolTip) command_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> command_;
};

QString Ratio(double ratio) {
  return QString::number(ratio, 'f', 2);
}

// The plain word a control draws `word` with: a system-colour reference as
// the control's kind shows it.
colour::ColourWord Drawn(const forms::Control& control, colour::ColourWord word) {
  return forms::DrawnWord(word, QApplication::palette(control.widget()));
}

}  // namespace

double Main::DrawnContrast(colour::ColourWord fore, colour::ColourWord back) const {
  // A system-colour reference is judged by the colour it is drawn with.
  const QPalette& palette = QApplication::palette(txtEXAMPLE->widget());
  return colour::ContrastRatio(forms::DrawnWord(fore, palette), forms::DrawnWord(back, palette));
}

QString Main::ContrastOf(colour::ColourWord fore, colour::ColourWord back) const {
  return QString::fromStdString(colour::ContrastSummary(DrawnContrast(fore, back)));
}

void Main::ShowContrast() {
  const auto pair = std::pair(txtEXAMPLE->ForeColor(), txtEXAMPLE->BackColor());
  if (contrastShown_ == pair) return;
  contrastShown_ = pair;
  QString summary = ContrastOf(txtEXAMPLE->ForeColor(), txtEXAMPLE->BackColor());
  if (const QString simulated = SimulatedContrast(); !simulated.isEmpty()) {
    summary += u'\n' + simulated;
  }
  txtEXAMPLE->widget()->setToolTip(summary);
  txtEXAMPLE->widget()->setAccessibleDescription(QString(summary).replace(u'\n', u';'));
  for (std::int16_t i = 0; i < 2; ++i) txtFINALHEX[i].widget()->setToolTip(summary);
  contrastSummary_ = summary;
  cssTipsComplete_ = false;
  PairChanged(colour::kSwatchCount);
}

colour::PaletteColours Main::DrawnColours() const {
  colour::PaletteColours colours{};
  for (std::int16_t i = 0; i < kSwatchCount; ++i) {
    const forms::Label& swatch = lblSTORE[i];
    colours[static_cast<std::size_t>(i)] = {Drawn(swatch, swatch.ForeColor()),
                                            Drawn(swatch, swatch.BackColor())};
  }
  colours.back() = {Drawn(*txtEXAMPLE, txtEXAMPLE->ForeColor()),
                    Drawn(*txtEXAMPLE, txtEXAMPLE->BackColor())};
  return colours;
}

void Main::PairChanged(std::size_t index) {
  if (!checkPalette_ || !checkPalette_->IsOpen()) return;
  if (index == colour::kSwatchCount) {
    checkPalette_->SetPair(index, {Drawn(*txtEXAMPLE, txtEXAMPLE->ForeColor()),
                                   Drawn(*txtEXAMPLE, txtEXAMPLE->BackColor())});
  } else {
    const forms::Label& swatch = lblSTORE[static_cast<std::int16_t>(index)];
    checkPalette_->SetPair(index,
                           {Drawn(swatch, swatch.ForeColor()), Drawn(swatch, swatch.BackColor())});
  }
}

void Main::CompleteTips() {
  // Written as a tooltip is about to show rather than on every change, so
  // that dragging a slider does not pay for texts nobody reads.
  if (cssTipsComplete_) return;
  cssTipsComplete_ = true;
  std::array<QString, 2> forms;
  for (std::int16_t i = 0; i < 2; ++i) {
    const colour::ColourWord word = Drawn(*txtEXAMPLE, FinalColour(i));
    forms[static_cast<std::size_t>(i)] =
        QString::fromStdString(colour::CssHslText(word) + ", " + colour::CssOklchText(word));
    txtFINALHEX[i].widget()->setToolTip(contrastSummary_ + u'\n' +
                                        forms[static_cast<std::size_t>(i)]);
  }
  txtEXAMPLE->widget()->setToolTip(
      contrastSummary_ + QStringLiteral("\nText: %1\nBackground: %2").arg(forms[0], forms[1]));
}

colour::ColourWord Main::FinalColour(std::int16_t Index) const {
  return Index == 0 ? txtEXAMPLE->ForeColor() : txtEXAMPLE->BackColor();
}

void Main::Form_Paste() {
  const colour::CssColour read =
      colour::ReadCssColour(QApplication::clipboard()->text().toStdString());
  if (!read.word) {
    TellAtPreview(QString::fromStdString(read.refusal));
    return;
  }
  // Through the sliders, so the handlers recolour the preview as a drag would.
  Change(QStringLiteral("Paste Colour"), [&] { SetSliders(*read.word); });
  const QString target =
      optITEM[0].Value() ? QStringLiteral("text colour") : QStringLiteral("background colour");
  const QString mapped = read.mapped ? QStringLiteral(
                                           " The colour lies outside sRGB and was mapped into it "
                                           "as browsers map it.")
                                     : QString();
  TellAtPreview(
      QStringLiteral("Pasted #%1 as the %2.%3").arg(FinalHex(*read.word), target, mapped));
}

void Main::txtEXAMPLE_CopyContrastReport() {
  QApplication::clipboard()->setText(QString::fromStdString(colour::ContrastReport(
      Drawn(*txtEXAMPLE, txtEXAMPLE->ForeColor()), Drawn(*txtEXAMPLE, txtEXAMPLE->BackColor()))));
  TellAtPreview(QStringLiteral("Copied the contrast report."));
}

void Main::ConnectReadability() {
  QWidget* preview = txtEXAMPLE->widget();
  // The preview's entries are made as its menu first opens: the first frame
  // has no use for them.
  txtEXAMPLE->onMenuWanted = [this, made = false]() mutable {
    if (!std::exchange(made, true)) AddReadabilityEntries();
  };
  form.AddShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
                   [this] { txtEXAMPLE_MakeReadable(colour::kAANormal); });
  form.AddShortcut(kReportKeys, [this] { txtEXAMPLE_CopyContrastReport(); });

  auto* beforeTip = new BeforeTip(preview, [this] { CompleteTips(); });
  preview->installEventFilter(beforeTip);
  for (std::int16_t i = 0; i < 2; ++i) txtFINALHEX[i].widget()->installEventFilter(beforeTip);

  simulation_.Attach(*txtEXAMPLE);
  for (std::int16_t i = 0; i < kSwatchCount; ++i) {
    simulation_.Attach(lblSTORE[i]);
    // A right press on a swatch stores into it; the menu is the panel's own.
    lblSTORE[i].widget()->setContextMenuPolicy(Qt::PreventContextMenu);
  }
  // The palette's menu. Its actions' keys work anywhere in the window.
  QWidget* panel = Picture1->widget();
  auto* check = new QAction(QStringLiteral("Check Palette\u2026"), panel);
  check->setShortcut(kCheckKeys);
  QObject::connect(check, &QAction::triggered, panel, [this] { Picture1_CheckPalette(); });
  panel->addAction(check);
  for (const Level& level : kLevels) {
    auto* action = new QAction(Caption("Make All Readable", level), panel);
    if (level.ratio == colour::kAANormal) action->setShortcut(kMakeAllKeys);
    QObject::connect(action, &QAction::triggered, panel,
                     [this, ratio = level.ratio] { Picture1_MakeAllReadable(ratio); });
    makeAllReadable_ << action;
  }
  panel->addActions(makeAllReadable_);
  auto* exportPalette = new QAction(QStringLiteral("Export Palette\u2026"), panel);
  QObject::connect(exportPalette, &QAction::triggered, panel, [this] { Picture1_ExportPalette(); });
  panel->addAction(exportPalette);
  auto* importPalette = new QAction(QStringLiteral("Import Palette\u2026"), panel);
  QObject::connect(importPalette, &QAction::triggered, panel, [this] { Picture1_ImportPalette(); });
  panel->addAction(importPalette);
  for (QAction* action : panel->actions()) action->setShortcutVisibleInContextMenu(true);
  panel->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void Main::AddReadabilityEntries() {
  QWidget* preview = txtEXAMPLE->widget();
  for (const Level& level : kLevels) {
    QString caption = Caption("Make Readable", level);
    if (level.ratio == colour::kAANormal) caption += QStringLiteral("\tCtrl+Shift+R");
    auto* action = new QAction(caption, preview);
    QObject::connect(action, &QAction::triggered, preview,
                     [this, ratio = level.ratio] { txtEXAMPLE_MakeReadable(ratio); });
    txtEXAMPLE->AddLeadingMenuAction(action);
  }
  auto* simulate = new QMenu(QStringLiteral("Simulate"), preview);
  auto* choices = new QActionGroup(simulate);
  for (const Simulation& simulation : kSimulations) {
    QAction* action = simulate->addAction(Text(simulation.caption));
    action->setCheckable(true);
    action->setChecked(simulation.vision == vision_);
    choices->addAction(action);
    QObject::connect(action, &QAction::triggered, preview,
                     [this, vision = simulation.vision] { txtEXAMPLE_Simulate(vision); });
  }
  auto* separator = new QAction(preview);
  separator->setSeparator(true);
  txtEXAMPLE->AddLeadingMenuAction(separator);
  txtEXAMPLE->AddLeadingMenuAction(simulate->menuAction());
  auto* report = new QAction(QStringLiteral("Copy Contrast Report"), preview);
  report->setShortcut(kReportKeys);
  report->setShortcutVisibleInContextMenu(true);
  QObject::connect(report, &QAction::triggered, preview,
                   [this] { txtEXAMPLE_CopyContrastReport(); });
  txtEXAMPLE->AddLeadingMenuAction(report);
}

void Main::Tell(QWidget* over, const QString& text) {
  // A tip that comes due after the window has closed (a pick's, told a
  // moment after it ends) would be shown with nothing under it, and would
  // call off the program's end that the close had set under way.
  if (!form.widget()->isVisible()) return;
  QToolTip::showText(over->mapToGlobal(over->rect().center()), text, over);
}

void Main::TellAtPreview(const QString& text) {
  Tell(txtEXAMPLE->widget(), text);
}

void Main::txtEXAMPLE_MakeReadable(double Threshold) {
  const bool text = optITEM[0].Value();
  const colour::ColourWord fore = Drawn(*txtEXAMPLE, txtEXAMPLE->ForeColor());
  const colour::ColourWord back = Drawn(*txtEXAMPLE, txtEXAMPLE->BackColor());
  const colour::ColourWord target = text ? fore : back;
  const colour::Readable readable = colour::MakeReadable(target, text ? back : fore, Threshold);
  const QString name = text ? QStringLiteral("text colour") : QStringLiteral("background colour");
  const QString goal = QString::number(Threshold);
  if (!readable.reached) {
    TellAtPreview(QStringLiteral("No lightness of this %1 reaches %2:1; the best is %3:1.")
                      .arg(name, goal, Ratio(readable.ratio)));
  } else if (readable.colour == target) {
    TellAtPreview(
        QStringLiteral("The pair already reaches %1:1 (%2:1).").arg(goal, Ratio(readable.ratio)));
  } else {
    // Through the sliders, as a pasted colour is.
    Change(QStringLiteral("Make Readable"), [&] { SetSliders(readable.colour); });
    TellAtPreview(QStringLiteral("Made the %1 #%2: %3:1.")
                      .arg(name, QString::fromStdString(colour::FinalHex(readable.colour)),
                           Ratio(readable.ratio)));
  }
}

void Main::txtEXAMPLE_Simulate(colour::Vision Vision) {
  vision_ = Vision;
  if (Vision == colour::Vision::Normal) {
    simulation_.SetTransform({});
  } else {
    simulation_.SetTransform(
        [Vision](colour::ColourWord word) { return colour::Simulate(Vision, word); });
  }
  contrastShown_.reset();
  ShowContrast();
}

QString Main::SimulatedContrast() const {
  for (const Simulation& simulation : kSimulations) {
    if (simulation.vision != vision_ || vision_ == colour::Vision::Normal) continue;
    const double ratio = colour::ContrastRatio(
        colour::Simulate(vision_, Drawn(*txtEXAMPLE, txtEXAMPLE->ForeColor())),
        colour::Simulate(vision_, Drawn(*txtEXAMPLE, txtEXAMPLE->BackColor())));
    return QStringLiteral("Simulating %1: contrast %2:1")
        .arg(Text(simulation.caption), Ratio(ratio));
  }
  return {};
}

void Main::Picture1_ExportPalette() {
  const std::optional<SavePlace> place =
      AskWhere(form.widget(), QStringLiteral("Export Palette"), kPaletteTypes,
               QStringLiteral("palette"), exportFolder_);
  if (place) ExportPalette(place->path, static_cast<PaletteFormat>(place->type));
}

void Main::Picture1_ImportPalette() {
  QFileDialog dialog(form.widget(), QStringLiteral("Import Palette"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // Any of the three, told apart by what the file holds.
  QStringList patterns;
  QStringList filters;
  for (const FileType& type : kPaletteTypes) {
    patterns << QStringLiteral("*.") + QString::fromLatin1(type.suffix);
    filters << QString::fromLatin1(type.filter);
  }
  filters.prepend(QStringLiteral("Exported palettes (%1)").arg(patterns.join(u' ')));
  filters << QStringLiteral("All files (*)");
  dialog.setNameFilters(filters);
  if (exportFolder_.isEmpty()) {
    exportFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  }
  dialog.setDirectory(exportFolder_);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().front();
  exportFolder_ = QFileInfo(path).absolutePath();
  ImportPalette(path);
}

bool Main::ImportPalette(const QString& path) {
  const QString shown = QDir::toNativeSeparators(path);
  QFile file(path);
  // One byte past the limit, so that the reader can tell a file over it.
  const QByteArray bytes = file.open(QIODevice::ReadOnly)
                               ? file.read(static_cast<qint64>(colour::kPaletteFileLimit) + 1)
                               : QByteArray();
  if (file.error() != QFileDevice::NoError) {
    app_.MsgBox(
        QStringLiteral("Could not import the palette from %1: %2.").arg(shown, file.errorString()));
    return false;
  }
  const colour::ImportedPalette read = colour::ReadPalette(
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!read.refusal.empty()) {
    app_.MsgBox(QStringLiteral("Could not import the palette from %1: %2 Nothing was changed.")
                    .arg(shown, QString::fromStdString(read.refusal)));
    return false;
  }
  bool swatches = false;
  Change(QStringLiteral("Import Palette"), [&] {
    for (std::int16_t i = 0; i < kSwatchCount; ++i) {
      const colour::ColourPair& pair = read.swatches[static_cast<std::size_t>(i)];
      if (lblSTORE[i].ForeColor() == pair.text && lblSTORE[i].BackColor() == pair.background) {
        continue;
      }
      lblSTORE[i].SetColors(pair.text, pair.background);
      DescribeSwatch(i);
      swatches = true;
    }
    if (read.preview) ShowPair(read.preview->text, read.preview->background);
  });
  if (swatches) SwatchesChanged();
  Tell(Picture1->widget(),
       read.preview
           ? QStringLiteral("Imported the palette from %1.").arg(shown)
           : QStringLiteral("Imported the swatches from %1; it holds no preview pair.").arg(shown));
  return true;
}

bool Main::ExportPalette(const QString& path, PaletteFormat format) {
  return SaveText(path, kPaletteWriters[static_cast<std::size_t>(format)](DrawnColours()), kExport,
                  Picture1->widget());
}

void Main::Picture1_CheckPalette() {
  if (!checkPalette_) {
    checkPalette_ = std::make_unique<CheckPalette>(
        form.widget(), makeAllReadable_,
        CheckPalette::Commands{[this](std::size_t swatch) {
                                 lblSTORE_MouseDown(static_cast<std::int16_t>(swatch), kLeftButton,
                                                    0, 0, 0);
                               },
                               [this] { CheckPalette_SaveReport(); }});
  }
  checkPalette_->Show(DrawnColours());
}

void Main::Picture1_MakeAllReadable(double Threshold) {
  const colour::Side side = optITEM[0].Value() ? colour::Side::Text : colour::Side::Background;
  colour::Swatches swatches{};
  std::ranges::copy_n(DrawnColours().begin(), colour::kSwatchCount, swatches.begin());
  const colour::AllReadable result = colour::MakeAllReadable(swatches, side, Threshold);
  // Only the moved colour is set: the other keeps its word, a system-colour
  // reference included.
  Change(QStringLiteral("Make All Readable"), [&] {
    for (const std::size_t i : result.changed) {
      const colour::ColourPair& pair = result.swatches[i];
      forms::Label& swatch = lblSTORE[static_cast<std::int16_t>(i)];
      if (side == colour::Side::Text) {
        swatch.SetForeColor(pair.text);
      } else {
        swatch.SetBackColor(pair.background);
      }
      DescribeSwatch(static_cast<std::int16_t>(i));
    }
  });
  if (!result.changed.empty()) SwatchesChanged();
  const auto level = std::ranges::find(kLevels, Threshold, &Level::ratio);
  const QString text = QString::fromStdString(colour::DescribeAllReadable(
      result, level == kLevels.end() ? colour::RatioText(Threshold, true) + ":1" : level->name));
  Tell(Picture1->widget(), text);
  if (checkPalette_) checkPalette_->Tell(text);
}

void Main::CheckPalette_SaveReport() {
  const std::optional<SavePlace> place =
      AskWhere(checkPalette_->widget(), QStringLiteral("Save Report"), kReportTypes,
               QStringLiteral("palette-check"), reportFolder_);
  if (place) SaveReport(place->path, static_cast<ReportFormat>(place->type));
}

bool Main::SaveReport(const QString& path, ReportFormat format) {
  const colour::PaletteColours colours = DrawnColours();
  const std::string text =
      format == ReportFormat::Html
          ? colour::CheckReportHtml(colours,
                                    {QDate::currentDate().toString(Qt::ISODate).toStdString(),
                                     std::string(kProductVersion)})
          : colour::CheckReportCsv(colours);
  QWidget* tipOver = checkPalette_ ? checkPalette_->widget() : Picture1->widget();
  return SaveText(path, text, kReport, tipOver);
}

}  // namespace window
