// Text from files, settings and the locale is outside input: the UTF-8 check,
// the Windows-1252 reading, the command-line splitter and the strftime
// translation must take any bytes, and their results must keep their promises.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Locale.h"
#include "platform/Processes.h"
#include "platform/TextEncoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Whatever came in, what the programs work with is valid UTF-8, and valid
    // UTF-8 passes through unchanged.
    const std::string text = cx::ToUtf8(bytes);
    if (!cx::IsValidUtf8(text)) __builtin_trap();
    if (cx::IsValidUtf8(bytes) && text != bytes) __builtin_trap();
    if (!cx::IsValidUtf8(cx::Windows1252ToUtf8(bytes))) __builtin_trap();

    // Joining the words of a command line and splitting again gives them back.
    const std::string line(bytes);
    const auto words = cx::SplitCommandLine(line);
    if (cx::SplitCommandLine(cx::JoinCommandLine(words)) != words) __builtin_trap();

    cx::StrftimeToPattern(line);
    return 0;
}
