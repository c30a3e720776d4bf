#pragma once
// MIME Base64: the standard alphabet, "=" padding, no line breaks.
#include <optional>
#include <string>
#include <string_view>

namespace cx {

std::string EncodeBase64(std::string_view bytes);

// The bytes of a Base64 text, or nothing when the text is not Base64: a
// character outside the alphabet, padding anywhere but at the end, or a length
// no encoder makes. The padding may be left off.
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace cx
