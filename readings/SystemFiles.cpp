#include "readings/SystemFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "readings/Sample.h"

namespace cx {

namespace {

// The first read asks for this much; attributes and most /proc files fit.
constexpr size_t kInitialCapacity = 4096;

}  // namespace

std::string RootedPath(std::string_view root, std::string_view relative) {
    std::string path;
    if (!IsRealRoot(root)) {
        path.assign(root);
        while (!path.empty() && path.back() == '/') path.pop_back();
    }
    path.append(relative);
    return path;
}

bool IsRealRoot(std::string_view root) {
    return root.empty() || root == "/";
}

bool ReadSystemFile(const std::string& path, std::string& buffer) {
    buffer.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    if (buffer.capacity() < kInitialCapacity) buffer.reserve(kInitialCapacity);
    size_t used = 0;
    bool ok = true;
    for (;;) {
        if (used == buffer.capacity()) buffer.reserve(buffer.capacity() * 2);
        // Grow the string over its whole capacity so read() can fill it.
        buffer.resize(buffer.capacity());
        const ssize_t got = read(fd, buffer.data() + used, buffer.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (got == 0) break;
        used += static_cast<size_t>(got);
    }
    close(fd);
    buffer.resize(ok ? used : 0);
    return ok;
}

bool ListFolder(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

bool ReadIntegerFile(const std::string& path, int64_t& value, std::string& buffer) {
    return ReadSystemFile(path, buffer) && ParseInteger(buffer, value);
}

std::string_view TrimText(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool ParseInteger(std::string_view text, int64_t& value) {
    text = TrimText(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseDecimal(std::string_view text, double& value) {
    text = TrimText(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    // from_chars always takes the point as separator, whatever the locale.
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

int64_t RoundHalfEven(double value) {
    // The default floating-point mode rounds ties to even.
    return static_cast<int64_t>(std::nearbyint(value));
}

int16_t ToSlot16(double value) {
    if (!std::isfinite(value)) return kNoValue16;
    const double rounded = std::nearbyint(value);
    if (rounded >= kNoValue16 || rounded < -32768.0) return kNoValue16;
    return static_cast<int16_t>(rounded);
}

int32_t ToSlot32(int64_t value) {
    if (value >= kNoValue32) return kNoValue32 - 1;
    if (value < -kNoValue32) return -kNoValue32;
    return static_cast<int32_t>(value);
}

}  // namespace cx
