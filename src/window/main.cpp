#include "window/main.h"

#include <string_view>

#include "forms/sendkeys.h"
#include "window/layout.h"
#include "window/texts.h"

namespace window {

namespace {

// The application object as the single-instance guard sees it.
class GuardedApp final : public instance::GuardedProgram {
 public:
  explicit GuardedApp(forms::App& app) : app_(app) {}
  QString Title() const override { return app_.Title(); }
  void SetTitle(const QString& title) override { app_.SetTitle(title); }
  [[noreturn]] void End() override { app_.End(); }

 private:
  forms::App& app_;
};

const QString kLastDate = QStringLiteral("3/14/2012");
const QString kNotice = QStringLiteral("Huvenor \u00A9 1996\u20132012 Orlan. All rights reserved.");
constexpr std::int16_t kRightButton = static_cast<std::int16_t>(forms::MouseButton::Right);
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

// Marks what the window does meanwhile as part of a change already under
// way, or as the program's own and no step at all.
class InsideChange {
 public:
  explicit InsideChange(int& depth) : depth_(depth) { ++depth_; }
  ~InsideChange() { --depth_; }
  InsideChange(const InsideChange&) = delete;
  InsideChange& operator=(const InsideChange&) = delete;

 private:
  int& depth_;
};

}  // namespace

void Main::Form_Load() {
  if (app_.PrevInstance()) {
    GuardedApp guarded(app_);
    instance::CheckPrevInstance(guarded, finder_);
  }
  strCFGPATH = app_.Path() + QStringLiteral("/") + QString::fromLatin1(palette::kFileName);
  LoadPalette();
  txtEXAMPLE->SetText(ExampleText());
  lblVERSION->SetCaption(QStringLiteral("Version ") + Text(kProductVersion));
  lblLASTDATE->SetCaption(kLastDate);
  EnterFirstState();
}

void Main::Form_Unload(std::int16_t& /*Cancel*/) {
  SavePalette();
}

void Main::LoadPalette() {
  saver_.reset();
  paletteFile_ = std::make_unique<palette::PaletteFile>(strCFGPATH, perUserPalette_, installedBin_);
  const palette::Loaded loaded = paletteFile_->Load();
  saver_ = std::make_unique<palette::PromptSaver>(
      [file = paletteFile_.get()](const palette::Records& records) { return file->Save(records); },
      [this](const palette::Saved& saved) { PromptSaved(saved); });
  if (!loaded.problem.isEmpty()) app_.MsgBox(loaded.problem);
  // A record the file did not hold whole leaves its control at the design colours.
  for (std::int16_t n = 1; n <= palette::kSwatchCount; ++n) {
    if (const auto& record = loaded.records[static_cast<std::size_t>(n - 1)]) {
      recSTORE = *record;
      lblSTORE[n - 1].SetColors(recSTORE.fore, recSTORE.back);
    }
  }
  if (const auto& record = loaded.records[palette::kPreviewRecord - 1]) {
    recSTORE = *record;
    txtEXAMPLE->SetColors(recSTORE.fore, recSTORE.back);
  }
  // Once, for the pairs the swatches start with.
  for (std::int16_t i = 0; i < kSwatchCount; ++i) DescribeSwatch(i);
}

palette::Records Main::PaletteRecords() {
  palette::Records records;
  for (std::int16_t n = 1; n <= palette::kSwatchCount; ++n) {
    recSTORE.fore = lblSTORE[n - 1].ForeColor();
    recSTORE.back = lblSTORE[n - 1].BackColor();
    records[static_cast<std::size_t>(n - 1)] = recSTORE;
  }
  recSTORE.fore = txtEXAMPLE->ForeColor();
  recSTORE.back = txtEXAMPLE->BackColor();
  records[palette::kPreviewRecord - 1] = recSTORE;
  return records;
}

void Main::SavePalette() {
  if (const QString problem = CommitPalette(); !problem.isEmpty()) app_.MsgBox(problem);
}

QString Main::CommitPalette() {
  // The window is made without a palette until its Load.
  if (!saver_) return {};
  promptProblem_.clear();
  return saver_->SaveNow(PaletteRecords()).problem;
}

void Main::FlushPalette() {
  if (saver_) saver_->Flush();
}

void Main::PromptSaved(const palette::Saved& saved) {
  if (saved.problem.isEmpty()) {
    promptProblem_.clear();
    return;
  }
  if (saved.problem == promptProblem_) return;
  promptProblem_ = saved.problem;
  app_.MsgBox(saved.problem);
}

void Main::lblVERSION_MouseDown(std::int16_t, std::int16_t, float, float) {
  txtEXAMPLE->SetText(kNotice);
}

void Main::lblVERSION_MouseUp(std::int16_t, std::int16_t, float, float) {
  txtEXAMPLE->SetText(ExampleText());
}

void Main::EnterFirstState() {
  const InsideChange noStep(changing_);
  lngTEXTCOLOR = txtEXAMPLE->ForeColor();
  lngBACKCOLOR = txtEXAMPLE->BackColor();
  SetSliders(lngBACKCOLOR);
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
  const InsideChange noStep(changing_);
  blnSWITCHING = true;
  if (optITEM[0].Value()) {
    lngBACKCOLOR = txtEXAMPLE->BackColor();
    SetSliders(lngTEXTCOLOR);
  } else {
    lngTEXTCOLOR = txtEXAMPLE->ForeColor();
    SetSliders(lngBACKCOLOR);
  }
  blnSWITCHING = false;
}

void Main::lblSTORE_MouseDown(std::int16_t Index, std::int16_t Button, std::int16_t, float, float) {
  const bool store = Button == kRightButton;
  const QString name =
      store ? QStringLiteral("Store in Swatch %1") : QStringLiteral("Recall Swatch %1");
  Change(name.arg(Index + 1), [&] {
    MarkSwatch(Index);
    if (store) {
      lblSTORE[Index].SetColors(txtEXAMPLE->ForeColor(), txtEXAMPLE->BackColor());
      DescribeSwatch(Index);
      SwatchesChanged();
      return;
    }
    txtEXAMPLE->SetForeColor(lblSTORE[Index].ForeColor());
    txtEXAMPLE->SetBackColor(lblSTORE[Index].BackColor());
    lngBACKCOLOR = txtEXAMPLE->BackColor();
    lngTEXTCOLOR = txtEXAMPLE->ForeColor();
    const colour::ColourWord target = optITEM[0].Value() ? lngTEXTCOLOR : lngBACKCOLOR;
    SetSliders(target);
    UpdateFinalHex();
  });
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

void Main::UpdateFinalHex() {
  txtFINALHEX[0].SetText(FinalHex(txtEXAMPLE->ForeColor()));
  txtFINALHEX[1].SetText(FinalHex(txtEXAMPLE->BackColor()));
  ShowContrast();
}

void Main::ShowTarget() {
  blnSWITCHING = true;
  SetSliders(optITEM[0].Value() ? lngTEXTCOLOR : lngBACKCOLOR);
  blnSWITCHING = false;
  // A slider that kept its value left its box as typed.
  for (std::int16_t i = 0; i < 3; ++i) txtHEXCOLOR[i].SetText(ChannelHexText(vsbCOLOR[i].Value()));
  UpdateFinalHex();
}

void Main::SetSliders(colour::ColourWord word) {
  for (std::int16_t part = 0; part < 3; ++part) {
    vsbCOLOR[part].SetValue(colour::ColorPart(word, part));
  }
}

static_assert(kHistorySwatches == kSwatchCount);

void Main::Change(const QString& name, const std::function<void()>& change, std::uint64_t run) {
  if (changing_ > 0) return change();
  const WindowState before = Snapshot();
  {
    const InsideChange inside(changing_);
    change();
  }
  history_.Record(name, before, Snapshot(), run);
}

WindowState Main::Snapshot() const {
  WindowState state;
  state.fore = txtEXAMPLE->ForeColor();
  state.back = txtEXAMPLE->BackColor();
  for (std::int16_t i = 0; i < kSwatchCount; ++i) {
    state.swatches[static_cast<std::size_t>(i)] = {lblSTORE[i].ForeColor(),
                                                   lblSTORE[i].BackColor()};
  }
  state.marked = MarkedSwatch();
  for (std::int16_t i = 0; i < 3; ++i) {
    state.channels[static_cast<std::size_t>(i)] = txtHEXCOLOR[i].Text();
  }
  return state;
}

void Main::Restore(const WindowState& state) {
  const InsideChange noStep(changing_);
  bool swatches = false;
  for (std::int16_t i = 0; i < kSwatchCount; ++i) {
    const auto& [fore, back] = state.swatches[static_cast<std::size_t>(i)];
    if (lblSTORE[i].ForeColor() == fore && lblSTORE[i].BackColor() == back) continue;
    lblSTORE[i].SetColors(fore, back);
    DescribeSwatch(i);
    swatches = true;
  }
  MarkSwatch(state.marked);
  ShowPair(state.fore, state.back);
  // A box reads as it was typed ("0A") when it shows that value again; with
  // the other target chosen since, it may show another.
  for (std::int16_t i = 0; i < 3; ++i) {
    const QString& typed = state.channels[static_cast<std::size_t>(i)];
    if (ChannelOf(typed) == vsbCOLOR[i].Value()) txtHEXCOLOR[i].SetText(typed);
  }
  if (swatches) SwatchesChanged();
}

void Main::ShowPair(colour::ColourWord fore, colour::ColourWord back) {
  txtEXAMPLE->SetColors(fore, back);
  lngTEXTCOLOR = fore;
  lngBACKCOLOR = back;
  ShowTarget();
}

void Main::SwatchesChanged() {
  // The preview's pair goes along, as it stands now; the close writes it
  // again as it stands then.
  if (saver_) saver_->Store(PaletteRecords());
}

}  // namespace window
