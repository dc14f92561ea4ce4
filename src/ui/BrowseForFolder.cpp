// The folder picker's result rules.
#include "BrowseForFolder.h"

#include "platform/Text1252.h"

namespace quire {

std::string normaliseChosenFolder(std::string_view chosen) {
    // Blanks alone name nothing; blanks in a folder's name belong to it ("Videos " is not "Videos").
    if (text::trimBlanks(chosen).empty())
        return {};
    std::string path(chosen);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    // Collapse doubled separators, which a typed name may hold.
    std::string out;
    for (const char c : path)
        if (!(c == '/' && !out.empty() && out.back() == '/'))
            out += c;
    return out;
}

std::string BrowseForFolder(Prompter& prompter, std::string_view title, std::string_view startFolder) {
    return normaliseChosenFolder(prompter.browseFolder(title, startFolder));
}

} // namespace quire
