#include "readings/BlockRivaTuner.h"

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "readings/BlockRules.h"
#include "readings/SystemFiles.h"
#include "settings/Formats.h"

namespace cx {

namespace {

constexpr size_t kVersion = 0x04;
constexpr size_t kEntryCount = 0x08;
constexpr size_t kEntrySizeField = 0x10;
constexpr size_t kEntries = 0x14;
constexpr uint32_t kFixedSizeVersion = 0x10000;
constexpr size_t kFixedEntrySize = 64;
constexpr size_t kNameWidth = 32;
constexpr size_t kValuePart1 = 0x34;
constexpr size_t kValuePart2 = 0x38;
// The end of the last field an entry carries: a smaller entry size would make
// entries overlap, and a size of 0 would read one entry forever.
constexpr size_t kEntryFieldsEnd = kValuePart2 + 4;

// The first slot whose fragment occurs in `lowerName`; its fragment becomes
// the name. An empty fragment matches nothing.
int MatchFragment(std::array<std::string, 10>& fragments, const std::string& lowerName) {
    for (size_t n = 0; n < fragments.size(); ++n) {
        if (fragments[n].empty() || lowerName.find(fragments[n]) == std::string::npos) continue;
        fragments[n] = lowerName;
        return static_cast<int>(n);
    }
    return -1;
}

}  // namespace

void ReadRivaTunerBlock(const tBlockView& view, tReadingContext& context) {
    const uint32_t signature = view.U32(0);
    const uint32_t version = view.U32(kVersion);
    char versionText[16];
    std::snprintf(versionText, sizeof versionText, "%04X", version);
    context.events.WriteEvent(std::string("Reading from RivaTuner shared memory version ") +
                              versionText + " " + std::to_string(signature));
    if (signature != kRivaTunerSignature) return;

    const int32_t count = view.I32(kEntryCount);
    const size_t size = version == kFixedSizeVersion ? kFixedEntrySize : view.U32(kEntrySizeField);
    if (count <= 0) return;
    if (size < kEntryFieldsEnd) {
        throw std::out_of_range("entry size " + std::to_string(size) + " is below the " +
                                std::to_string(kEntryFieldsEnd) + " bytes of an entry");
    }
    const size_t room = view.Size() > kEntries ? view.Size() - kEntries : 0;
    if (static_cast<size_t>(count) > room / size) {
        throw std::out_of_range(std::to_string(count) + " entries of " + std::to_string(size) +
                                " bytes beyond the block's " + std::to_string(view.Size()) +
                                " bytes");
    }

    tSample& s = context.rs.sample;
    tSettings& set = context.settings;
    for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
        const size_t entry = kEntries + k * size;
        const std::string name(TrimText(view.Text(entry, kNameWidth)));
        const double value =
            static_cast<double>(view.F32(entry + kValuePart2)) + view.F32(entry + kValuePart1);
        context.events.WriteEvent(name + " " + FormatFloat("0.#", value, '.'));

        const std::string lowerName = LowerAscii(name);
        const int t = MatchFragment(set.OrderRivaTunerT, lowerName);
        if (t >= 0) s.T[t] = ScaledSlot(value, 100);
        const int f = MatchFragment(set.OrderRivaTunerF, lowerName);
        if (f >= 0) s.F[f] = ScaledSlot(value, 1);
    }
}

}  // namespace cx
