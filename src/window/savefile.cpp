#include "window/savefile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QToolTip>
#include <algorithm>

#include "window/main.h"
#include "window/texts.h"

namespace window {

namespace {

// The full path of `path` with its folder's links resolved, whether or not
// the file exists, so that two names of one file compare equal.
QString Resolved(const QString& path) {
  const QFileInfo info(path);
  const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
  return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

}  // namespace

std::optional<SavePlace> AskWhere(QWidget* parent, const QString& title,
                                  std::span<const FileType> types, const QString& name,
                                  QString& folder) {
  QFileDialog dialog(parent, title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  QStringList filters;
  for (const FileType& type : types) filters << Text(type.filter);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(Text(types.front().suffix));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    dialog.setDefaultSuffix(Text(
        types[static_cast<std::size_t>(std::max<qsizetype>(filters.indexOf(filter), 0))].suffix));
  });
  if (folder.isEmpty()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  }
  dialog.setDirectory(folder);
  dialog.selectFile(name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  SavePlace place{dialog.selectedFiles().front(), 0};
  folder = QFileInfo(place.path).absolutePath();
  place.type = static_cast<std::size_t>(
      std::max<qsizetype>(filters.indexOf(dialog.selectedNameFilter()), 0));
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (QFileInfo(place.path).suffix().compare(Text(types[i].suffix), Qt::CaseInsensitive) == 0) {
      place.type = i;
    }
  }
  return place;
}

bool Main::SaveText(const QString& path, const std::string& text, const Saving& saving,
                    QWidget* tipOver) {
  const QString shown = QDir::toNativeSeparators(path);
  const QString what = Text(saving.what);
  for (const QString& palettePath : {strCFGPATH, perUserPalette_}) {
    if (!palettePath.isEmpty() && Resolved(path) == Resolved(palettePath)) {
      app_.MsgBox(QStringLiteral("The %1 was not %2: %3 is the palette file the program keeps "
                                 "its colours in. Choose another name.")
                      .arg(what, Text(saving.done), shown));
      return false;
    }
  }
  QSaveFile file(path);
  const auto size = static_cast<qint64>(text.size());
  if (file.open(QIODevice::WriteOnly) && file.write(text.data(), size) == size && file.commit()) {
    QString done = Text(saving.done);
    done[0] = done[0].toUpper();
    Tell(tipOver, QStringLiteral("%1 the %2 to %3.").arg(done, what, shown));
    return true;
  }
  app_.MsgBox(QStringLiteral("Could not %1 the %2 to %3: %4.")
                  .arg(Text(saving.verb), what, shown, file.errorString()));
  return false;
}

}  // namespace window
