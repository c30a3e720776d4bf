#include "settings/EventLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <string>

#include "settings/Formats.h"

namespace cx {

tEventLog::tEventLog(std::filesystem::path file, const bool& debugFlag, const IClock& clock,
                     tLocaleFormats locale)
    : m_file(std::move(file)), m_debug(debugFlag), m_clock(clock), m_locale(std::move(locale)) {}

namespace {

// Control characters would split one event over several lines or hide part
// of it; they are shown as blanks.
void AppendPrintable(std::string& line, std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        line += (byte < 0x20 || byte == 0x7F) ? ' ' : c;
    }
}

// Appends the whole line with one write() on a descriptor opened for
// appending: the kernel places each such write at the end of the file as one
// piece, so lines of several processes and threads never interleave.
void AppendLine(const std::filesystem::path& file, const std::string& line) {
    const int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    ssize_t written;
    do {
        written = write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    close(fd);
}

}  // namespace

void tEventLog::WriteEvent(std::string_view text) const {
    if (!m_debug) return;
    // The log is a diagnostic aid: nothing it meets (a full disk, a locked or
    // vanished folder, no memory) may disturb the caller.
    try {
        const std::string pattern = m_locale.shortDateFormat + " " + m_locale.longTimeFormat;
        std::string line = "[" + FormatDateTime(pattern, m_clock.LocalNow(), m_locale) + "] ";
        line.reserve(line.size() + text.size() + 2);
        AppendPrintable(line, text);
        line += "\r\n";
        AppendLine(m_file, line);
    } catch (const std::exception&) {
        return;
    }
}

}  // namespace cx
