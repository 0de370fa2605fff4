// Building the window: its controls from the layout table, their tab order,
// and the wiring of every event to its handler.
#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <algorithm>
#include <utility>
#include <vector>

#include "colour/contrast.h"
#include "colour/csswrite.h"
#include "forms/fonts.h"
#include "icons.h"
#include "window/checkpalette.h"
#include "window/layout.h"
#include "window/main.h"
#include "window/texts.h"

namespace window {

namespace {

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
  control.SetColors(row.foreColor == kStandardColour ? control.ForeColor() : row.foreColor,
                    row.backColor == kStandardColour ? control.BackColor() : row.backColor);
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

Main::Main(forms::App& app, instance::WindowFinder& finder, QString perUserPalette,
           QString installedBin)
    : form(Text(kCaption), kClientWidth, kClientHeight),
      app_(app),
      finder_(finder),
      perUserPalette_(std::move(perUserPalette)),
      installedBin_(std::move(installedBin)) {
  form.widget()->setObjectName(QStringLiteral("main"));
  // From pixel words compiled in, which Qt takes as they are: an image file
  // would make it look through its image plugins at every start.
  QIcon icon;
  for (const auto& [pixels, size] : {std::pair{kIcon16, 16}, {kIcon32, 32}, {kIcon64, 64}}) {
    icon.addPixmap(QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(pixels), size, size,
                                             QImage::Format_ARGB32_Premultiplied)));
  }
  form.SetIcon(icon);
  if (!app_.msgBoxHandler) {
    // Titled with the product's name, which the guard may take from the
    // application's title before a message is shown.
    app_.msgBoxHandler = [this, product = app_.Title()](const QString& text) {
      QMessageBox::warning(form.widget(), product, text);
    };
  }
  BuildControls();
  SetTabOrder();
  ConnectEvents();
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
        bar->SetValue(kSliderValue);
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
  vsbCOLOR.Connect(&forms::VScrollBar::onScroll, [this](std::int16_t i) {
    ChangeAt({RunKind::Drag, i}, [this, i] { vsbCOLOR_Scroll(i); });
  });
  vsbCOLOR.Connect(&forms::VScrollBar::onChange, [this](std::int16_t i) {
    ChangeAt({RunKind::Moves, i}, [this, i] { vsbCOLOR_Change(i); });
  });
  txtHEXCOLOR.Connect(&forms::TextBox::onChange, [this](std::int16_t i) {
    ChangeAt({RunKind::Typing, i}, [this, i] { txtHEXCOLOR_Change(i); });
  });
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
    txtFINALHEX[i].AddMenuCommand(QStringLiteral("Copy hsl()"), copy(&colour::CssHslText));
    txtFINALHEX[i].AddMenuCommand(QStringLiteral("Copy oklch()"), copy(&colour::CssOklchText));
    txtFINALHEX[i].AddMenuCommand(QStringLiteral("Copy CSS pair"), [this] {
      QApplication::clipboard()->setText(
          QString::fromStdString(colour::CssPair(FinalColour(0), FinalColour(1))));
    });
  }
  form.AddShortcut(QKeySequence::Paste, [this] { Form_Paste(); });
  ConnectPicking();
  lblSTORE.Connect(&forms::Label::onMouseDown,
                   [this](std::int16_t i, std::int16_t button, std::int16_t shift, float x,
                          float y) { lblSTORE_MouseDown(i, button, shift, x, y); });
  ConnectReadability();
  // After the readability entries' maker, which its own goes ahead of.
  ConnectHistory();
}

}  // namespace window
