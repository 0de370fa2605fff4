// A control array: a fixed family of like controls under one name, addressed
// by a 16-bit index that every event of the family passes first.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <memory>
#include <utility>

namespace forms {

template <typename Control, std::size_t Count>
class ControlArray {
 public:
  static constexpr std::int16_t kCount = static_cast<std::int16_t>(Count);

  Control& operator[](std::int16_t index) const {
    assert(index >= 0 && index < kCount);
    return *members_[static_cast<std::size_t>(index)];
  }

  void Set(std::int16_t index, std::unique_ptr<Control> member) {
    members_[static_cast<std::size_t>(index)] = std::move(member);
  }

  // Connects `event` of every member to `handler`, which receives the
  // member's index before the event's own arguments.
  template <typename Event, typename Handler>
  void Connect(Event Control::*event, Handler handler) {
    for (std::int16_t index = 0; index < kCount; ++index) {
      (*this)[index].*event = [handler, index](auto&&... args) {
        handler(index, std::forward<decltype(args)>(args)...);
      };
    }
  }

 private:
  std::array<std::unique_ptr<Control>, Count> members_;
};

}  // namespace forms
