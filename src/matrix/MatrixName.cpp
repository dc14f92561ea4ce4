// The file-name check for matrix names.
#include "MatrixName.h"

#include "platform/Text1252.h"

#include <array>

namespace quire {
namespace {

bool isDeviceName(std::string_view name) {
    // Windows reserves these names whatever follows the first dot.
    const std::string base = text::toLower(name.substr(0, name.find('.')));
    const std::string_view trimmed = text::trimBlanks(base);
    static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    for (const auto device : kPlain)
        if (trimmed == device)
            return true;
    return trimmed.size() == 4 && (trimmed.starts_with("com") || trimmed.starts_with("lpt")) && trimmed[3] >= '1' &&
           trimmed[3] <= '9';
}

} // namespace

std::optional<std::string> matrixNameProblem(std::string_view name) {
    const std::string shown(name);
    auto refuse = [&shown](std::string_view why) {
        return "The name \"" + shown + "\" can't be used for a matrix file: " + std::string(why);
    };
    if (text::trimBlanks(name).empty())
        return std::string("Please give the matrix a name.");
    if (name == "." || name == "..")
        return refuse("it names a folder.");
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            return refuse("it holds a control character.");
        if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return refuse("it holds one of the characters / \\ : * ? \" < > |");
    }
    if (name.back() == '.' || name.back() == ' ')
        return refuse("it ends in a dot or a blank.");
    if (isDeviceName(name))
        return refuse("Windows reserves it for a device.");
    if (!text::fromUtf8(name))
        return refuse("it holds characters that Tessera's files cannot hold.");
    return std::nullopt;
}

} // namespace quire
