#include "readings/InterfaceWatch.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace cx {

tInterfaceWatch::tInterfaceWatch() {
    m_socket = socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (m_socket < 0) return;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(m_socket);
        m_socket = -1;
    }
}

tInterfaceWatch::~tInterfaceWatch() {
    if (m_socket >= 0) close(m_socket);
}

bool tInterfaceWatch::Changed() {
    if (m_socket < 0) return true;
    bool changed = false;
    // The content does not matter: any announcement means the table is read again.
    alignas(nlmsghdr) char message[8192];
    for (;;) {
        const ssize_t got = recv(m_socket, message, sizeof message, MSG_DONTWAIT);
        if (got > 0) {
            changed = true;
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return changed;
        // ENOBUFS: announcements were lost while nobody read them. Any other
        // error leaves the watch unusable; from now on every pass reads the table.
        if (got < 0 && errno != ENOBUFS) {
            close(m_socket);
            m_socket = -1;
        }
        return true;
    }
}

}  // namespace cx
