// The window `main`: its controls, its variables and one procedure per event
// it handles. The handlers read and write control properties and call the
// colour functions; the forms layer raises the events they react to, inside
// the assignments that cause them.
//
// main.cpp holds the design's handlers; controls.cpp builds the controls
// from the layout table and wires their events; webauthor.cpp and access.cpp
// hold what the window adds for web authors and for keyboard and
// assistive-tool users.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "colour/colour.h"
#include "colour/palette.h"
#include "colour/vision.h"
#include "forms/application.h"
#include "forms/controlarray.h"
#include "forms/drawfilter.h"
#include "forms/form.h"
#include "forms/label.h"
#include "forms/optionbutton.h"
#include "forms/picturebox.h"
#include "forms/shape.h"
#include "forms/textbox.h"
#include "forms/vscrollbar.h"
#include "instance/preventnewinstance.h"
#include "palette/palettefile.h"
#include "palette/promptsaver.h"
#include "picker/screenpicker.h"
#include "window/history.h"

class QAction;
class QMenu;

namespace window {

class CheckPalette;
struct Saving;

// The formats the palette exports to, in the order the save dialog offers them.
enum class PaletteFormat { Css, Gpl, Json };
// The formats of the palette check's report, in the same sense.
enum class ReportFormat { Html, Csv };

class Main {
 public:
  // `perUserPalette` is the per-user palette file (palette::PerUserPath());
  // empty for none. `installedBin` is the folder an installed copy's
  // executable is in: a copy run from there keeps its palette per-user.
  Main(forms::App& app, instance::WindowFinder& finder, QString perUserPalette,
       QString installedBin = {});
  ~Main();
  Main(const Main&) = delete;
  Main& operator=(const Main&) = delete;

  forms::Form form;

  std::unique_ptr<forms::TextBox> txtEXAMPLE;
  forms::ControlArray<forms::VScrollBar, 3> vsbCOLOR;
  forms::ControlArray<forms::Label, 3> lbl;
  forms::ControlArray<forms::TextBox, 2> txtFINALHEX;
  forms::ControlArray<forms::TextBox, 3> txtHEXCOLOR;
  forms::ControlArray<forms::OptionButton, 2> optITEM;
  std::unique_ptr<forms::PictureBox> Picture1;
  std::unique_ptr<forms::Label> lblVERSION;
  std::unique_ptr<forms::Label> lblLASTDATE;
  forms::ControlArray<forms::Label, 24> lblSTORE;
  std::unique_ptr<forms::Shape> shpSTOREMARK;

  colour::ColourWord lngTEXTCOLOR = 0;
  colour::ColourWord lngBACKCOLOR = 0;
  bool blnSWITCHING = false;
  QString strCFGPATH;
  palette::Record recSTORE;

  void Form_Load();
  void Form_Unload(std::int16_t& Cancel);
  void lblVERSION_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
  void lblVERSION_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
  void vsbCOLOR_Scroll(std::int16_t Index);
  void vsbCOLOR_Change(std::int16_t Index);
  void txtHEXCOLOR_Change(std::int16_t Index);
  void txtHEXCOLOR_LostFocus(std::int16_t Index);
  void txtHEXCOLOR_GotFocus(std::int16_t Index);
  void txtHEXCOLOR_KeyPress(std::int16_t Index, std::int16_t& KeyAscii);
  void txtFINALHEX_GotFocus(std::int16_t Index);
  void optITEM_Click(std::int16_t Index);
  void lblSTORE_MouseDown(std::int16_t Index, std::int16_t Button, std::int16_t Shift, float X,
                          float Y);
  void Picture1_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
  // Ctrl+V outside the channel boxes: a whole colour from the clipboard.
  void Form_Paste();
  // Ctrl+Shift+R and the preview's menu: the target colour moves in
  // lightness until the pair reaches `Threshold`.
  void txtEXAMPLE_MakeReadable(double Threshold);
  // The preview's Simulate menu: the preview and the swatches are drawn as
  // someone with that vision sees them.
  void txtEXAMPLE_Simulate(colour::Vision Vision);
  // Ctrl+Shift+C and the preview's menu: the pair's contrast and verdicts
  // as plain text on the clipboard.
  void txtEXAMPLE_CopyContrastReport();
  // The palette panel's menu: asks where, then exports.
  void Picture1_ExportPalette();
  // Writes the swatches and the preview to `path`; a failure is reported.
  // Returns whether the file was written.
  bool ExportPalette(const QString& path, PaletteFormat format);
  // Ctrl+Shift+K and the palette's menu: the Check Palette window, made the
  // first time it is asked for.
  void Picture1_CheckPalette();
  // Ctrl+Shift+A (for AA) and the palette's menu: in every swatch whose pair
  // fails `Threshold`, the target colour moves in lightness as Make Readable
  // moves the preview's; one step for undo.
  void Picture1_MakeAllReadable(double Threshold);
  // "Save Report..." in the Check Palette window: asks where, then saves.
  void CheckPalette_SaveReport();
  // Writes the palette check to `path`; a failure is reported. Returns
  // whether the file was written.
  bool SaveReport(const QString& path, ReportFormat format);
  // The palette panel's menu: asks which file, then imports it.
  void Picture1_ImportPalette();
  // Reads an exported palette back from `path` into the swatches, and into
  // the preview when the file holds its pair, as one step undo reverses. A
  // file not read whole changes nothing, and the message names the line
  // and why. Returns whether the palette was imported.
  bool ImportPalette(const QString& path);
  // Ctrl+Shift+X, or "Swap Text and Background" on the preview: the two
  // colour words change places as they stand; the target stays the same.
  void Form_Swap();
  // Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y, anywhere in the window, or the
  // entries that head the preview's menu: the window as it was before, or
  // after, the step last undone.
  void Form_Undo();
  void Form_Redo();
  // Ctrl+Shift+P, or "Pick from Screen" on the preview: the current target
  // takes a colour from anywhere on the screen.
  void Form_PickFromScreen();
  // The picker took `word` for the current target.
  void PickedColour(colour::ColourWord word);
  void UpdateFinalHex();

  // Sets the three sliders to the channels of `word`. Their Change handlers
  // then recolour the target and every box, as a drag would: the one way a
  // whole colour from elsewhere enters the window.
  void SetSliders(colour::ColourWord word);

  // Runs `change` as one step that undo reverses, named `name` on the
  // preview's menu; changes of one nonzero `run` join one step. A change
  // made inside another is part of that one's step. Whatever the controls'
  // handlers do outside a Change is the user's: a slider's move or the
  // typing in a channel box, which step their own runs.
  void Change(const QString& name, const std::function<void()>& change, std::uint64_t run = 0);
  WindowState Snapshot() const;
  const History& UndoHistory() const { return history_; }
  // Brings the window back to `state`: the preview, sliders, boxes,
  // swatches and marker exactly as they were. The target stays as chosen.
  void Restore(const WindowState& state);
  // After any change to the swatches' pairs: they reach the palette file
  // within a second, by the same safe save as at close.
  void SwatchesChanged();
  // The save the end of a session asks for: the same as at close, after
  // any prompt save in flight. Returns what the user should be told, which
  // the caller shows when the session lets it.
  QString CommitPalette();
  // For a program that ends without a close (its display went away):
  // writes a store that is still waiting for its prompt save.
  void FlushPalette();

 private:
  // The preview takes `fore` on `back` as the words stand, references
  // included; the sliders and boxes show the chosen target's colour.
  void ShowPair(colour::ColourWord fore, colour::ColourWord back);
  // The swatch the marker frames, and moving the marker to another.
  std::int16_t MarkedSwatch() const;
  void MarkSwatch(std::int16_t Index);
  // Tells assistive tools, and the tooltip, which pair a swatch holds and
  // how readable it is.
  void DescribeSwatch(std::int16_t Index);
  // The contrast of the preview's pair, on the preview and the hex boxes.
  void ShowContrast();
  // The colour word a final hex box shows: 0 the text colour, 1 the background.
  colour::ColourWord FinalColour(std::int16_t Index) const;
  // Adds the colours' hsl() and oklch() forms to the tooltips of the
  // preview and the final hex boxes, once for each pair shown.
  void CompleteTips();
  // "Simulating Protanopia: contrast 3.90:1" for the preview's pair as
  // drawn under the chosen vision; empty for normal vision.
  QString SimulatedContrast() const;
  // The contrast ratio of a pair, and its summary, judged by the colours it
  // is drawn with.
  double DrawnContrast(colour::ColourWord fore, colour::ColourWord back) const;
  QString ContrastOf(colour::ColourWord fore, colour::ColourWord back) const;
  // The swatches' pairs, then the preview's, as they are drawn.
  colour::PaletteColours DrawnColours() const;
  // The pair at `index` of DrawnColours() changed: the palette check, when
  // open, follows. Every pair shown changes through ShowContrast (the
  // preview) or DescribeSwatch, which call this.
  void PairChanged(std::size_t index);
  // Writes `text` to `path` through a save file, unless `path` is the
  // palette file; a refusal or failure is reported, a success told at
  // `tipOver`.
  bool SaveText(const QString& path, const std::string& text, const Saving& saving,
                QWidget* tipOver);

  // What makes one run of a control's changes: the user's drag of a slider,
  // its other moves while it keeps the focus, the typing in a channel box.
  enum class RunKind : std::uint8_t { None, Drag, Moves, Typing };
  struct RunSource {
    RunKind kind = RunKind::None;
    std::int16_t index = 0;
    bool operator==(const RunSource&) const = default;
  };
  // Runs a control's handler for `source`: as the user's change, a step of
  // that control's run, unless it is part of a change already under way.
  void ChangeAt(RunSource source, const std::function<void()>& handler);
  // The next change of any control starts a step of its own.
  void EndRun();
  // The sliders and channel boxes show the target's colour as the preview
  // holds it, without recolouring the preview; the final boxes follow.
  void ShowTarget();
  // The swap's entry and key, undo's and redo's keys, and what ends a run.
  void ConnectHistory();
  void AddSwapEntry();
  // As the preview's menu opens: "Undo <step>" and "Redo <step>" head it.
  void txtEXAMPLE_HistoryEntries(QMenu& menu);

  void ConnectPicking();
  // As the preview's menu opens: the pick entry says whether picking is
  // possible here, and why not.
  void txtEXAMPLE_ContextMenu(QMenu& menu);
  // Makes the picker on first use; false, with noPicker_ saying why, where
  // the session has none.
  bool HavePicker();
  // The pick entry enabled, or disabled with the reason as its tip, as the
  // picker last said.
  void UpdatePickEntry();
  // TellAtPreview once the end of a pick has reached our windows.
  void TellAfterPick(const QString& text);

  void BuildControls();
  void ConnectEvents();
  // The preview's and the palette's menus for readability and export, the
  // shortcut that makes a pair readable, and the simulation's drawing.
  void ConnectReadability();
  // The preview menu's entries for readability and simulation.
  void AddReadabilityEntries();
  // Shows `text` as a tooltip over `over`.
  void Tell(QWidget* over, const QString& text);
  // Shows `text` as a tooltip over the preview.
  void TellAtPreview(const QString& text);
  void SetTabOrder();
  void EnterFirstState();
  void LoadPalette();
  void SavePalette();
  // The 24 swatches and the preview's pair, as the palette file holds them.
  palette::Records PaletteRecords();
  // A prompt save's result: a problem is told once, not again for every
  // store that meets it, until a prompt save succeeds.
  void PromptSaved(const palette::Saved& saved);

  forms::App& app_;
  History history_;
  // How deep in changes the window is: 0 while nothing changes, when a
  // handler that runs is the user's.
  int changing_ = 0;
  RunSource run_;
  std::uint64_t runs_ = 0;  // the id of run_'s run
  // Undo's and redo's entries, made as the preview's menu first opens.
  QAction* undoEntry_ = nullptr;
  QAction* redoEntry_ = nullptr;
  QAction* historySeparator_ = nullptr;
  instance::WindowFinder& finder_;
  QString perUserPalette_;
  QString installedBin_;
  std::unique_ptr<palette::PaletteFile> paletteFile_;
  // Every save of paletteFile_ goes through it; it goes first.
  std::unique_ptr<palette::PromptSaver> saver_;
  QString promptProblem_;
  // The pair whose contrast is on show: switching the target or recalling a
  // swatch updates the final hex boxes several times for one pair.
  std::optional<std::pair<colour::ColourWord, colour::ColourWord>> contrastShown_;
  // The contrast part of those tooltips, and whether the CSS forms of the
  // pair are in them yet.
  QString contrastSummary_;
  bool cssTipsComplete_ = false;
  // Draws the preview and the swatches as the chosen vision sees them.
  colour::Vision vision_ = colour::Vision::Normal;
  forms::DrawFilter simulation_;
  QString exportFolder_;  // where the last export or import was, for both
  QString reportFolder_;
  // Made when first asked for, so that a start pays nothing for it.
  std::unique_ptr<CheckPalette> checkPalette_;
  QList<QAction*> makeAllReadable_;  // on the palette's menu, owned by the palette
  // Made when first wanted, so that a start neither loads nor asks anything
  // for picking.
  bool pickerMade_ = false;
  QString noPicker_;
  std::unique_ptr<picker::ScreenPicker> picker_;
  QAction* pickEntry_ = nullptr;  // on the preview's menu, owned by the preview
};

}  // namespace window
