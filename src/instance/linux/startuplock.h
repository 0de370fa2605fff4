// The start-up lock: copies started at the same moment go through start-up
// one after another, so that two of them never both miss each other.
#pragma once

#include <QString>
#include <chrono>

#include "instance/linux/descriptor.h"

namespace instance {

// The lock is the kernel's lock on a file that stays in place, so it goes with
// its holder however that ends: a copy killed at any moment of its start-up
// leaves nothing that holds the next one back, and no copy has to judge from
// what a file says whether another is still alive. Held while the returned
// descriptor is open; an invalid one means the lock was not had within
// `timeout`, or cannot be had at `path`.
Descriptor TakeStartupLock(const QString& path, std::chrono::milliseconds timeout);

}  // namespace instance
