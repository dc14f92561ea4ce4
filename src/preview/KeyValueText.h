// The "key=value" lines of ffprobe's output and of the kept measure files.
#pragma once

#include <string_view>

namespace quire::preview {

// Calls take(key, value) for each line of `text` that holds a '=' (the key is what stands before the
// first one), with LF or CR LF line ends; other lines are skipped.
template <typename Take>
void forEachKeyValue(std::string_view text, Take take) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (const std::size_t eq = line.find('='); eq != std::string_view::npos)
            take(line.substr(0, eq), line.substr(eq + 1));
    }
}

} // namespace quire::preview
