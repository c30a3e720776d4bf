#pragma once
// How long the user has been away from keyboard and mouse.
#include <cstdint>

namespace cx {

// Milliseconds since the last input on the X display (screen-saver extension,
// loaded at run time so no display library is needed to build), or -1 when
// there is no display or the query fails.
int64_t IdleMilliseconds();

}  // namespace cx
