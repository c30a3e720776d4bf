#include "readings/Batteries.h"

#include <algorithm>
#include <exception>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr size_t kVoltageSlots = 10;
constexpr size_t kFirstTemperatureSlot = 5;  // T6
constexpr size_t kTemperatureSlots = 5;      // T6..T10

// An integer attribute of a supply, -1 when it is missing or unreadable.
int64_t Attribute(const std::string& directory, std::string_view name, std::string& buffer) {
    std::string path = directory;
    path += '/';
    path += name;
    int64_t value = -1;
    if (!ReadIntegerFile(path, value, buffer)) return -1;
    return value;
}

std::string TextAttribute(const std::string& directory, std::string_view name,
                          std::string& buffer) {
    std::string path = directory;
    path += '/';
    path += name;
    if (!ReadSystemFile(path, buffer)) return {};
    return std::string(TrimText(buffer));
}

int64_t Thousandths(int64_t value) {
    return value < 0 ? -1 : value / 1000;
}

}  // namespace

bool ReadBatteryReport(const std::string& directory, tBatteryReport& report, std::string& buffer) {
    report = tBatteryReport{};
    const std::string status = TextAttribute(directory, "status", buffer);
    if (status.empty() && TextAttribute(directory, "type", buffer).empty()) return false;
    report.present = Attribute(directory, "present", buffer) != 0;
    if (!report.present) return true;
    if (status == "Discharging")
        report.onMains = 0;
    else if (status == "Charging" || status == "Full" || status == "Not charging")
        report.onMains = 1;

    if (const int64_t energy = Attribute(directory, "energy_now", buffer); energy >= 0) {
        report.remaining = Thousandths(energy);
        report.full = Thousandths(Attribute(directory, "energy_full", buffer));
        report.design = Thousandths(Attribute(directory, "energy_full_design", buffer));
    } else if (const int64_t charge = Attribute(directory, "charge_now", buffer); charge >= 0) {
        // Charge in mAh is no energy figure: the capacities are relative ones.
        report.relative = true;
        report.remaining = Thousandths(charge);
        report.full = Thousandths(Attribute(directory, "charge_full", buffer));
        report.design = Thousandths(Attribute(directory, "charge_full_design", buffer));
    } else if (const int64_t percent = Attribute(directory, "capacity", buffer); percent >= 0) {
        report.relative = true;
        report.remaining = percent;
        report.full = 100;
    }
    if (const int64_t microvolts = Attribute(directory, "voltage_now", buffer); microvolts >= 0)
        report.voltage = microvolts / 10000;
    // Tenths of a degree; a negative temperature is a real reading.
    std::string path = directory + "/temp";
    if (int64_t tenths = 0; ReadIntegerFile(path, tenths, buffer)) report.temperature = tenths * 10;
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
    for (const std::string& name : names) {
        const std::string directory = base + name;
        if (TextAttribute(directory, "type", buffer) != "Battery") continue;
        // Peripherals report their batteries with the scope "Device".
        if (TextAttribute(directory, "scope", buffer) == "Device") continue;
        rs.batteryDevices.push_back(directory);
        context.events.WriteEvent("Found battery: " + directory);
    }
    context.events.WriteEvent("Battery slots: " + std::to_string(rs.batteryDevices.size()));
}

int tBatterySource::MainsOnline(const std::string& root) {
    const std::string base = RootedPath(root, "/sys/class/power_supply/");
    ListFolder(base, m_names);
    int online = -1;
    for (const std::string& name : m_names) {
        m_path.assign(base).append(name);
        if (TextAttribute(m_path, "type", m_buffer) != "Mains") continue;
        if (Attribute(m_path, "online", m_buffer) == 1) return 1;
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
            if (!ReadBatteryReport(directory, m_report, m_buffer)) {
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
