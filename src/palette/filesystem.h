// What the palette file needs of the file system beyond Qt's portable calls,
// one file per platform: where a user's own palette goes, whether a place
// can take a save, and the rewrite in place that needs no room for a new file.
#pragma once

#include <QByteArray>
#include <QString>

namespace palette::fs {

// The per-user palette's path for the platform; empty when the system knows
// no such folder.
QString PerUserPath();

// Makes the folder `path` is in, with its parents; the system's reason when
// that fails.
QString MakeFolderFor(const QString& path);

// Whether a save could go to `path`: a new file in its folder, or the file
// itself rewritten. A full disk shows only when the save is tried.
bool TakesSave(const QString& path);

// Writes `image` over the start of the existing file at `path` by one write
// that never truncates it, and waits until it is on the disk; the system's
// reason when that fails.
QString RewriteInPlace(const QString& path, const QByteArray& image);

}  // namespace palette::fs
