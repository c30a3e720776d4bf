// Who and where this process runs, from the password database, the host name
// and the interface list.
#include "platform/SystemInfo.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <limits.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>

namespace cx {

std::optional<std::string> UserName() {
    struct passwd entry {};
    struct passwd* found = nullptr;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr && found->pw_name[0] != '\0') {
        return std::string(found->pw_name);
    }
    std::string fromEnvironment = EnvironmentValue("USER");
    if (!fromEnvironment.empty()) return fromEnvironment;
    return std::nullopt;
}

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::vector<std::string> LocalIPAddresses() {
    std::vector<std::string> ipv4;
    std::vector<std::string> ipv6;
    struct ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    for (const struct ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || (entry->ifa_flags & IFF_UP) == 0 ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        char text[INET6_ADDRSTRLEN] = {};
        if (entry->ifa_addr->sa_family == AF_INET) {
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            if ((ntohl(address->sin_addr.s_addr) >> 24) == 127) continue;
            if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr) {
                ipv4.emplace_back(text);
            }
        } else if (entry->ifa_addr->sa_family == AF_INET6) {
            const auto* address = reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr);
            // Link-local addresses need an interface to be reached, so no
            // resolver hands them out for the host's name.
            if (IN6_IS_ADDR_LOOPBACK(&address->sin6_addr) ||
                IN6_IS_ADDR_LINKLOCAL(&address->sin6_addr)) {
                continue;
            }
            if (inet_ntop(AF_INET6, &address->sin6_addr, text, sizeof text) != nullptr) {
                ipv6.emplace_back(text);
            }
        }
    }
    freeifaddrs(list);
    std::vector<std::string> all;
    for (auto* group : {&ipv4, &ipv6}) {
        for (auto& address : *group) {
            if (std::find(all.begin(), all.end(), address) == all.end()) all.push_back(address);
        }
    }
    return all;
}

std::string EnvironmentValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? value : "";
}

}  // namespace cx
