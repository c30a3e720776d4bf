#include "readings/Batteries.h"

#include <algorithm>
#include <exception>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr size_t kVoltageSlots = 10;
constexpr size_t kFirstTemperatureSlot = 5;  // T6
constexpr size_t kTemperatureSlots = 5;      // T6..T10

int64_t Thousandths(int64_t value) {
    return value < 0 ? -1 : value / 1000;
}

}  // namespace

const std::string& tSupplyAttributes::PathOf(const std::string& directory, std::string_view name) {
    m_path.assign(directory).append(1, '/').append(name);
    return m_path;
}

int64_t tSupplyAttributes::Integer(const std::string& directory, std::string_view name) {
    int64_t value = -1;
    if (!m_files.ReadInteger(PathOf(directory, name), value, m_buffer)) return -1;
    return value;
}

bool tSupplyAttributes::SignedInteger(const std::string& directory, std::string_view name,
                                      int64_t& value) {
    return m_files.ReadInteger(PathOf(directory, name), value, m_buffer);
}

std::string_view tSupplyAttributes::Text(const std::string& directory, std::string_view name) {
    if (!m_files.Read(PathOf(directory, name), m_buffer)) return {};
    return TrimText(m_buffer);
}

bool ReadBatteryReport(const std::string& directory, tBatteryReport& report,
                       tSupplyAttributes& attributes) {
    report = tBatteryReport{};
    const auto Attribute = [&](std::string_view name) {
        return attributes.Integer(directory, name);
    };
    // The status is looked at before the next attribute reuses the buffer.
    const std::string_view status = attributes.Text(directory, "status");
    int onMains = -1;
    if (status == "Discharging")
        onMains = 0;
    else if (status == "Charging" || status == "Full" || status == "Not charging")
        onMains = 1;
    if (status.empty() && attributes.Text(directory, "type").empty()) return false;
    report.present = Attribute("present") != 0;
    if (!report.present) return true;
    report.onMains = onMains;

    if (const int64_t energy = Attribute("energy_now"); energy >= 0) {
        report.remaining = Thousandths(energy);
        report.full = Thousandths(Attribute("energy_full"));
        report.design = Thousandths(Attribute("energy_full_design"));
    } else if (const int64_t charge = Attribute("charge_now"); charge >= 0) {
        // Charge in mAh is no energy figure: the capacities are relative ones.
        report.relative = true;
        report.remaining = Thousandths(charge);
        report.full = Thousandths(Attribute("charge_full"));
        report.design = Thousandths(Attribute("charge_full_design"));
    } else if (const int64_t percent = Attribute("capacity"); percent >= 0) {
        report.relative = true;
        report.remaining = percent;
        report.full = 100;
    }
    if (const int64_t microvolts = Attribute("voltage_now"); microvolts >= 0)
        report.voltage = microvolts / 10000;
    // Tenths of a degree; a negative temperature is a real reading.
    if (int64_t tenths = 0; attributes.SignedInteger(directory, "temp", tenths))
        report.temperature = tenths * 10;
    return true;
}

void ApplyBatteryReport(const tBatteryReport& report, size_t index, tReadingSet& rs) {
    tSample& s = rs.sample;
    if (!report.present) return;
    if (report.onMains >= 0) s.OnMains = static_cast<uint8_t>(report.onMains);
    if (report.remaining >= 0) s.BatRemaining = ToSlot32(report.remaining);
    if (report.voltage >= 0 && index < kVoltageSlots) s.V[index] = ToSlot16(report.voltage);
    if (report.temperature > -100000 && index < kTemperatureSlots)
        s.T[kFirstTemperatureSlot + index] = ToSlot16(static_cast<double>(report.temperature));
    const int64_t d = report.design, f = report.full;
    if (d >= 0) {
        s.BatFull = ToSlot32(d);
        // A worn battery: its designed capacity is kept beside the full one.
        if (f >= 0 && d > f) rs.batDesign = ToSlot32(d);
    }
    if (f >= 0) s.BatFull = ToSlot32(f);
    rs.batRelative = report.relative ? 1 : 0;
}

void tBatteryListSource::Read(tReadingContext& context) {
    tReadingSet& rs = context.rs;
    rs.batteryDevices.clear();
    const std::string base = RootedPath(context.root, "/sys/class/power_supply/");
    std::vector<std::string> names;
    std::string buffer;
    ListFolder(base, names);
    const auto text = [&](const std::string& directory, const char* name) {
        return ReadSystemFile(directory + "/" + name, buffer) ? std::string(TrimText(buffer))
                                                              : std::string();
    };
    for (const std::string& name : names) {
        const std::string directory = base + name;
        if (text(directory, "type") != "Battery") continue;
        // Peripherals report their batteries with the scope "Device".
        if (text(directory, "scope") == "Device") continue;
        rs.batteryDevices.push_back(directory);
        context.events.WriteEvent("Found battery: " + directory);
    }
    context.events.WriteEvent("Battery slots: " + std::to_string(rs.batteryDevices.size()));
}

int tBatterySource::MainsOnline(const std::string& root) {
    if (!m_baseSet || root != m_baseRoot) {
        m_base = RootedPath(root, "/sys/class/power_supply/");
        m_baseRoot = root;
        m_baseSet = true;
    }
    m_folder.List(m_base, m_names);
    // A supply's type is fixed for its life: the mains supplies are picked
    // out again only when the folder's names change.
    if (m_names != m_listed) {
        m_listed = m_names;
        m_mains.clear();
        for (const std::string& name : m_names) {
            m_path.assign(m_base).append(name);
            if (m_attributes.Text(m_path, "type") == "Mains") m_mains.push_back(m_path);
        }
    }
    int online = -1;
    for (const std::string& directory : m_mains) {
        if (m_attributes.Integer(directory, "online") == 1) return 1;
        online = 0;
    }
    return online;
}

void tBatterySource::Read(tReadingContext& context) {
    tReadingSet& rs = context.rs;
    if (rs.batteryDevices.empty()) return;
    const int mains = MainsOnline(context.root);
    for (size_t i = 0; i < rs.batteryDevices.size(); ++i) {
        try {
            const std::string& directory = rs.batteryDevices[i];
            if (!ReadBatteryReport(directory, m_report, m_attributes)) {
                context.events.WriteEvent("ERROR reading battery " + directory);
                continue;
            }
            // The mains supply knows best; a machine without one has only the
            // battery's own charging state.
            if (m_report.present && mains >= 0) m_report.onMains = mains;
            ApplyBatteryReport(m_report, i, rs);
        } catch (const std::exception& e) {
            context.events.WriteEvent(std::string("gbd1 ") + e.what());
        }
    }
}

}  // namespace cx
