// Saving a text the window makes for the user, an exported palette or the
// palette check's report: the save dialog that asks where and in which type,
// and (Main::SaveText) the writing through a save file, a refusal or failure
// reported the same way for each.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <span>

class QWidget;

namespace window {

struct FileType {
  const char* filter;  // "CSS custom properties (*.css)"
  const char* suffix;  // "css"
};

struct SavePlace {
  QString path;
  std::size_t type;  // index into the types offered
};

// Asks where to save, proposing `name` in `folder` (the Documents folder
// while it is empty), which becomes the folder chosen. The type is the
// filter left chosen, unless the name typed ends in another type's suffix.
// Nothing when the user cancels.
std::optional<SavePlace> AskWhere(QWidget* parent, const QString& title,
                                  std::span<const FileType> types, const QString& name,
                                  QString& folder);

// What is saved, in the words its messages use: the palette is exported.
struct Saving {
  const char* what;  // "palette"
  const char* verb;  // "export"
  const char* done;  // "exported"
};

}  // namespace window
