#include "picker/gdipicker.h"
#include "picker/screenpicker.h"

namespace picker {

Backend MakeScreenPicker() {
  return {std::make_unique<GdiPicker>(), {}};
}

}  // namespace picker
