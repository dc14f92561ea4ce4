// The file-name check for matrix names.
#include "MatrixName.h"

#include "matrix/DescriptionIndex.h"
#include "platform/ProfileString.h"
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
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const auto b = static_cast<unsigned char>(c);
        // U+0080-U+009F come in UTF-8 as C2 80 to C2 9F.
        const bool c1Control = b == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xA0;
        if (b < 0x20 || b == 0x7F || c1Control)
            return refuse("it holds a control character.");
        if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return refuse("it holds one of the characters / \\ : * ? \" < > |");
    }
    if (name.back() == '.' || name.back() == ' ')
        return refuse("it ends in a dot or a blank.");
    if (isDeviceName(name))
        return refuse("Windows reserves it for a device.");
    const auto cp1252 = text::fromUtf8(name);
    if (!cp1252)
        return refuse("it holds characters that Tessera's files cannot hold.");
    if (!profile::keepsSectionName(descriptions::sectionName(*cp1252 + ".mtx")))
        return refuse("Matrix_Info.ini can't keep its description under a name that starts with a blank or "
                      "holds \"]\".");
    return std::nullopt;
}

} // namespace quire
