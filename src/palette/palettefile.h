// The palette file: 25 records of two little-endian signed 32-bit colour
// words (text colour, then background colour), 200 bytes, no header.
// Records 1 to 24 hold the swatches, record 25 the preview. Every word is
// kept bit for bit, system-colour references included.
//
// Where it lives. Each copy has one home for its palette in a run and reads
// from where it will write; no file's date is ever compared. An installed
// copy (its executable in the bin folder of the prefix it was built for)
// keeps its palette in the per-user configuration folder and never writes
// beside itself. Any other copy is portable: its palette lives beside it.
// When at start that place cannot take a save (the folder takes no new file
// and the file cannot be rewritten, or the path holds something that is not
// a file, or a file that cannot be read), this run's home is the per-user
// file; it reads that file, or the one beside the program while there is no
// per-user file yet. A portable copy whose own place can take a save never
// reads the per-user file, so two copies of one user keep their own palettes.
//
// Failures never end the program. A save writes a temporary file, syncs it
// and renames it over the old one, so a failed save, a kill or a power cut
// leaves the old palette or the new one, whole. Where that cannot be done
// (the disk has no room for a new file) an existing file is rewritten in
// place by one write that never truncates it. A portable copy whose home
// failed at close saves to the per-user file and says so. A file that
// exists but cannot be read is reported and never written by this run, so a
// palette this run could not see is not replaced by the standard colours.
// For the same reason a file whose bytes another program changed after Load
// is first copied aside (or, where no copy can be made, left as it is) and
// the user told; a file given only a new date counts as unchanged. Each
// write counts as what this run last wrote, so that a prompt save
// (promptsaver.h) and the save at close after it judge alike. One object
// is used by one thread at a time.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace palette {

inline constexpr char kFileName[] = "kelvane.cfg";
inline constexpr int kRecordCount = 25;
inline constexpr int kSwatchCount = 24;
inline constexpr int kPreviewRecord = 25;  // 1-based, as records are numbered
inline constexpr int kRecordLength = 8;
inline constexpr int kFileSize = kRecordCount * kRecordLength;

// One record; the window's buffer `recSTORE` is one of these.
struct Record {
  std::int32_t fore = 0;
  std::int32_t back = 0;
  friend bool operator==(const Record&, const Record&) = default;
};

using Records = std::array<Record, kRecordCount>;

struct Loaded {
  // Record n at [n-1]; empty for a record the file did not hold whole (or
  // for all of them when there was no file to read), so that swatch keeps
  // its design-time colours.
  std::array<std::optional<Record>, kRecordCount> records;
  // A sentence for the user for each file that exists but could not be
  // read; empty when there was none.
  QString problem;
};

struct Saved {
  QString path;     // where the palette went; empty when it went nowhere
  QString problem;  // one message for the user when it could not be saved
                    // anywhere, naming the paths and the system's reasons,
                    // or when a file changed by another program was kept
                    // aside or left alone; empty otherwise
};

// The palette file's path in the user's configuration folder, for a program
// folder that cannot take it; empty when the system knows no such folder.
// Needs the application's name to be set.
QString PerUserPath();

class PaletteFile {
 public:
  // `besideProgram` and `perUser` are full paths of the file: the window's
  // `strCFGPATH` and usually PerUserPath(); an empty path is never used.
  // `installedBin` is the folder an installed copy's executable is in;
  // empty when no copy counts as installed. The per-user folder is created
  // when the palette is first saved there.
  PaletteFile(QString besideProgram, QString perUser, QString installedBin = {});

  // Settles this run's home, then reads the palette from it.
  Loaded Load();
  Saved Save(const Records& records);

 private:
  // A file's content as this run last read or wrote it; its date is no part.
  struct Seen {
    bool exists = false;
    QByteArray digest;  // of every byte, records and tail
    friend bool operator==(const Seen&, const Seen&) = default;
  };
  struct Place {
    QString path;
    bool unreadable = false;  // exists but Load could not read it
    // What this run may write over: empty when Load did not look (a save
    // without a load judges nothing); a file Load did not read counts as
    // another's, kept aside before the save.
    std::optional<Seen> seen;
  };

  static Seen StateOf(const QString& path);
  // The home first; a portable copy's home beside it falls back to the
  // per-user file. Settled once, by Load or the first Save.
  // Load passes `loaded` and reads the home's file into it.
  void Settle(Loaded* loaded, QStringList& problems);
  static void ReadInto(Place& place, Loaded& loaded, QStringList& problems);

  QString beside_;
  QString perUser_;
  QString installedBin_;
  std::optional<std::vector<Place>> places_;
};

}  // namespace palette
