#include "readings/OutsideFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <utility>

namespace cx {

namespace {

// Closes the descriptor on every way out of the read.
class tFileDescriptor {
public:
    explicit tFileDescriptor(int fd) : m_fd(fd) {}
    ~tFileDescriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    tFileDescriptor(const tFileDescriptor&) = delete;
    tFileDescriptor& operator=(const tFileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

std::string OpeningTag(std::string_view tag) {
    std::string text = "<";
    text += tag;
    text += '>';
    return text;
}

}  // namespace

bool IsRegularFile(const std::filesystem::path& file) {
    struct stat info {};
    return stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> ReadOutsideFile(const std::filesystem::path& file, size_t limit) {
    // Non-blocking, so that a pipe put in the file's place cannot stall the
    // pass before the type check below turns it away.
    tFileDescriptor fd(open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0) return std::nullopt;
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > limit) return std::nullopt;

    std::string content;
    content.reserve(static_cast<size_t>(info.st_size));
    std::array<char, 65536> chunk{};
    for (;;) {
        const ssize_t got = read(fd.Get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;
        // The writer may have grown the file since it was measured.
        if (content.size() + static_cast<size_t>(got) > limit) return std::nullopt;
        content.append(chunk.data(), static_cast<size_t>(got));
    }
    return content;
}

std::string WithTrailingSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

bool tLineReader::Next(std::string_view& line) {
    if (m_rest.empty()) return false;
    const size_t end = m_rest.find('\n');
    if (end == std::string_view::npos) {
        line = m_rest;
        m_rest = {};
    } else {
        line = m_rest.substr(0, end);
        m_rest.remove_prefix(end + 1);
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

std::optional<std::string_view> ElementContent(std::string_view text, std::string_view tag) {
    const std::string opening = OpeningTag(tag);
    const size_t start = text.find(opening);
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start + opening.size());
    std::string closing = "</";
    closing += tag;
    closing += '>';
    const size_t end = text.find(closing);
    if (end == std::string_view::npos) return std::nullopt;
    return text.substr(0, end);
}

bool HasOpeningTag(std::string_view text, std::string_view tag) {
    return text.find(OpeningTag(tag)) != std::string_view::npos;
}

std::string DecodeXmlText(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities = {{
        {"&amp;", '&'},
        {"&lt;", '<'},
        {"&gt;", '>'},
        {"&quot;", '"'},
        {"&apos;", '\''},
    }};
    std::string decoded;
    decoded.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& [entity, character] : kEntities) {
                if (text.substr(i, entity.size()) == entity) {
                    decoded += character;
                    i += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) decoded += text[i++];
    }
    return decoded;
}

}  // namespace cx
