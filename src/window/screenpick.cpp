// Picking the current target's colour from anywhere on the screen. The
// picker is made on first use, so a start neither loads nor asks anything.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>
#include <chrono>

#include "window/main.h"

namespace window {

namespace {

const QKeySequence kPickKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_P);
constexpr std::chrono::milliseconds kAfterGrab(100);

}  // namespace

void Main::ConnectPicking() {
  QWidget* preview = txtEXAMPLE->widget();
  pickEntry_ = new QAction(QStringLiteral("Pick from Screen"), preview);
  pickEntry_->setShortcut(kPickKeys);
  pickEntry_->setShortcutVisibleInContextMenu(true);
  QObject::connect(pickEntry_, &QAction::triggered, preview, [this] { Form_PickFromScreen(); });
  txtEXAMPLE->AddLeadingMenuAction(pickEntry_);
  txtEXAMPLE->onContextMenu = [this](QMenu& menu) { txtEXAMPLE_ContextMenu(menu); };
  form.AddShortcut(kPickKeys, [this] { Form_PickFromScreen(); });
}

void Main::txtEXAMPLE_ContextMenu(QMenu& menu) {
  txtEXAMPLE_HistoryEntries(menu);
  HavePicker();
  UpdatePickEntry();
  menu.setToolTipsVisible(true);
}

void Main::UpdatePickEntry() {
  const QString why = picker_ ? picker_->Unavailable() : noPicker_;
  pickEntry_->setEnabled(why.isEmpty());
  pickEntry_->setToolTip(why);
}

bool Main::HavePicker() {
  if (!pickerMade_) {
    pickerMade_ = true;
    picker::Backend backend = picker::MakeScreenPicker();
    noPicker_ = backend.unavailable;
    picker_ = std::move(backend.picker);
    if (picker_) {
      picker_->onPicked = [this](colour::ColourWord word) { PickedColour(word); };
      picker_->onFailed = [this](const QString& reason) { TellAfterPick(reason); };
      // An open menu shows the answer as it comes.
      picker_->onAvailabilityChanged = [this] { UpdatePickEntry(); };
    }
  }
  return picker_ != nullptr;
}

void Main::Form_PickFromScreen() {
  // A picker that said it cannot pick is asked all the same: it may be able
  // to now, and otherwise says why as the pick fails.
  if (!HavePicker()) return TellAtPreview(noPicker_);
  picker_->Start(form.widget());
}

void Main::PickedColour(colour::ColourWord word) {
  // Through the sliders, so the handlers recolour the preview as a drag would.
  Change(QStringLiteral("Pick from Screen"), [&] { SetSliders(word); });
  const QString target =
      optITEM[0].Value() ? QStringLiteral("text colour") : QStringLiteral("background colour");
  TellAfterPick(QStringLiteral("Picked #%1 as the %2.")
                    .arg(QString::fromStdString(colour::FinalHex(word)), target));
}

void Main::TellAfterPick(const QString& text) {
  // Once the pointer's return from the grab has been told to our windows:
  // that crossing would close a tip shown at once.
  QTimer::singleShot(kAfterGrab, txtEXAMPLE->widget(), [this, text] { TellAtPreview(text); });
}

}  // namespace window
