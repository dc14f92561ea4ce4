// The built-in texts the program carries: language files, default descriptions, default matrices.
// They are the files of resources/builtin, embedded byte for byte at build time.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace quire {

struct BuiltinResource {
    std::string_view name;  // path below resources/builtin, e.g. "languages/English.lng"
    std::string_view bytes; // the file's bytes (Windows-1252)
};

std::span<const BuiltinResource> builtinResources();

// The bytes of one built-in file; empty optional when there is none of that name.
inline std::optional<std::string_view> builtinResource(std::string_view name) {
    for (const auto& r : builtinResources())
        if (r.name == name)
            return r.bytes;
    return std::nullopt;
}

} // namespace quire
