#include "window/main.h"

#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QPixmap>
#include <QToolTip>
#include <algorithm>
#include <vector>

#include "colour/contrast.h"
#include "forms/colourword.h"
#include "forms/fonts.h"
#include "forms/sendkeys.h"
#include "icons.h"
#include "window/layout.h"

namespace window {

namespace {

const QString kProductVersion = QStringLiteral("0.2i");
const QString kLastDate = QStringLiteral("3/14/2012");
const QString kNotice = QStringLiteral("Huvenor \u00A9 1996\u20132012 Orlan. All rights reserved.");
constexpr std::int16_t kLeftButton = 1;
constexpr std::int16_t kRightButton = 2;
constexpr std::int16_t kEnter = 13;
constexpr std::int16_t kBackspace = 8;
// The characters a channel box takes, tested exactly as typed.
constexpr char16_t kHexKeys[] = u"0123456789abcdefABCDEF";

QString ExampleText() {
  return QStringLiteral("\r\nThis is an\r\nExample.");
}

QString ChannelHexText(colour::Channel value) {
  return QString::fromStdString(colour::ChannelHexText(value));
}

colour::Channel ChannelOf(const QString& text) {
  // A pasted value beyond two digits goes to the slider clamped, not as an error.
  return colour::ClampChannel(colour::ChannelParse(text.toStdString()));
}

QString FinalHex(colour::ColourWord word) {
  return QString::fromStdString(colour::FinalHex(word));
}

// The design's texts are plain ASCII.
QString Text(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString ObjectName(const ControlRow& row) {
  return row.index < 0 ? Text(row.name)
                       : QStringLiteral("%1(%2)").arg(Text(row.name)).arg(row.index);
}

QString AccessibleName(const ControlRow& row) {
  if (row.id == ControlId::lblSTORE) return QStringLiteral("Swatch %1").arg(row.index + 1);
  return Text(row.accessibleName.empty() ? row.caption : row.accessibleName);
}

void Identify(forms::Control& control, const ControlRow& row) {
  control.widget()->setObjectName(ObjectName(row));
  control.widget()->setAccessibleName(AccessibleName(row));
  control.SetTabIndex(row.tabIndex);
}

template <typename Control>
void ApplyDesign(Control& control, const ControlRow& row) {
  Identify(control, row);
  if (row.font == DesignFont::Fixedsys) {
    static const QFont fixedsys = forms::DesignFont(QStringLiteral("Fixedsys"), 9);
    control.SetFont(fixedsys);
  }
  if (row.foreColor != kStandardColour) control.SetForeColor(row.foreColor);
  if (row.backColor != kStandardColour) control.SetBackColor(row.backColor);
}

std::unique_ptr<forms::TextBox> MakeTextBox(QWidget* container, const ControlRow& row) {
  auto box = std::make_unique<forms::TextBox>(
      container, row.place,
      forms::TextBoxStyle{row.multiLine ? forms::Lines::Multi : forms::Lines::Single,
                          row.locked ? forms::Editing::Locked : forms::Editing::Editable,
                          row.alignment});
  ApplyDesign(*box, row);
  return box;
}

std::unique_ptr<forms::Label> MakeLabel(QWidget* container, const ControlRow& row) {
  auto label = std::make_unique<forms::Label>(
      container, row.place, Text(row.caption),
      forms::LabelStyle{row.alignment,
                        row.bordered ? forms::Border::FlatSingle : forms::Border::None});
  ApplyDesign(*label, row);
  return label;
}

}  // namespace

Main::Main(forms::App& app, instance::WindowFinder& finder, QString perUserPalette)
    : form(Text(kCaption), kClientWidth, kClientHeight),
      app_(app),
      finder_(finder),
      perUserPalette_(std::move(perUserPalette)) {
  form.widget()->setObjectName(QStringLiteral("main"));
  // From arrays compiled in: an image file would make Qt look through its
  // image plugins at every start.
  QIcon icon;
  for (const char* const* picture : {kIcon16, kIcon32, kIcon64}) icon.addPixmap(QPixmap(picture));
  form.SetIcon(icon);
  BuildControls();
  SetTabOrder();
  ConnectEvents();
  for (std::int16_t i = 0; i < kSwatchCount; ++i) DescribeSwatch(i);
  MarkSwatch(0);
}

Main::~Main() = default;

void Main::BuildControls() {
  QWidget* window = form.widget();
  for (const ControlRow& row : Layout()) {
    QWidget* container = row.container == Container::Picture1 ? Picture1->Inside() : window;
    switch (row.id) {
      case ControlId::txtEXAMPLE:
        txtEXAMPLE = MakeTextBox(container, row);
        break;
      case ControlId::txtFINALHEX:
        txtFINALHEX.Set(row.index, MakeTextBox(container, row));
        break;
      case ControlId::txtHEXCOLOR:
        txtHEXCOLOR.Set(row.index, MakeTextBox(container, row));
        break;
      case ControlId::vsbCOLOR: {
        auto bar = std::make_unique<forms::VScrollBar>(
            container, row.place,
            forms::ScrollRange{kSliderTop, kSliderBottom, kSmallChange, kLargeChange});
        ApplyDesign(*bar, row);
        vsbCOLOR.Set(row.index, std::move(bar));
        break;
      }
      case ControlId::lbl:
        lbl.Set(row.index, MakeLabel(container, row));
        break;
      case ControlId::lblVERSION:
        lblVERSION = MakeLabel(container, row);
        break;
      case ControlId::lblLASTDATE:
        lblLASTDATE = MakeLabel(container, row);
        break;
      case ControlId::lblSTORE:
        lblSTORE.Set(row.index, MakeLabel(container, row));
        break;
      case ControlId::optITEM: {
        auto option =
            std::make_unique<forms::OptionButton>(container, row.place, Text(row.caption));
        ApplyDesign(*option, row);
        option->SetValue(row.chosen);
        optITEM.Set(row.index, std::move(option));
        break;
      }
      case ControlId::Picture1:
        Picture1 = std::make_unique<forms::PictureBox>(container, row.place, row.backColor);
        Identify(*Picture1, row);
        break;
      case ControlId::shpSTOREMARK:
        shpSTOREMARK = std::make_unique<forms::Shape>(
            container, row.place, forms::ShapeStyle{row.backColor, row.foreColor});
        Identify(*shpSTOREMARK, row);
        break;
    }
  }
}

void Main::SetTabOrder() {
  // Labels never take the focus; the preview is left out of the tab order so
  // the window opens with the focus on the red slider, ready for the keys.
  txtEXAMPLE->widget()->setFocusPolicy(Qt::ClickFocus);
  std::vector<forms::Control*> stops;
  for (std::int16_t i = 0; i < 3; ++i) stops.push_back(&vsbCOLOR[i]);
  for (std::int16_t i = 0; i < 3; ++i) stops.push_back(&txtHEXCOLOR[i]);
  for (std::int16_t i = 0; i < 2; ++i) stops.push_back(&txtFINALHEX[i]);
  for (std::int16_t i = 0; i < 2; ++i) stops.push_back(&optITEM[i]);
  stops.push_back(Picture1.get());
  std::ranges::sort(stops, {}, &forms::Control::TabIndex);
  for (std::size_t i = 1; i < stops.size(); ++i) {
    QWidget::setTabOrder(stops[i - 1]->widget(), stops[i]->widget());
  }
  for (std::int16_t i = 0; i < kSwatchCount; ++i) {
    lblSTORE[i].widget()->setFocusPolicy(Qt::NoFocus);
  }
}

void Main::ConnectEvents() {
  form.onLoad = [this] { Form_Load(); };
  form.onUnload = [this](std::int16_t& cancel) { Form_Unload(cancel); };
  lblVERSION->onMouseDown = [this](std::int16_t button, std::int16_t shift, float x, float y) {
    lblVERSION_MouseDown(button, shift, x, y);
  };
  lblVERSION->onMouseUp = [this](std::int16_t button, std::int16_t shift, float x, float y) {
    lblVERSION_MouseUp(button, shift, x, y);
  };
  vsbCOLOR.Connect(&forms::VScrollBar::onScroll, [this](std::int16_t i) { vsbCOLOR_Scroll(i); });
  vsbCOLOR.Connect(&forms::VScrollBar::onChange, [this](std::int16_t i) { vsbCOLOR_Change(i); });
  txtHEXCOLOR.Connect(&forms::TextBox::onChange, [this](std::int16_t i) { txtHEXCOLOR_Change(i); });
  txtHEXCOLOR.Connect(&forms::TextBox::onLostFocus,
                      [this](std::int16_t i) { txtHEXCOLOR_LostFocus(i); });
  txtHEXCOLOR.Connect(&forms::TextBox::onGotFocus,
                      [this](std::int16_t i) { txtHEXCOLOR_GotFocus(i); });
  txtHEXCOLOR.Connect(&forms::TextBox::onKeyPress,
                      [this](std::int16_t i, std::int16_t& key) { txtHEXCOLOR_KeyPress(i, key); });
  txtFINALHEX.Connect(&forms::TextBox::onGotFocus,
                      [this](std::int16_t i) { txtFINALHEX_GotFocus(i); });
  optITEM.Connect(&forms::OptionButton::onClick, [this](std::int16_t i) { optITEM_Click(i); });
  Picture1->onKeyDown = [this](std::int16_t keyCode, std::int16_t shift) {
    Picture1_KeyDown(keyCode, shift);
  };
  for (std::int16_t i = 0; i < 2; ++i) {
    const auto copy = [this, i](std::string (*format)(colour::ColourWord)) {
      return [this, i, format] {
        QApplication::clipboard()->setText(QString::fromStdString(format(FinalColour(i))));
      };
    };
    txtFINALHEX[i].AddMenuCommand(QStringLiteral("Copy #RRGGBB"), copy(&colour::CssHex));
    txtFINALHEX[i].AddMenuCommand(QStringLiteral("Copy rgb()"), copy(&colour::CssRgb));
    txtFINALHEX[i].AddMenuCommand(QStringLiteral("Copy CSS pair"), [this] {
      QApplication::clipboard()->setText(
          QString::fromStdString(colour::CssPair(FinalColour(0), FinalColour(1))));
    });
  }
  form.AddShortcut(QKeySequence::Paste, [this] { Form_Paste(); });
  lblSTORE.Connect(&forms::Label::onMouseDown,
                   [this](std::int16_t i, std::int16_t button, std::int16_t shift, float x,
                          float y) { lblSTORE_MouseDown(i, button, shift, x, y); });
}

void Main::BringToFront() {
  QWidget* window = form.widget();
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
  window->activateWindow();
}

void Main::Form_Load() {
  if (app_.PrevInstance()) instance::CheckPrevInstance(app_, finder_);
  strCFGPATH = app_.Path() + QStringLiteral("/") + QString::fromLatin1(palette::kFileName);
  LoadPalette();
  txtEXAMPLE->SetText(ExampleText());
  lblVERSION->SetCaption(QStringLiteral("Version ") + kProductVersion);
  lblLASTDATE->SetCaption(kLastDate);
  EnterFirstState();
}

void Main::Form_Unload(std::int16_t& /*Cancel*/) {
  SavePalette();
}

void Main::LoadPalette() {
  paletteFile_ = std::make_unique<palette::PaletteFile>(strCFGPATH, perUserPalette_);
  const palette::Loaded loaded = paletteFile_->Load();
  if (!loaded.problem.isEmpty()) app_.MsgBox(loaded.problem);
  // A record the file did not hold whole leaves its control at the design colours.
  for (std::int16_t n = 1; n <= palette::kSwatchCount; ++n) {
    if (const auto& record = loaded.records[static_cast<std::size_t>(n - 1)]) {
      recSTORE = *record;
      lblSTORE[n - 1].SetForeColor(recSTORE.fore);
      lblSTORE[n - 1].SetBackColor(recSTORE.back);
      DescribeSwatch(n - 1);
    }
  }
  if (const auto& record = loaded.records[palette::kPreviewRecord - 1]) {
    recSTORE = *record;
    txtEXAMPLE->SetForeColor(recSTORE.fore);
    txtEXAMPLE->SetBackColor(recSTORE.back);
  }
}

void Main::SavePalette() {
  std::array<palette::Record, palette::kRecordCount> records;
  for (std::int16_t n = 1; n <= palette::kSwatchCount; ++n) {
    recSTORE.fore = lblSTORE[n - 1].ForeColor();
    recSTORE.back = lblSTORE[n - 1].BackColor();
    records[static_cast<std::size_t>(n - 1)] = recSTORE;
  }
  recSTORE.fore = txtEXAMPLE->ForeColor();
  recSTORE.back = txtEXAMPLE->BackColor();
  records[palette::kPreviewRecord - 1] = recSTORE;
  const palette::Saved saved = paletteFile_->Save(records);
  if (!saved.problem.isEmpty()) app_.MsgBox(saved.problem);
}

void Main::lblVERSION_MouseDown(std::int16_t, std::int16_t, float, float) {
  txtEXAMPLE->SetText(kNotice);
}

void Main::lblVERSION_MouseUp(std::int16_t, std::int16_t, float, float) {
  txtEXAMPLE->SetText(ExampleText());
}

void Main::EnterFirstState() {
  lngTEXTCOLOR = txtEXAMPLE->ForeColor();
  lngBACKCOLOR = txtEXAMPLE->BackColor();
  for (std::int16_t part = 0; part < 3; ++part) {
    vsbCOLOR[part].SetValue(colour::ColorPart(lngBACKCOLOR, part));
  }
  // Sliders whose value did not change raised nothing, so their boxes are
  // still empty.
  for (std::int16_t i = 0; i < 3; ++i) txtHEXCOLOR[i].SetText(ChannelHexText(vsbCOLOR[i].Value()));
  UpdateFinalHex();
}

void Main::vsbCOLOR_Change(std::int16_t Index) {
  vsbCOLOR_Scroll(Index);
}

void Main::vsbCOLOR_Scroll(std::int16_t Index) {
  txtHEXCOLOR[Index].SetText(ChannelHexText(vsbCOLOR[Index].Value()));
  if (!blnSWITCHING) {
    const colour::ColourWord colour =
        colour::RGB(vsbCOLOR[0].Value(), vsbCOLOR[1].Value(), vsbCOLOR[2].Value());
    if (optITEM[0].Value()) {
      txtEXAMPLE->SetForeColor(colour);
    } else {
      txtEXAMPLE->SetBackColor(colour);
    }
  }
  UpdateFinalHex();
}

void Main::txtHEXCOLOR_Change(std::int16_t Index) {
  forms::TextBox& box = txtHEXCOLOR[Index];
  vsbCOLOR[Index].SetValue(ChannelOf(box.Text()));
  box.SetSelStart(0);
  box.SetSelStart(static_cast<int>(box.Text().size()));
}

void Main::txtHEXCOLOR_LostFocus(std::int16_t Index) {
  vsbCOLOR[Index].SetValue(ChannelOf(txtHEXCOLOR[Index].Text()));
}

void Main::txtHEXCOLOR_GotFocus(std::int16_t Index) {
  forms::TextBox& box = txtHEXCOLOR[Index];
  box.SetSelStart(0);
  box.SetSelLength(static_cast<int>(box.Text().size()));
}

void Main::txtFINALHEX_GotFocus(std::int16_t Index) {
  forms::TextBox& box = txtFINALHEX[Index];
  box.SetSelStart(0);
  box.SetSelLength(static_cast<int>(box.Text().size()));
}

void Main::txtHEXCOLOR_KeyPress(std::int16_t Index, std::int16_t& KeyAscii) {
  forms::TextBox& box = txtHEXCOLOR[Index];
  const QChar ch(static_cast<char16_t>(KeyAscii));
  bool valid = false;
  if (std::u16string_view(kHexKeys).find(ch.unicode()) != std::u16string_view::npos) {
    valid = true;
  } else if (KeyAscii == kEnter) {
    forms::SendKeys(QStringLiteral("{TAB}"));
  } else if (KeyAscii == kBackspace) {
    valid = true;
  } else {
    KeyAscii = 0;
  }
  if (box.SelLength() != 0) {
    if (valid) box.SetSelText(ch);
    if (KeyAscii != kBackspace) KeyAscii = 0;
  } else if (box.Text().size() > 1 && KeyAscii != kBackspace) {
    KeyAscii = 0;
  }
}

void Main::optITEM_Click(std::int16_t /*Index*/) {
  blnSWITCHING = true;
  if (optITEM[0].Value()) {
    lngBACKCOLOR = txtEXAMPLE->BackColor();
    for (std::int16_t part = 0; part < 3; ++part) {
      vsbCOLOR[part].SetValue(colour::ColorPart(lngTEXTCOLOR, part));
    }
  } else {
    lngTEXTCOLOR = txtEXAMPLE->ForeColor();
    for (std::int16_t part = 0; part < 3; ++part) {
      vsbCOLOR[part].SetValue(colour::ColorPart(lngBACKCOLOR, part));
    }
  }
  blnSWITCHING = false;
}

void Main::lblSTORE_MouseDown(std::int16_t Index, std::int16_t Button, std::int16_t, float, float) {
  MarkSwatch(Index);
  if (Button == kRightButton) {
    lblSTORE[Index].SetForeColor(txtEXAMPLE->ForeColor());
    lblSTORE[Index].SetBackColor(txtEXAMPLE->BackColor());
    DescribeSwatch(Index);
    return;
  }
  txtEXAMPLE->SetForeColor(lblSTORE[Index].ForeColor());
  txtEXAMPLE->SetBackColor(lblSTORE[Index].BackColor());
  lngBACKCOLOR = txtEXAMPLE->BackColor();
  lngTEXTCOLOR = txtEXAMPLE->ForeColor();
  const colour::ColourWord target = optITEM[0].Value() ? lngTEXTCOLOR : lngBACKCOLOR;
  for (std::int16_t part = 0; part < 3; ++part) {
    vsbCOLOR[part].SetValue(colour::ColorPart(target, part));
  }
  UpdateFinalHex();
}

void Main::Picture1_KeyDown(std::int16_t KeyCode, std::int16_t Shift) {
  // The palette has no keys of its own in the design; these give a keyboard
  // user what the mouse does: arrows move the marker, Enter or Space recall
  // the marked swatch like a left press, Ctrl+Enter or Insert store into it
  // like a right press.
  const std::int16_t marked = MarkedSwatch();
  const int row = marked / kSwatchColumns;
  const int column = marked % kSwatchColumns;
  const int rows = kSwatchCount / kSwatchColumns;
  const auto to = [](int r, int c) { return static_cast<std::int16_t>(r * kSwatchColumns + c); };
  constexpr std::int16_t kCtrl = 2;
  switch (KeyCode) {
    case forms::kKeyLeft:
      return MarkSwatch(to(row, std::max(column - 1, 0)));
    case forms::kKeyRight:
      return MarkSwatch(to(row, std::min(column + 1, kSwatchColumns - 1)));
    case forms::kKeyUp:
      return MarkSwatch(to(std::max(row - 1, 0), column));
    case forms::kKeyDown:
      return MarkSwatch(to(std::min(row + 1, rows - 1), column));
    case forms::kKeyInsert:
      return lblSTORE_MouseDown(marked, kRightButton, Shift, 0, 0);
    case forms::kKeyReturn:
    case forms::kKeySpace: {
      const std::int16_t button = (Shift & kCtrl) != 0 ? kRightButton : kLeftButton;
      return lblSTORE_MouseDown(marked, button, Shift, 0, 0);
    }
    default:
      return;
  }
}

std::int16_t Main::MarkedSwatch() const {
  const int column = (shpSTOREMARK->Left() + kMarkerOffset - kSwatchMargin) / kSwatchPitchX;
  const int row = (shpSTOREMARK->Top() + kMarkerOffset - kSwatchMargin) / kSwatchPitchY;
  return static_cast<std::int16_t>(row * kSwatchColumns + column);
}

void Main::MarkSwatch(std::int16_t Index) {
  shpSTOREMARK->SetTop(lblSTORE[Index].Top() - kMarkerOffset);
  shpSTOREMARK->SetLeft(lblSTORE[Index].Left() - kMarkerOffset);
  Picture1->widget()->setAccessibleDescription(
      QStringLiteral("%1 selected: %2")
          .arg(lblSTORE[Index].widget()->accessibleName(),
               lblSTORE[Index].widget()->accessibleDescription()));
}

void Main::DescribeSwatch(std::int16_t Index) {
  forms::Label& swatch = lblSTORE[Index];
  const QString pair = QStringLiteral("Text %1 on background %2")
                           .arg(FinalHex(swatch.ForeColor()), FinalHex(swatch.BackColor()));
  swatch.widget()->setAccessibleDescription(pair);
  swatch.widget()->setToolTip(pair + u'\n' + ContrastOf(swatch.ForeColor(), swatch.BackColor()));
  if (Index == MarkedSwatch()) MarkSwatch(Index);
}

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
  const QString summary = ContrastOf(txtEXAMPLE->ForeColor(), txtEXAMPLE->BackColor());
  txtEXAMPLE->widget()->setToolTip(summary);
  txtEXAMPLE->widget()->setAccessibleDescription(QString(summary).replace(u'\n', u';'));
  for (std::int16_t i = 0; i < 2; ++i) txtFINALHEX[i].widget()->setToolTip(summary);
}

colour::ColourWord Main::FinalColour(std::int16_t Index) const {
  return Index == 0 ? txtEXAMPLE->ForeColor() : txtEXAMPLE->BackColor();
}

void Main::Form_Paste() {
  const QString text = QApplication::clipboard()->text();
  const auto word = colour::ParseCssColour(text.toStdString());
  QWidget* preview = txtEXAMPLE->widget();
  const QPoint at = preview->mapToGlobal(preview->rect().center());
  if (!word) {
    QToolTip::showText(at,
                       QStringLiteral("The clipboard holds no colour to paste: "
                                      "#RGB, #RRGGBB, RRGGBB or rgb(r, g, b)."),
                       preview);
    return;
  }
  // Through the sliders, so the handlers recolour the preview as a drag would.
  for (std::int16_t part = 0; part < 3; ++part) {
    vsbCOLOR[part].SetValue(colour::ColorPart(*word, part));
  }
  const QString target =
      optITEM[0].Value() ? QStringLiteral("text colour") : QStringLiteral("background colour");
  QToolTip::showText(at, QStringLiteral("Pasted #%1 as the %2.").arg(FinalHex(*word), target),
                     preview);
}

void Main::UpdateFinalHex() {
  txtFINALHEX[0].SetText(FinalHex(txtEXAMPLE->ForeColor()));
  txtFINALHEX[1].SetText(FinalHex(txtEXAMPLE->BackColor()));
  ShowContrast();
}

}  // namespace window
