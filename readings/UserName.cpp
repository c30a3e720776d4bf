#include "readings/UserName.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace cx {

std::string CurrentUserName(const tEventLog& events) {
    const uid_t uid = geteuid();
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 1024);
    for (;;) {
        passwd entry{};
        passwd* result = nullptr;
        const int error = getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &result);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error == 0 && result != nullptr && result->pw_name != nullptr) {
            return result->pw_name;
        }
        const std::string reason =
            error != 0 ? std::strerror(error) : "no user entry for uid " + std::to_string(uid);
        events.WriteEvent("gcu1 " + reason);
        return {};
    }
}

}  // namespace cx
