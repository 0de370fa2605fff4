// What another local process may send a running copy: any bytes, cut into
// lines as they arrive in two pieces. A question read from them carries only
// handshake fields a desktop could have handed out.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "instance/linux/wire.h"

namespace {

bool Plain(const QByteArray& field) {
  for (const char c : field) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return field.size() <= 512;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size));
  // The first byte chooses where the bytes are split on the way.
  const qsizetype cut = size > 0 ? qsizetype(data[0]) % (bytes.size() + 1) : 0;
  instance::wire::LineBuffer buffer;
  buffer.Append(bytes.first(cut));
  buffer.Append(bytes.sliced(cut));
  while (const auto line = buffer.TakeLine()) {
    if (line->contains('\n')) std::abort();
    const auto question = instance::wire::ParseQuestion(*line);
    if (question &&
        !(Plain(question->handshake.activationToken) && Plain(question->handshake.startupId))) {
      std::abort();
    }
  }
  static_cast<void>(buffer.Overflowed());
  return 0;
}
