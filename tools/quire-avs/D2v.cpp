#include "D2v.h"

#include "platform/Text1252.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace quire::avs {
namespace {

[[noreturn]] void fail(std::size_t lineIndex, const std::string& message) {
    throw std::runtime_error("line " + std::to_string(lineIndex + 1) + ": " + message);
}

int toInt(std::string_view s, std::size_t lineIndex, const char* what) {
    const std::string text(quire::text::trimBlanks(s));
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0')
        fail(lineIndex, std::string("bad ") + what + " '" + text + "'");
    return static_cast<int>(value);
}

} // namespace

D2vProject parseD2v(std::string_view text) {
    const std::vector<std::string> lines = quire::text::splitLines(text);
    D2vProject d;
    constexpr std::string_view kMagic = "DGIndexProjectFile";
    if (lines.empty() || lines[0].rfind(kMagic, 0) != 0)
        fail(0, "not a DGIndex project file (no DGIndexProjectFile header)");
    d.version = toInt(std::string_view(lines[0]).substr(kMagic.size()), 0, "version");
    if (lines.size() < 2)
        fail(0, "the file list is missing");
    const int count = toInt(lines[1], 1, "file count");
    if (count < 1 || static_cast<std::size_t>(count) + 2 > lines.size())
        fail(1, "the file count " + std::to_string(count) + " does not match the file list");
    std::size_t i = 2;
    for (int n = 0; n < count; ++n, ++i) {
        if (quire::text::trimBlanks(lines[i]).empty())
            fail(i, "the file list has fewer names than its count " + std::to_string(count));
        d.files.push_back(std::string(quire::text::trimBlanks(lines[i])));
    }
    if (i >= lines.size() || !quire::text::trimBlanks(lines[i]).empty())
        fail(i, "the file list has more names than its count " + std::to_string(count));
    ++i;
    bool haveSize = false;
    for (; i < lines.size() && !quire::text::trimBlanks(lines[i]).empty(); ++i) {
        const std::string& line = lines[i];
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            fail(i, "a setting without '='");
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "Clipping") {
            std::stringstream in(value);
            std::string part;
            for (int k = 0; k < 4; ++k) {
                if (!std::getline(in, part, ','))
                    fail(i, "Clipping needs four numbers");
                d.clipping[static_cast<std::size_t>(k)] = toInt(part, i, "clipping");
                if (d.clipping[static_cast<std::size_t>(k)] < 0)
                    fail(i, "a negative Clipping value");
            }
        } else if (key == "Field_Operation") {
            d.fieldOperation = toInt(value, i, "Field_Operation");
            if (d.fieldOperation < 0 || d.fieldOperation > 2)
                fail(i, "Field_Operation must be 0, 1 or 2");
        } else if (key == "Frame_Rate") {
            // "29970 (30000/1001)": the exact ratio in brackets, else the rate times 1000.
            const std::size_t open = value.find('('), slash = value.find('/'), close = value.find(')');
            if (open != std::string::npos && slash != std::string::npos && close != std::string::npos && open < slash &&
                slash < close) {
                const int num = toInt(std::string_view(value).substr(open + 1, slash - open - 1), i, "frame rate");
                const int den = toInt(std::string_view(value).substr(slash + 1, close - slash - 1), i, "frame rate");
                if (num <= 0 || den <= 0)
                    fail(i, "a frame rate must be positive");
                d.frameRate = reduced(num, den);
            } else {
                const int milli = toInt(value.substr(0, open), i, "frame rate");
                if (milli <= 0)
                    fail(i, "a frame rate must be positive");
                d.frameRate = reduced(milli, 1000);
            }
        } else if (key == "Picture_Size") {
            const std::size_t x = value.find('x');
            if (x == std::string::npos)
                fail(i, "Picture_Size must read WIDTHxHEIGHT");
            d.width = toInt(value.substr(0, x), i, "width");
            d.height = toInt(value.substr(x + 1), i, "height");
            haveSize = d.width > 0 && d.height > 0;
        }
    }
    if (!haveSize)
        fail(i, "Picture_Size is missing");
    // Data lines: info matrix file position skip vob cell flags...; the flags value ff ends the stream.
    int fields = 0;
    bool started = false, ended = false;
    for (++i; i < lines.size() && !ended; ++i) {
        std::stringstream in(lines[i]);
        std::vector<std::string> words;
        for (std::string w; in >> w;)
            words.push_back(w);
        if (words.empty())
            continue;
        if (words[0] == "ff" && words.size() == 1)
            break;
        if (words[0].rfind("FINISHED", 0) == 0)
            break;
        if (words.size() < 7)
            fail(i, "a picture line needs at least seven fields");
        const long info = std::strtol(words[0].c_str(), nullptr, 16);
        const bool progressiveSequence = (info & 0x200) != 0;
        for (std::size_t w = 7; w < words.size(); ++w) {
            char* end = nullptr;
            const long flags = std::strtol(words[w].c_str(), &end, 16);
            if (*end != '\0' || flags < 0 || flags > 0xff)
                fail(i, "a bad picture flags value '" + words[w] + "'");
            if (flags == 0xff) {
                ended = true;
                break;
            }
            // Pictures before the first one that decodes without the previous GOP are not shown.
            if (!started && (flags & 0x80) == 0)
                continue;
            started = true;
            ++d.codedPictures;
            const bool tff = (flags & 0x02) != 0, rff = (flags & 0x01) != 0;
            if (!rff)
                fields += 2;
            else if (progressiveSequence)
                fields += tff ? 6 : 4; // a progressive sequence repeats whole frames
            else
                fields += 3;
        }
    }
    if (d.codedPictures == 0)
        fail(i, "no pictures are listed");
    d.frames = d.fieldOperation == 0 ? fields / 2 : d.codedPictures;
    return d;
}

} // namespace quire::avs
