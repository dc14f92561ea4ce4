// Text replacement as the scripts and control files need it.
#pragma once

#include <string>
#include <string_view>

namespace quire::preview {

// The text with every occurrence of `from` replaced by `to`, found from left to right without overlap;
// a replacement is not searched again. An empty `from` changes nothing.
inline std::string replaced(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty())
        return std::string(text);
    std::string out;
    std::size_t start = 0;
    for (auto at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        out.append(text.substr(start, at - start)).append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

} // namespace quire::preview
