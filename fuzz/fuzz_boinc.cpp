// The BOINC client's state file turned into task and project lists.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "readings/Boinc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<cx::tBOINCActiveTask> tasks;
    std::vector<cx::tBOINCProject> projects;
    cx::ParseBOINCState(std::string_view(reinterpret_cast<const char*>(data), size), tasks,
                        projects);
    return 0;
}
