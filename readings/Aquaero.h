#pragma once
// The aquaero controller's values from the XML file its software exports,
// "aquaero.xml": one element per value, each on its own line, with a comma
// as decimal separator. The "OrderAquaero" tags say which element fills which
// slot.
#include <string>
#include <string_view>
#include <utility>

#include "readings/ReadingContext.h"
#include "readings/Sample.h"
#include "settings/Settings.h"

namespace cx {

inline constexpr std::string_view kAquaeroFile = "aquaero.xml";
// The aquaero software's executable, whose folder holds the file.
inline constexpr std::string_view kAquaeroProgram = "aquasuite.exe";

// Reads one line of the file into the sample: for each slot the first of its
// T, V and F tags whose element is in the line with a number as content.
// Temperatures and voltages are stored in hundredths; a fan value from 255 on
// is rpm, a smaller positive one a percentage (stored negative, in hundredths).
void ApplyAquaeroLine(std::string_view line, const tSettings& settings, tSample& sample);

// Every line of the file's text.
void ApplyAquaeroText(std::string_view text, const tSettings& settings, tSample& sample);

// The folder to read the file from: `current` when the file is there; else
// the program folder when it has the file, else the settings folder when it
// has it, else `current` as it was. Folders carry a trailing '/'.
std::string ChooseAquaeroDirectory(const std::string& current, const std::string& settingsDir,
                                   const std::string& programDir);

// The source of the aquaero step. When `AquaeroPath` is empty it looks for the
// running aquaero software first; the folder found is kept in the setting.
class tAquaeroSource : public IReadingSource {
public:
    // Empty folders: the settings folder is the event log's folder, the program
    // folder the one of this executable.
    tAquaeroSource(std::string settingsDir = {}, std::string programDir = {})
        : m_settingsDir(std::move(settingsDir)), m_programDir(std::move(programDir)) {}
    void Read(tReadingContext& context) override;

private:
    std::string m_settingsDir;
    std::string m_programDir;
};

}  // namespace cx
