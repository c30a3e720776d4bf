#include "readings/NetworkAdapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr uint32_t kKB4GB = 4194304;  // 4 GB in KB

// True when `text` contains `first`, a blank and `second` in a row.
bool ContainsJoined(std::string_view text, std::string_view first, std::string_view second) {
    for (size_t at = text.find(first); at != std::string_view::npos;
         at = text.find(first, at + 1)) {
        const std::string_view rest = text.substr(at + first.size());
        if (!rest.empty() && rest[0] == ' ' && rest.substr(1).starts_with(second)) return true;
    }
    return false;
}

// A slot's identity is the adapter's MAC text, or holds the MAC text, a blank
// and the description (adapters that share a MAC).
bool SlotMatches(const std::string& identity, const std::string& mac,
                 const std::string& description) {
    if (identity.empty()) return false;
    return identity == mac || ContainsJoined(identity, mac, description);
}

}  // namespace

std::string MacToText(const uint8_t* bytes, size_t length) {
    std::string text;
    MacToText(bytes, length, text);
    return text;
}

void MacToText(const uint8_t* bytes, size_t length, std::string& text) {
    if (length == 0) {
        text.assign(kNoMacText);
        return;
    }
    length = std::min<size_t>(length, 8);
    text.clear();
    constexpr char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) text += '-';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0x0F];
    }
}

std::string IPToText(const std::array<uint8_t, 4>& address) {
    char text[17];
    std::snprintf(text, sizeof text, "%3d.%3d.%3d.%3d", address[0], address[1], address[2],
                  address[3]);
    return text;
}

bool ParseMacAddress(std::string_view text, std::array<uint8_t, 8>& bytes, size_t& length) {
    text = TrimText(text);
    length = 0;
    bytes.fill(0);
    if (text.empty()) return true;
    size_t count = 0;
    while (!text.empty()) {
        const std::string_view part = text.substr(0, text.find(':'));
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(part.data(), part.data() + part.size(), value, 16);
        if (part.empty() || part.size() > 2 || error != std::errc() ||
            end != part.data() + part.size())
            return false;
        if (count < bytes.size()) bytes[count] = static_cast<uint8_t>(value);
        ++count;
        text.remove_prefix(std::min(text.size(), part.size() + 1));
    }
    length = std::min(count, bytes.size());
    return true;
}

int32_t ExtendCounter(int32_t accumulated, uint32_t octets) {
    const uint32_t k = octets >> 10;
    // mod keeps the sign of the dividend, as the stored counters expect.
    const int32_t low = accumulated % static_cast<int32_t>(kKB4GB);
    uint32_t result = static_cast<uint32_t>(accumulated) + k - static_cast<uint32_t>(low);
    if (k < static_cast<uint32_t>(low)) result += kKB4GB;
    return static_cast<int32_t>(result);
}

uint32_t tNetworkSource::ResetCount(const tInterfaceRow& row, uint64_t rxBytes, uint64_t txBytes) {
    auto it = std::find_if(m_history.begin(), m_history.end(),
                           [&](const tCounterHistory& h) { return h.name == row.name; });
    if (it == m_history.end()) {
        m_history.push_back({row.name, row.index, rxBytes, txBytes, 0, true});
        return 0;
    }
    // Full 64-bit counters never wrap in practice, so one that went back, or a
    // new interface index under the same name, is a reset.
    if (rxBytes < it->rxBytes || txBytes < it->txBytes || row.index != it->index) ++it->resets;
    it->index = row.index;
    it->rxBytes = rxBytes;
    it->txBytes = txBytes;
    it->seen = true;
    return it->resets;
}

const std::string& tNetworkSource::AttributePath(const std::string& base, const std::string& name,
                                                 std::string_view attribute) {
    m_path.assign(base).append(name).append(attribute);
    return m_path;
}

bool tNetworkSource::ReadRowAttributes(const std::string& base, tInterfaceRow& row) {
    int64_t index = 0;
    // An interface that vanished while the table was read has no counters; it
    // is left out rather than read as zeros, which would look like a wrap.
    if (!m_files.ReadInteger(AttributePath(base, row.name, "/ifindex"), index, m_buffer) ||
        index < 0)
        return false;
    row.index = static_cast<uint32_t>(index);

    row.macLength = 0;
    row.mac.fill(0);
    int64_t addressLength = -1;
    m_files.ReadInteger(AttributePath(base, row.name, "/addr_len"), addressLength, m_buffer);
    if (addressLength != 0 && m_files.Read(AttributePath(base, row.name, "/address"), m_buffer) &&
        ParseMacAddress(m_buffer, row.mac, row.macLength) && addressLength > 0)
        row.macLength = std::min(row.macLength, static_cast<size_t>(addressLength));

    int64_t carrierChanges = 0;
    if (!m_files.ReadInteger(AttributePath(base, row.name, "/carrier_changes"), carrierChanges,
                             m_buffer))
        carrierChanges = 0;
    row.carrierChanges = static_cast<uint32_t>(carrierChanges);
    row.ipText.assign(kUnknownIPText);
    return true;
}

bool tNetworkSource::ReadRowCounters(const std::string& base, tInterfaceRow& row) {
    int64_t rx = 0, tx = 0;
    if (!m_files.ReadInteger(AttributePath(base, row.name, "/statistics/rx_bytes"), rx, m_buffer) ||
        rx < 0)
        return false;
    if (!m_files.ReadInteger(AttributePath(base, row.name, "/statistics/tx_bytes"), tx, m_buffer) ||
        tx < 0)
        return false;
    row.inOctets = static_cast<uint32_t>(rx);
    row.outOctets = static_cast<uint32_t>(tx);
    const uint32_t resets = ResetCount(row, static_cast<uint64_t>(rx), static_cast<uint64_t>(tx));
    // Any change of the index, the link's up and down count or the reset count
    // changes the stamp.
    row.lastChange = row.index * 0x9E3779B1u ^ (row.carrierChanges + resets * 0x85EBCA6Bu);
    return true;
}

void tNetworkSource::LookUpAddresses(const tEventLog& events, std::vector<tInterfaceRow>& rows) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        events.WriteEvent(std::string("gifi1 ") + std::strerror(errno));
        return;
    }
    // Like a sorted address table: the lowest IPv4 address of an interface.
    std::vector<uint32_t> lowest(rows.size(), 0);
    std::vector<bool> found(rows.size(), false);
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET || a->ifa_name == nullptr)
            continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        const uint32_t host = ntohl(in->sin_addr.s_addr);
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].name != a->ifa_name) continue;
            if (!found[i] || host < lowest[i]) lowest[i] = host;
            found[i] = true;
        }
    }
    freeifaddrs(list);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!found[i]) continue;
        const uint32_t h = lowest[i];
        rows[i].ipText = IPToText({static_cast<uint8_t>(h >> 24), static_cast<uint8_t>(h >> 16),
                                   static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h)});
    }
}

void tNetworkSource::ReadWholeTable(const std::string& root, const tEventLog& events,
                                    std::vector<tInterfaceRow>& rows) {
    size_t count = 0;
    const std::string base = RootedPath(root, "/sys/class/net/");
    if (m_folder.List(base, m_names)) {
        for (tCounterHistory& h : m_history) h.seen = false;
        for (const std::string& name : m_names) {
            if (rows.size() <= count) rows.emplace_back();
            tInterfaceRow& row = rows[count];
            row.name = name;
            if (ReadRowAttributes(base, row) && ReadRowCounters(base, row)) ++count;
        }
        // Forget interfaces that are gone, so the history stays as small as the table.
        std::erase_if(m_history, [](const tCounterHistory& h) { return !h.seen; });
    }
    rows.resize(count);
    std::sort(rows.begin(), rows.end(), [](const tInterfaceRow& a, const tInterfaceRow& b) {
        return a.index != b.index ? a.index < b.index : a.name < b.name;
    });
    // A fake tree has no addresses of its own; its IP texts stay unknown.
    if (m_folder.IsKernelFolder() && !rows.empty()) LookUpAddresses(events, rows);
}

void tNetworkSource::ReadInterfaceTable(const std::string& root, const tEventLog& events,
                                        std::vector<tInterfaceRow>& rows) {
    // The watch speaks for the kernel's own table only; a fake tree is read whole.
    const bool changed = m_watch.Changed();
    if (changed || !m_realTableRead || root != m_tableRoot || &rows != &m_rows) {
        ReadWholeTable(root, events, rows);
        m_realTableRead = m_folder.IsKernelFolder() && &rows == &m_rows;
        m_tableRoot = root;
        return;
    }
    const std::string base = RootedPath(root, "/sys/class/net/");
    for (tInterfaceRow& row : rows) {
        if (ReadRowCounters(base, row)) continue;
        // An interface vanished before its announcement was read.
        ReadWholeTable(root, events, rows);
        return;
    }
}

void tNetworkSource::ApplyInterfaceTable(const std::vector<tInterfaceRow>& rows,
                                         tReadingContext& context) {
    tReadingSet& rs = context.rs;
    tSettings& settings = context.settings;
    tSample& s = rs.sample;
    constexpr int kSlots = static_cast<int>(kNetSlots);
    rs.netMon.resize(rows.size());
    // A slot takes the counters of the first adapter that matches it in a pass:
    // interfaces that share a MAC (a bridge and its port, VLANs) would otherwise
    // feed one slot by turns.
    std::array<bool, kNetSlots> fed{};
    for (size_t p = 0; p < rows.size(); ++p) {
        try {
            const tInterfaceRow& row = rows[p];
            tNetMon& entry = rs.netMon[p];
            entry.description.assign(TrimText(row.name));
            MacToText(row.mac.data(), row.macLength, entry.macText);
            entry.ipText = row.ipText;
            const auto matches = [&](int j) {
                return !fed[j] && SlotMatches(settings.macNet[j], entry.macText, entry.description);
            };

            if (entry.lastChange == row.lastChange && rs.passCounter != 0) {
                for (int j = 0; j < kSlots; ++j) {
                    if (!matches(j)) continue;
                    if (s.NetIn[j] == kNoValue32) s.NetIn[j] = 0;
                    if (s.NetOut[j] == kNoValue32) s.NetOut[j] = 0;
                    s.NetIn[j] = ExtendCounter(s.NetIn[j], row.inOctets);
                    s.NetOut[j] = ExtendCounter(s.NetOut[j], row.outOctets);
                    fed[j] = true;
                }
                continue;
            }

            // New or reset interface: bind a free slot, then restart the counters
            // of its slots from the interface's own totals.
            for (int j = 0; j < kSlots; ++j) {
                if (matches(j)) break;
                if (!settings.macNet[j].empty()) continue;
                if (entry.macText != kNoMacText && entry.ipText != kZeroIPText) {
                    // Interfaces that share this MAC get the description too, so
                    // each keeps its own slot.
                    const bool shared = std::any_of(rows.begin(), rows.end(), [&](const auto& r) {
                        return &r != &row && r.macLength == row.macLength &&
                               std::equal(r.mac.begin(), r.mac.begin() + r.macLength,
                                          row.mac.begin());
                    });
                    settings.macNet[j] =
                        shared ? entry.macText + " " + entry.description : entry.macText;
                    settings.nameNet[j] = entry.description;
                }
                break;
            }
            for (int j = 0; j < kSlots; ++j) {
                if (!matches(j)) continue;
                s.NetIn[j] = static_cast<int32_t>(row.inOctets >> 10);
                s.NetOut[j] = static_cast<int32_t>(row.outOctets >> 10);
                if (settings.nameNet[j] == "Net" + std::to_string(j + 1))
                    settings.nameNet[j] = entry.description;
                fed[j] = true;
            }
            entry.lastChange = row.lastChange;
        } catch (const std::exception& e) {
            context.events.WriteEvent(std::string("fnm1 ") + e.what());
        }
    }
}

void tNetworkSource::Read(tReadingContext& context) {
    try {
        ReadInterfaceTable(context.root, context.events, m_rows);
        ApplyInterfaceTable(m_rows, context);
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string("fnm2 ") + e.what());
    }
}

}  // namespace cx
