// The folder the copies' sockets and the start-up lock live in, and which of
// its files are trusted. Only this user's own folder and this user's own
// sockets are: a link, a plain file or anything of another user's is passed
// by and never removed.
#pragma once

#include <sys/types.h>

#include <QString>
#include <optional>

namespace instance {

// A folder of the program's own under the user's runtime folder; empty where
// the user has none.
QString DefaultRuntimeFolder();

// Makes `path` a folder that only this user can reach, or tells that it is
// not one: a symbolic link or another user's folder is never trusted.
bool PrepareRuntimeFolder(const QString& path);

// Which file a path named when it was looked at, so that a file is removed
// only if it is still the one that was judged.
struct FileId {
  dev_t device;
  ino_t inode;
  bool operator==(const FileId&) const = default;
};

// The socket at `path` if this user made it; nothing for anything else.
std::optional<FileId> OwnSocket(const QString& path);

// Removes the socket at `path` if it is still the file `id` names.
void RemoveSocket(const QString& path, std::optional<FileId> id);

}  // namespace instance
