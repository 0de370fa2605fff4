// The channel boxes of a real window (offscreen) under any stream of typed
// characters, selections, Backspace, Enter, pastes, slider keys and target
// switches. After every step:
//   - each slider is within 0..255 and agrees with its box's text;
//   - a box grew past two characters only by a paste (or an undo or redo of
//     one), never by typing;
//   - the final hex boxes show the preview's two colours;
//   - the sliders show the channels of the preview colour they edit.
#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>

#include "colour/colour.h"
#include "window/main.h"

namespace {

class NoOtherCopies : public instance::WindowFinder {
 public:
  std::optional<Window> FindWindow(const QString&) override { return std::nullopt; }
  void ActivateWindow(const Window&) override {}
};

// A broken invariant is a finding like a crash: say which, and stop.
void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "Broken: %s\n", what);
  std::abort();
}

// One window for the whole run, shown once; every input starts it afresh
// from a colour pair of its own (see Reset), so that an input replays the
// same way.
struct Window {
  Window() {
    app.msgBoxHandler = [](const QString&) {};
    main.form.Load();
    main.form.Show();
    main.form.widget()->activateWindow();
    Require(QTest::qWaitForWindowActive(main.form.widget()), "the window became active");
  }

  // The state the program's start gives for a palette whose preview holds
  // `fore` on `back`, with no text selected, nothing to undo and nothing on
  // the clipboard.
  void Reset(colour::ColourWord fore, colour::ColourWord back) {
    QApplication::clipboard()->clear();
    main.vsbCOLOR[0].widget()->setFocus();
    if (!main.optITEM[1].Value()) QTest::mouseClick(main.optITEM[1].widget(), Qt::LeftButton);
    // Two changes of each slider rewrite its box, which clears the box's undo
    // history and any pasted text.
    for (std::int16_t part = 0; part < 3; ++part) {
      const colour::Channel value = colour::ColorPart(back, part);
      main.vsbCOLOR[part].SetValue(static_cast<std::int16_t>(value ^ 1));
      main.vsbCOLOR[part].SetValue(value);
    }
    main.txtEXAMPLE->SetForeColor(fore);
    main.txtEXAMPLE->SetBackColor(back);
    main.lngTEXTCOLOR = fore;
    main.lngBACKCOLOR = back;
    main.UpdateFinalHex();
    QCoreApplication::processEvents();
  }

  QLineEdit* Box(int index) const {
    return static_cast<QLineEdit*>(main.txtHEXCOLOR[static_cast<std::int16_t>(index)].widget());
  }

  QTemporaryDir programFolder;
  QTemporaryDir userFolder;
  forms::App app{QStringLiteral("Huvenor"), programFolder.path()};
  NoOtherCopies finder;
  window::Main main{app, finder, userFolder.filePath(QStringLiteral("kelvane.cfg"))};
};

enum class Step {
  Type,
  Backspace,
  Enter,
  Paste,
  Select,
  SelectAll,
  Caret,
  Delete,
  Focus,
  SliderKey,
  Target,
  kMaxValue = Target,
};

// A typed character as a keyboard gives it: control characters come with Ctrl.
void TypeCharacter(QLineEdit* box, char16_t c) {
  Qt::Key key = Qt::Key_unknown;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  if (c == u'\b') {
    key = Qt::Key_Backspace;
  } else if (c == u'\r') {
    key = Qt::Key_Return;
  } else if (c == u'\t') {
    key = Qt::Key_Tab;
  } else if (c == 0x1B) {
    key = Qt::Key_Escape;
  } else if (c >= 1 && c <= 26) {
    key = static_cast<Qt::Key>(Qt::Key_A + c - 1);
    modifiers = Qt::ControlModifier;
  } else if (c >= u'a' && c <= u'z') {
    key = static_cast<Qt::Key>(Qt::Key_A + (c - u'a'));
  } else if (c >= 0x20 && c < 0x7F) {
    key = static_cast<Qt::Key>(c);
  }
  QTest::sendKeyEvent(QTest::Click, box, key, QString(QChar(c)), modifiers);
}

// Ctrl+V pastes; Ctrl+Z and Ctrl+Y bring back a text the box held before.
bool RestoresOrPastes(char16_t c) {
  return c == 0x16 || c == 0x1A || c == 0x19;
}

void CheckInvariants(const window::Main& main, const std::array<qsizetype, 3>& allowed) {
  const bool textTarget = main.optITEM[0].Value();
  const colour::ColourWord target =
      textTarget ? main.txtEXAMPLE->ForeColor() : main.txtEXAMPLE->BackColor();
  for (std::int16_t i = 0; i < 3; ++i) {
    const std::int16_t value = main.vsbCOLOR[i].Value();
    Require(value >= colour::kChannelMin && value <= colour::kChannelMax,
            "a slider stays within 0..255");
    const QString text = main.txtHEXCOLOR[i].Text();
    Require(text.size() <= allowed[static_cast<std::size_t>(i)],
            "typing never lengthens a box past two characters");
    Require(value == colour::ClampChannel(colour::ChannelParse(text.toStdString())),
            "a slider agrees with its box");
    Require(value == colour::ColorPart(target, i), "the sliders show the edited preview colour");
  }
  Require(
      main.txtFINALHEX[0].Text().toStdString() == colour::FinalHex(main.txtEXAMPLE->ForeColor()),
      "the text colour's final hex shows the preview");
  Require(
      main.txtFINALHEX[1].Text().toStdString() == colour::FinalHex(main.txtEXAMPLE->BackColor()),
      "the background's final hex shows the preview");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: Qt's own statics may go first when the fuzzer exits.
  static QApplication* app = new QApplication(*argc, *argv);
  Require(app != nullptr, "the application exists");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // Never destroyed, like the application it needs.
  static Window* const shared = new Window;
  Window& window = *shared;
  window.Reset(input.ConsumeIntegral<colour::ColourWord>(),
               input.ConsumeIntegral<colour::ColourWord>());
  window::Main& main = window.main;
  // How long each box may be: two characters, or as long as it was before a
  // step that could not lengthen it.
  std::array<qsizetype, 3> allowed{2, 2, 2};
  int current = 0;
  CheckInvariants(main, allowed);
  for (int steps = 0; steps < 64 && input.remaining_bytes() > 0; ++steps) {
    const Step step = input.ConsumeEnum<Step>();
    QLineEdit* box = window.Box(current);
    const bool keyStep = step <= Step::Delete;
    // Keys reach the box that has the focus, as the user's do.
    if (keyStep && QApplication::focusWidget() != box) box->setFocus();
    std::array<qsizetype, 3> before{};
    for (std::size_t i = 0; i < 3; ++i) before[i] = window.Box(static_cast<int>(i))->text().size();
    bool pasted = false;
    switch (step) {
      case Step::Type: {
        const char16_t c = input.ConsumeBool() ? input.ConsumeIntegral<char16_t>()
                                               : input.ConsumeIntegral<std::uint8_t>();
        if (c == 0 || (c >= 0xD800 && c <= 0xDFFF)) break;
        pasted = RestoresOrPastes(c);
        TypeCharacter(box, c);
        break;
      }
      case Step::Backspace:
        QTest::keyClick(box, Qt::Key_Backspace);
        break;
      case Step::Enter:
        QTest::keyClick(box, input.ConsumeBool() ? Qt::Key_Return : Qt::Key_Enter);
        break;
      case Step::Paste: {
        const std::string text = input.ConsumeRandomLengthString(12);
        QApplication::clipboard()->setText(QString::fromLatin1(text.data(), text.size()));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        pasted = true;
        break;
      }
      case Step::Select: {
        const int length = static_cast<int>(box->text().size());
        const int start = input.ConsumeIntegralInRange(0, length);
        box->setSelection(start, input.ConsumeIntegralInRange(-start, length - start));
        break;
      }
      case Step::SelectAll:
        box->selectAll();
        break;
      case Step::Caret: {
        constexpr Qt::Key kKeys[] = {Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right};
        QTest::keyClick(box, kKeys[input.ConsumeIntegralInRange(0, 3)],
                        input.ConsumeBool() ? Qt::ShiftModifier : Qt::NoModifier);
        break;
      }
      case Step::Delete:
        QTest::keyClick(box, Qt::Key_Delete);
        break;
      case Step::Focus:
        current = input.ConsumeIntegralInRange(0, 2);
        window.Box(current)->setFocus();
        break;
      case Step::SliderKey: {
        constexpr Qt::Key kKeys[] = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                     Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
        QWidget* bar =
            main.vsbCOLOR[static_cast<std::int16_t>(input.ConsumeIntegralInRange(0, 2))].widget();
        QTest::keyClick(bar, kKeys[input.ConsumeIntegralInRange(0, 5)]);
        break;
      }
      case Step::Target:
        QTest::mouseClick(main.optITEM[input.ConsumeBool() ? 0 : 1].widget(), Qt::LeftButton);
        break;
    }
    // Enter's Tab is posted; it lands before the user's next key.
    QCoreApplication::processEvents();
    for (std::size_t i = 0; i < 3; ++i) {
      allowed[i] = pasted && static_cast<int>(i) == current ? std::numeric_limits<qsizetype>::max()
                                                            : std::max<qsizetype>(2, before[i]);
    }
    CheckInvariants(main, allowed);
  }
  return 0;
}
