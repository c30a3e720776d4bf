#include "readings/Hwmon.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr int kSlotCount = 10;

struct tKindName {
    std::string_view prefix;
    tHwmonKind kind;
};
constexpr std::array<tKindName, 3> kKindNames{{
    {"temp", tHwmonKind::Temperature},
    {"fan", tHwmonKind::Fan},
    {"in", tHwmonKind::Voltage},
}};

// The path of the device behind a chip: its "device" link, else the folder
// that holds the chip's hwmon folder.
std::string DeviceKey(const std::filesystem::path& chip) {
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(chip / "device", ec);
    if (!ec) return device.string();
    std::filesystem::path self = std::filesystem::canonical(chip, ec);
    if (ec) return chip.string();
    self = self.parent_path();
    if (self.filename() == "hwmon") self = self.parent_path();
    return self.string();
}

int16_t ScaleInput(tHwmonKind kind, int64_t raw, bool acceptZero) {
    switch (kind) {
        case tHwmonKind::Temperature: {
            // Millidegrees; a reading of 0 or below is no reading unless accepted.
            const int16_t t = ToSlot16(static_cast<double>(raw) / 10.0);
            return t <= 0 && !acceptZero ? kNoValue16 : t;
        }
        case tHwmonKind::Fan:
            return ToSlot16(static_cast<double>(raw));
        case tHwmonKind::Voltage:
            return ToSlot16(static_cast<double>(raw) / 10.0);  // millivolts
    }
    return kNoValue16;
}

int16_t* SlotsOf(tSample& s, tHwmonKind kind) {
    switch (kind) {
        case tHwmonKind::Temperature:
            return s.T;
        case tHwmonKind::Fan:
            return s.F;
        case tHwmonKind::Voltage:
            return s.V;
    }
    return s.T;
}

std::array<std::string, 10>& NamesOf(tSettings& settings, tHwmonKind kind) {
    switch (kind) {
        case tHwmonKind::Temperature:
            return settings.nameT;
        case tHwmonKind::Fan:
            return settings.nameF;
        case tHwmonKind::Voltage:
            return settings.nameV;
    }
    return settings.nameT;
}

char SlotLetter(tHwmonKind kind) {
    return kind == tHwmonKind::Temperature ? 'T' : kind == tHwmonKind::Fan ? 'F' : 'V';
}

}  // namespace

bool ParseHwmonInputName(std::string_view fileName, tHwmonKind& kind, int& index) {
    if (!fileName.ends_with("_input")) return false;
    fileName.remove_suffix(6);
    for (const tKindName& k : kKindNames) {
        if (!fileName.starts_with(k.prefix)) continue;
        const std::string_view digits = fileName.substr(k.prefix.size());
        if (digits.empty() || !std::isdigit(static_cast<unsigned char>(digits[0]))) continue;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (error != std::errc() || end != digits.data() + digits.size() || index < 0) return false;
        kind = k.kind;
        return true;
    }
    return false;
}

std::vector<tHwmonChip> ScanHwmonChips(const std::string& root) {
    std::vector<tHwmonChip> chips;
    const std::string base = RootedPath(root, "/sys/class/hwmon/");
    std::vector<std::string> entries, files;
    std::string buffer;
    ListFolder(base, entries);
    for (const std::string& entry : entries) {
        tHwmonChip chip;
        chip.directory = base + entry;
        if (ReadSystemFile(chip.directory + "/name", buffer)) chip.name = TrimText(buffer);
        if (chip.name.empty()) chip.name = entry;
        chip.sortKey = DeviceKey(chip.directory);
        ListFolder(chip.directory, files);
        for (const std::string& file : files) {
            tHwmonInput input;
            if (!ParseHwmonInputName(file, input.kind, input.index)) continue;
            input.path = chip.directory + "/" + file;
            const std::string stem = file.substr(0, file.size() - 6);
            if (ReadSystemFile(chip.directory + "/" + stem + "_label", buffer))
                input.label = TrimText(buffer);
            if (input.label.empty()) input.label = stem;
            chip.inputs.push_back(std::move(input));
        }
        std::sort(chip.inputs.begin(), chip.inputs.end(),
                  [](const tHwmonInput& a, const tHwmonInput& b) {
                      return a.kind != b.kind ? a.kind < b.kind : a.index < b.index;
                  });
        chips.push_back(std::move(chip));
    }
    // hwmonN numbers follow the order the drivers loaded in, which changes from
    // boot to boot; the device path and the name do not.
    std::sort(chips.begin(), chips.end(), [](const tHwmonChip& a, const tHwmonChip& b) {
        if (a.sortKey != b.sortKey) return a.sortKey < b.sortKey;
        if (a.name != b.name) return a.name < b.name;
        return a.directory < b.directory;
    });
    return chips;
}

tHwmonSource::tSlotBindings& tHwmonSource::BindingsOf(tHwmonKind kind) {
    return m_bindings[static_cast<size_t>(kind)];
}

void tHwmonSource::SetBindings(const tHwmonBindings& bindings) {
    m_bindings = {};
    for (const auto& [key, value] : bindings) {
        if (key.size() < 2) continue;
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
        tHwmonKind kind;
        if (letter == 'T')
            kind = tHwmonKind::Temperature;
        else if (letter == 'F')
            kind = tHwmonKind::Fan;
        else if (letter == 'V')
            kind = tHwmonKind::Voltage;
        else
            continue;
        int slot = 0;
        const auto [end, error] = std::from_chars(key.data() + 1, key.data() + key.size(), slot);
        if (error != std::errc() || end != key.data() + key.size() || slot < 1 || slot > kSlotCount)
            continue;
        const size_t colon = value.find(':');
        if (colon == std::string::npos) continue;
        tBinding binding{std::string(TrimText(std::string_view(value).substr(0, colon))),
                         std::string(TrimText(std::string_view(value).substr(colon + 1)))};
        if (binding.chip.empty() || binding.label.empty()) continue;
        BindingsOf(kind)[slot - 1] = std::move(binding);
    }
}

void tHwmonSource::RescanWhenChanged(const std::string& root) {
    if (m_base.empty() || m_scannedRoot != root) m_base = RootedPath(root, "/sys/class/hwmon/");
    m_folder.List(m_base, m_listing);
    if (m_scannedRoot == root && m_listing == m_entries) return;
    m_chips = ScanHwmonChips(root);
    m_entries = m_listing;
    m_scannedRoot = root;
}

void tHwmonSource::ReadChips(tReadingContext& context) {
    tSample& s = context.rs.sample;
    const bool acceptZero = context.settings.AcceptZeroValue;
    const bool giveNames = !m_namesGiven && !m_chips.empty();
    // The next running slot number of each kind, 0-based.
    std::array<int, 3> next{};
    for (const tHwmonChip& chip : m_chips) {
        for (const tHwmonInput& input : chip.inputs) {
            const tSlotBindings& bound = BindingsOf(input.kind);
            int slot = -1;
            bool boundHere = false;
            for (int j = 0; j < kSlotCount; ++j) {
                if (bound[j].chip == chip.name && bound[j].label == input.label) {
                    slot = j;
                    boundHere = true;
                    break;
                }
            }
            if (!boundHere) {
                // Running numbers step over the slots that are bound to a sensor.
                int& n = next[static_cast<size_t>(input.kind)];
                while (n < kSlotCount && !bound[n].chip.empty()) ++n;
                if (n >= kSlotCount) continue;
                slot = n++;
            }
            int64_t raw = 0;
            // An input that cannot be read (a disabled channel) has no value.
            SlotsOf(s, input.kind)[slot] = m_files.ReadInteger(input.path, raw, m_buffer)
                                               ? ScaleInput(input.kind, raw, acceptZero)
                                               : kNoValue16;
            if (giveNames) {
                std::string& name = NamesOf(context.settings, input.kind)[slot];
                if (name == SlotLetter(input.kind) + std::to_string(slot + 1))
                    name = chip.name + " " + input.label;
            }
        }
    }
    if (giveNames) m_namesGiven = true;
}

void tHwmonSource::Read(tReadingContext& context) {
    // The options editor may change the section while the monitor runs; the
    // comparison costs no allocation on the passes where nothing changed.
    if (context.settings.OrderHwmon != m_settingsBindings) {
        m_settingsBindings = context.settings.OrderHwmon;
        SetBindings(m_settingsBindings);
    }
    RescanWhenChanged(context.root);
    ReadChips(context);
}

}  // namespace cx
