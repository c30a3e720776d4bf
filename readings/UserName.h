#pragma once
// The name of the user this program runs as.
#include <string>

#include "settings/EventLog.h"

namespace cx {

// The login name of the effective user; empty when the system knows no name
// for it, which is logged as "gcu1 " and the reason.
std::string CurrentUserName(const tEventLog& events);

}  // namespace cx
