#pragma once
// The network step: the interface table from /sys/class/net (with the IPv4
// addresses from getifaddrs on the real machine), the binding of the four
// network slots to adapters, and cumulative KB counters that survive the
// 4 GB wrap of 32-bit octet counters.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "readings/HeldFiles.h"
#include "readings/InterfaceWatch.h"
#include "readings/ReadingContext.h"

namespace cx {

// One row of the interface table.
struct tInterfaceRow {
    std::string name;    // kernel interface name, also the description
    uint32_t index = 0;  // interface index
    std::array<uint8_t, 8> mac{};
    size_t macLength = 0;
    uint32_t lastChange = 0;      // changes when the interface was reset or reconnected
    uint32_t inOctets = 0;        // low 32 bits of the received byte counter
    uint32_t outOctets = 0;       // low 32 bits of the sent byte counter
    std::string ipText;           // AdapterIPText of the interface
    uint32_t carrierChanges = 0;  // the link's up and down count
};

inline constexpr std::string_view kNoMacText = "00-00-00-00-00-00";
inline constexpr std::string_view kUnknownIPText = "???.???.???.???";
inline constexpr std::string_view kZeroIPText = "  0.  0.  0.  0";

// "00-00-00-00-00-00" for length 0, else the first `length` bytes (at most 8)
// as upper-case hex pairs joined by "-".
std::string MacToText(const uint8_t* bytes, size_t length);
// The same text into `text`, reusing its capacity.
void MacToText(const uint8_t* bytes, size_t length, std::string& text);

// Each byte of the address, first octet first, as "%3d." with the final point
// removed: 192.168.1.10 is "192.168.  1. 10".
std::string IPToText(const std::array<uint8_t, 4>& address);

// A sysfs hardware address ("aa:bb:cc:dd:ee:ff"); at most 8 bytes are kept.
bool ParseMacAddress(std::string_view text, std::array<uint8_t, 8>& bytes, size_t& length);

// Extends a cumulative KB counter by the system's 32-bit octet counter: the
// counter follows the interface's total as long as it wraps at most once
// between two passes. 32-bit arithmetic wraps as the stored counters do.
int32_t ExtendCounter(int32_t accumulated, uint32_t octets);

class tNetworkSource : public IReadingSource {
public:
    void Read(tReadingContext& context) override;

    // Reads the interface table under `root` into `rows`, ordered by interface
    // index. A missing /sys/class/net gives an empty table; the IP lookup's
    // failure is logged as "gifi1 " and leaves the IP texts unknown. When the
    // folder is the kernel's own and the kernel announces no change of its
    // interfaces, only the counters of the rows already read are read again.
    void ReadInterfaceTable(const std::string& root, const tEventLog& events,
                            std::vector<tInterfaceRow>& rows);

    // The network step over one interface table: the adapter list, the slot
    // binding and the counters. Each row's failure is logged as "fnm1 ".
    static void ApplyInterfaceTable(const std::vector<tInterfaceRow>& rows,
                                    tReadingContext& context);

private:
    // What the source remembers of an interface to notice a counter reset
    // that the carrier count does not show (a driver reload, a re-created
    // interface): the full 64-bit counters of the last pass.
    struct tCounterHistory {
        std::string name;
        uint32_t index = 0;
        uint64_t rxBytes = 0, txBytes = 0;
        uint32_t resets = 0;
        bool seen = false;
    };

    // The attributes that change only with an announcement: index, MAC and
    // the link's up and down count.
    bool ReadRowAttributes(const std::string& base, tInterfaceRow& row);
    // The counters and the stamp that follows resets; false when the
    // interface vanished.
    bool ReadRowCounters(const std::string& base, tInterfaceRow& row);
    const std::string& AttributePath(const std::string& base, const std::string& name,
                                     std::string_view attribute);
    uint32_t ResetCount(const tInterfaceRow& row, uint64_t rxBytes, uint64_t txBytes);
    void LookUpAddresses(const tEventLog& events, std::vector<tInterfaceRow>& rows);
    void ReadWholeTable(const std::string& root, const tEventLog& events,
                        std::vector<tInterfaceRow>& rows);

    std::vector<tInterfaceRow> m_rows;
    std::vector<tCounterHistory> m_history;
    std::vector<std::string> m_names;
    tInterfaceWatch m_watch;
    tHeldFolder m_folder;
    tHeldFiles m_files;
    // True when m_rows holds the kernel's own table, read whole from
    // m_tableRoot since the last announcement.
    bool m_realTableRead = false;
    std::string m_tableRoot;
    std::string m_buffer, m_path;
};

}  // namespace cx
