#pragma once
// Passwords are stored only scrambled: each byte is mixed with a running key
// and the result is written as Base64. The scrambled bytes are exactly as many
// as the password's.
#include <string>
#include <string_view>

#include "settings/EventLog.h"

namespace cx {

// Scrambles every byte of `plain`; failures are logged as "enc1 " and give "".
std::string EncodePassword(std::string_view plain, const tEventLog& events);

// Reverses EncodePassword. Text that is not Base64 is logged as "dec1 " and
// gives "".
std::string DecodePassword(std::string_view scrambled, const tEventLog& events);

}  // namespace cx
