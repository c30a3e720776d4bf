#pragma once
// The programs work in UTF-8. Files from older installations are 8-bit text in
// the Windows-1252 code page; such text is recognised and converted on read.
#include <string>
#include <string_view>

namespace cx {

bool IsValidUtf8(std::string_view bytes);

// Windows-1252 bytes to UTF-8 (undefined code points map to U+FFFD).
std::string Windows1252ToUtf8(std::string_view bytes);

// The text itself when it is valid UTF-8, else its Windows-1252 reading.
std::string ToUtf8(std::string_view bytes);

}  // namespace cx
