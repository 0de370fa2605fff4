// What the window offers web authors beyond mixing colours: the contrast
// of a pair, judged by WCAG, whole colours through the clipboard, making a
// pair readable, seeing it as others do, and the palette for a stylesheet.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QSaveFile>
#include <QStandardPaths>
#include <QToolTip>
#include <array>
#include <functional>
#include <utility>

#include "colour/contrast.h"
#include "colour/cssparse.h"
#include "colour/csswrite.h"
#include "colour/exportformats.h"
#include "colour/readable.h"
#include "forms/colourword.h"
#include "window/layout.h"
#include "window/main.h"
#include "window/texts.h"

namespace window {

namespace {

struct Threshold {
  const char* caption;
  double ratio;
};

constexpr std::array<Threshold, 3> kThresholds{{
    {"Make Readable: AA (4.5:1)\tCtrl+Shift+R", colour::kAANormal},
    {"Make Readable: AAA (7:1)", colour::kAAANormal},
    {"Make Readable: Large Text AA (3:1)", colour::kAALarge},
}};

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

struct Format {
  const char* filter;
  const char* suffix;
  std::string (*write)(const colour::PaletteColours&);
};

// Indexed by PaletteFormat, in the order the save dialog lists them.
constexpr std::array<Format, 3> kFormats{{
    {"CSS custom properties (*.css)", "css", &colour::PaletteCss},
    {"GIMP palette (*.gpl)", "gpl", &colour::PaletteGpl},
    {"JSON (*.json)", "json", &colour::PaletteJson},
}};

const QKeySequence kReportKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_C);

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

// The full path of `path` with its folder's links resolved, whether or not
// the file exists, so that two names of one file compare equal.
QString Resolved(const QString& path) {
  const QFileInfo info(path);
  const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
  return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

}  // namespace

QString Main::ContrastOf(colour::ColourWord fore, colour::ColourWord back) const {
  // A system-colour reference is judged by the colour it is drawn with.
  const QPalette& palette = QApplication::palette(txtEXAMPLE->widget());
  return QString::fromStdString(colour::ContrastSummary(
      colour::ContrastRatio(forms::DrawnWord(fore, palette), forms::DrawnWord(back, palette))));
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
  SetSliders(*read.word);
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
  QWidget* panel = Picture1->widget();
  auto* exportPalette = new QAction(QStringLiteral("Export Palette\u2026"), panel);
  QObject::connect(exportPalette, &QAction::triggered, panel, [this] { Picture1_ExportPalette(); });
  panel->addAction(exportPalette);
  panel->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void Main::AddReadabilityEntries() {
  QWidget* preview = txtEXAMPLE->widget();
  for (const Threshold& threshold : kThresholds) {
    auto* action = new QAction(Text(threshold.caption), preview);
    QObject::connect(action, &QAction::triggered, preview,
                     [this, ratio = threshold.ratio] { txtEXAMPLE_MakeReadable(ratio); });
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

void Main::TellAtPreview(const QString& text) {
  // A tip that comes due after the window has closed (a pick's, told a
  // moment after it ends) would be shown with nothing under it, and would
  // call off the program's end that the close had set under way.
  if (!form.widget()->isVisible()) return;
  QWidget* preview = txtEXAMPLE->widget();
  QToolTip::showText(preview->mapToGlobal(preview->rect().center()), text, preview);
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
    SetSliders(readable.colour);
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
  QFileDialog dialog(form.widget(), QStringLiteral("Export Palette"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  QStringList filters;
  for (const Format& format : kFormats) filters << Text(format.filter);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(Text(kFormats[0].suffix));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    dialog.setDefaultSuffix(
        Text(kFormats[static_cast<std::size_t>(std::max<qsizetype>(filters.indexOf(filter), 0))]
                 .suffix));
  });
  if (exportFolder_.isEmpty()) {
    exportFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  }
  dialog.setDirectory(exportFolder_);
  dialog.selectFile(QStringLiteral("palette"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().front();
  exportFolder_ = QFileInfo(path).absolutePath();
  // A typed suffix of one of the formats wins over the filter left chosen.
  auto format = static_cast<PaletteFormat>(
      std::max<qsizetype>(filters.indexOf(dialog.selectedNameFilter()), 0));
  for (std::size_t i = 0; i < kFormats.size(); ++i) {
    if (QFileInfo(path).suffix().compare(Text(kFormats[i].suffix), Qt::CaseInsensitive) == 0) {
      format = static_cast<PaletteFormat>(i);
    }
  }
  ExportPalette(path, format);
}

bool Main::ExportPalette(const QString& path, PaletteFormat format) {
  const QString shown = QDir::toNativeSeparators(path);
  for (const QString& palettePath : {strCFGPATH, perUserPalette_}) {
    if (!palettePath.isEmpty() && Resolved(path) == Resolved(palettePath)) {
      app_.MsgBox(QStringLiteral("The palette was not exported: %1 is the palette file the "
                                 "program keeps its colours in. Choose another name.")
                      .arg(shown));
      return false;
    }
  }
  colour::PaletteColours colours{};
  for (std::int16_t i = 0; i < kSwatchCount; ++i) {
    const forms::Label& swatch = lblSTORE[i];
    colours[static_cast<std::size_t>(i)] = {Drawn(swatch, swatch.ForeColor()),
                                            Drawn(swatch, swatch.BackColor())};
  }
  colours.back() = {Drawn(*txtEXAMPLE, txtEXAMPLE->ForeColor()),
                    Drawn(*txtEXAMPLE, txtEXAMPLE->BackColor())};
  const std::string text = kFormats[static_cast<std::size_t>(format)].write(colours);
  QSaveFile file(path);
  const auto size = static_cast<qint64>(text.size());
  if (file.open(QIODevice::WriteOnly) && file.write(text.data(), size) == size && file.commit()) {
    QWidget* panel = Picture1->widget();
    QToolTip::showText(panel->mapToGlobal(panel->rect().center()),
                       QStringLiteral("Exported the palette to %1.").arg(shown), panel);
    return true;
  }
  app_.MsgBox(
      QStringLiteral("Could not export the palette to %1: %2.").arg(shown, file.errorString()));
  return false;
}

}  // namespace window
