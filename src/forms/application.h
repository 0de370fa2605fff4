// The application object: the program's folder, its title, whether another
// copy is running, ending the program and telling the user something. It
// needs Qt Core only, so the palette and a windowless copy can use it.
//
// How the title is made visible to other copies and how another copy is
// detected belong to the single-instance guard; this object only holds the
// values and tells an observer when the title changes.
#pragma once

#include <QString>
#include <functional>

namespace forms {

class App {
 public:
  // `title`: the product name a copy's title starts as. `path`: the program's
  // folder, by default the executable's (tests run the window elsewhere).
  explicit App(QString title, QString path = {});

  // Folder of the program, without a trailing separator.
  QString Path() const;

  QString Title() const { return title_; }
  void SetTitle(const QString& title);

  bool PrevInstance() const { return prevInstance_; }
  void SetPrevInstance(bool running) { prevInstance_ = running; }

  // Ends the program at once: no Unload, nothing saved. Runs the end hook
  // first, so the copy can withdraw from what other copies see.
  [[noreturn]] void End();

  // Shows `text` to the user through the handler, which the window sets to a
  // message box that waits until it is acknowledged; without one (a copy with
  // no window) the text goes to standard error.
  void MsgBox(const QString& text);

  std::function<void(const QString& title)> onTitleChanged;
  std::function<void()> onEnd;
  // Replaces the message box, e.g. to collect messages in tests.
  std::function<void(const QString& text)> msgBoxHandler;

 private:
  QString title_;
  QString path_;
  bool prevInstance_ = false;
};

}  // namespace forms
