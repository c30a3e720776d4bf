#pragma once
// Linux's own sensors: the chips of /sys/class/hwmon. Temperatures fill T1..,
// fans F1.. and voltages V1.. with running slot numbers over the chips in a
// stable order, unless a slot is bound to one sensor by "chip:label".
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "readings/HeldFiles.h"
#include "readings/ReadingContext.h"

namespace cx {

enum class tHwmonKind { Temperature, Fan, Voltage };

// One input of a chip: temp<i>_input, fan<i>_input or in<i>_input.
struct tHwmonInput {
    tHwmonKind kind = tHwmonKind::Temperature;
    int index = 0;
    std::string path;   // the _input file
    std::string label;  // the _label file, else the input's name ("temp1")
};

struct tHwmonChip {
    std::string name;                 // the chip's "name" file
    std::string sortKey;              // the path of the device behind the chip
    std::string directory;            // the hwmonN entry, which changes from boot to boot
    std::vector<tHwmonInput> inputs;  // temperatures, fans, voltages, each by index
};

// Splits an attribute name such as "temp12_input" into kind and index.
bool ParseHwmonInputName(std::string_view fileName, tHwmonKind& kind, int& index);

// The chips under <root>/sys/class/hwmon ordered by the device behind each
// and their name, with their inputs.
std::vector<tHwmonChip> ScanHwmonChips(const std::string& root);

// A slot bound to one sensor by the optional "OrderHwmon" section, key form
// "T3", "F1", "V10" and value form "chip:label" (T3=coretemp:Package id 0).
using tHwmonBindings = std::map<std::string, std::string>;

class tHwmonSource : public IReadingSource {
public:
    tHwmonSource() = default;
    explicit tHwmonSource(const tHwmonBindings& bindings) { SetBindings(bindings); }

    // Replaces the slot bindings; keys or values that cannot be read are ignored.
    void SetBindings(const tHwmonBindings& bindings);

    // Reads every input into its slot. Slots that still carry their default
    // label take "chip label" on the first pass that finds chips. When the
    // settings' OrderHwmon bindings differ from those seen at the last pass,
    // they replace the current bindings.
    void Read(tReadingContext& context) override;

private:
    struct tBinding {
        std::string chip, label;
    };
    using tSlotBindings = std::array<tBinding, 10>;

    void RescanWhenChanged(const std::string& root);
    void ReadChips(tReadingContext& context);
    tSlotBindings& BindingsOf(tHwmonKind kind);

    std::array<tSlotBindings, 3> m_bindings;
    // The settings' bindings as last applied; empty settings leave the
    // bindings given to the constructor in place.
    tHwmonBindings m_settingsBindings;
    std::vector<tHwmonChip> m_chips;
    // The hwmonN entries the chip list was built from; a change rescans.
    std::vector<std::string> m_entries, m_listing;
    std::string m_scannedRoot, m_base;
    bool m_namesGiven = false;
    tHeldFolder m_folder;
    tHeldFiles m_files;
    std::string m_buffer;
};

}  // namespace cx
