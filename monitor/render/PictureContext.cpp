#include "monitor/render/PictureContext.h"

namespace cx {

std::string WebAddressText() {
    std::string text = kProductWebAddress;
    const size_t scheme = text.find("://");
    if (scheme != std::string::npos) text.erase(0, scheme + 3);
    while (!text.empty() && text.back() == '/') text.pop_back();
    return text;
}

std::string CoreText(int cores) {
    if (cores == 1) return "1 core";
    if (cores <= 0) return {};
    return std::to_string(cores) + " cores";
}

}  // namespace cx
