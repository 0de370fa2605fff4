// Saves palettes over and over until it is killed, so that a test can kill it
// in the middle of a save. Save number g writes a palette whose every word
// tells g, so a file holding records of two saves shows as a mix:
//   record n = {g, n - g}
// Numbering goes on from the palette it loads, so a file whose number went
// down was written over by an older palette. It prints "saving" once the
// first save is done, then saves again at once.
//
// Usage: palette_saver BESIDE PER-USER
#include <cstdint>
#include <cstdio>

#include "palette/palettefile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: palette_saver BESIDE PER-USER\n");
    return 2;
  }
  palette::PaletteFile file(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
  const auto last = file.Load().records[0];
  bool told = false;
  for (std::int32_t g = last ? last->fore + 1 : 1;; ++g) {
    palette::Records records;
    for (int n = 1; n <= palette::kRecordCount; ++n) records[n - 1] = {g, n - g};
    const palette::Saved saved = file.Save(records);
    if (!saved.problem.isEmpty()) {
      std::fprintf(stderr, "%s\n", saved.problem.toLocal8Bit().constData());
      return 1;
    }
    if (!told) {
      told = true;
      std::puts("saving");
      std::fflush(stdout);
    }
  }
}
