// Reads and edits INI-shaped content the way the Windows profile-string functions do, and the
// file forms over it. One pass over the lines locates the section and key; an edit splices the
// content around that spot so every other byte (line ends included) stays as it was.
#include "ProfileString.h"

#include "FileIo.h"
#include "Text1252.h"

#include <cstring>
#include <system_error>

namespace quire::profile {
namespace {

namespace fs = std::filesystem;
using text::isBlank;
using text::trimBlanks;

constexpr std::string_view kCrLf = "\r\n";

// One line of the content as offsets: [begin, contentEnd) is its text, [contentEnd, end) its line
// end (CR LF, LF, a lone CR, or nothing for a last line without one).
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;

    bool hasLineEnd() const { return end > contentEnd; }
};

// Walks the lines of the content, keeping the line-end bytes of each.
class LineWalker {
public:
    explicit LineWalker(std::string_view content) : m_content(content) {}

    bool next(Line& line) {
        const std::size_t size = m_content.size();
        if (m_pos >= size)
            return false;
        const char* data = m_content.data();
        std::size_t i = m_pos;
        while (i < size && data[i] != '\n' && data[i] != '\r')
            ++i;
        line.begin = m_pos;
        line.contentEnd = i;
        if (i < size)
            i += (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ? 2 : 1;
        line.end = i;
        m_pos = i;
        return true;
    }

private:
    std::string_view m_content;
    std::size_t m_pos = 0;
};

enum class LineKind { Blank, Header, Comment, Key, Valueless };

// What a line is, with the section name of a header or the key name of a key line (both trimmed)
// and, for a key line, the offset of its first "=" within the line's text.
struct LineInfo {
    LineKind kind = LineKind::Blank;
    std::string_view name;
    std::size_t equals = 0;
};

LineInfo classify(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    if (first == line.size())
        return {LineKind::Blank, {}, 0};
    if (line[first] == '[') {
        // The name runs to the first "]", or to the line's end when there is none.
        const std::string_view inner = line.substr(first + 1);
        const std::size_t close = inner.find(']');
        return {LineKind::Header, trimBlanks(inner.substr(0, close)), 0};
    }
    if (line[first] == ';')
        return {LineKind::Comment, {}, 0};
    const std::size_t equals = line.find('=', first);
    if (equals == std::string_view::npos)
        return {LineKind::Valueless, {}, 0};
    return {LineKind::Key, trimBlanks(line.substr(0, equals)), equals};
}

// Names compare without regard to case, by Windows-1252 letters.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (text::lowerChar(a[i]) != text::lowerChar(b[i]))
            return false;
    return true;
}

// A quick test that lets the search skip lines that cannot be headers without classifying them.
bool mayBeHeader(std::string_view content, const Line& line) {
    std::size_t i = line.begin;
    while (i < line.contentEnd && isBlank(content[i]))
        ++i;
    return i < line.contentEnd && content[i] == '[';
}

std::string_view textOf(std::string_view content, const Line& line) {
    return content.substr(line.begin, line.contentEnd - line.begin);
}

// Where a section and a key sit in the content. Only the first section of the name counts; the
// section runs from its header to the next header or the end of the content.
struct Location {
    bool sectionFound = false;
    Line header;
    std::size_t sectionEnd = 0;
    bool keyFound = false;
    Line keyLine;
    std::size_t keyEquals = 0;
    // The last key line of the section, or the header when the section has none.
    Line lastKeyOrHeader;
};

Location locate(std::string_view content, std::string_view section, std::string_view key) {
    Location where;
    if (section.empty())
        return where;
    LineWalker walker(content);
    Line line;
    while (walker.next(line)) {
        if (!mayBeHeader(content, line))
            continue;
        const LineInfo info = classify(textOf(content, line));
        if (info.kind == LineKind::Header && sameName(info.name, section)) {
            where.sectionFound = true;
            where.header = line;
            where.lastKeyOrHeader = line;
            break;
        }
    }
    if (!where.sectionFound)
        return where;
    where.sectionEnd = content.size();
    while (walker.next(line)) {
        const LineInfo info = classify(textOf(content, line));
        if (info.kind == LineKind::Header) {
            where.sectionEnd = line.begin;
            break;
        }
        if (info.kind != LineKind::Key)
            continue;
        where.lastKeyOrHeader = line;
        // An empty name ("=x") is a key line but never matches: a key argument is never empty.
        if (!where.keyFound && !key.empty() && sameName(info.name, key)) {
            where.keyFound = true;
            where.keyLine = line;
            where.keyEquals = info.equals;
        }
    }
    return where;
}

// The value as a reader sees it: trimmed, then one pair of matching outer quotes removed.
std::string_view readValue(std::string_view raw) {
    std::string_view value = trimBlanks(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

bool hasLineBreak(std::string_view name) {
    return name.find_first_of(kCrLf) != std::string_view::npos;
}

// Names that could be written but never found again (each later write would add another line)
// or that would change the shape of the file are refused: an empty name, a line break in a
// name, "]" in a section name, and a key name holding "=" or starting with "[" or ";".
bool writableSection(std::string_view section) {
    return !section.empty() && !hasLineBreak(section) && section.find(']') == std::string_view::npos;
}

bool writableKey(std::string_view key) {
    return !key.empty() && !hasLineBreak(key) && key.find('=') == std::string_view::npos && key.front() != '[' &&
           key.front() != ';';
}

std::string keyLineText(std::string_view key, std::string_view value) {
    std::string out;
    out.reserve(key.size() + value.size() + 3);
    out.append(key).append("=").append(value).append(kCrLf);
    return out;
}

std::string spliced(std::string_view content, std::size_t from, std::size_t to, std::string_view replacement) {
    std::string out;
    out.reserve(content.size() - (to - from) + replacement.size());
    out.append(content.substr(0, from)).append(replacement).append(content.substr(to));
    return out;
}

// The key line with its value replaced. The line keeps its name, everything up to its "=", the
// blanks that follow the "=" (unless the new value brings its own leading blanks, so that writing
// the same value twice gives the same line), and its line end. A line whose value already reads
// as exactly the given text (outer blanks aside) is left as it is.
std::string replacedValue(std::string_view content, const Location& where, std::string_view value) {
    const std::size_t equalsAt = where.keyLine.begin + where.keyEquals;
    const std::size_t restBegin = equalsAt + 1;
    const std::string_view rest = content.substr(restBegin, where.keyLine.contentEnd - restBegin);
    if (trimBlanks(rest) == value)
        return std::string(content);
    std::size_t valueAt = restBegin;
    if (!value.empty() && !isBlank(value.front()))
        while (valueAt < where.keyLine.contentEnd && isBlank(content[valueAt]))
            ++valueAt;
    return spliced(content, valueAt, where.keyLine.contentEnd, value);
}

} // namespace

std::optional<std::string> findValue(std::string_view content, std::string_view section, std::string_view key) {
    const std::string_view sectionName = trimBlanks(section);
    const std::string_view keyName = trimBlanks(key);
    if (keyName.empty())
        return std::nullopt;
    const Location where = locate(content, sectionName, keyName);
    if (!where.keyFound)
        return std::nullopt;
    const std::size_t restBegin = where.keyLine.begin + where.keyEquals + 1;
    return std::string(readValue(content.substr(restBegin, where.keyLine.contentEnd - restBegin)));
}

// Values are written as given, without quotes or escapes, as Windows does: a value holding CR or
// LF therefore ends its line there, and the text after the break becomes a line of its own (a
// key line when it holds "="). Names are written with their outer blanks removed.
std::string withValue(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value) {
    const std::string_view sectionName = trimBlanks(section);
    const std::string_view keyName = trimBlanks(key);
    if (!writableSection(sectionName) || !writableKey(keyName))
        return std::string(content);
    const Location where = locate(content, sectionName, keyName);
    if (where.keyFound)
        return replacedValue(content, where, value);
    if (where.sectionFound) {
        // A new key goes right after the section's last key line (or its header), so comments and
        // blank lines that close the section stay after it.
        const Line& anchor = where.lastKeyOrHeader;
        std::string insert = anchor.hasLineEnd() ? std::string() : std::string(kCrLf);
        insert += keyLineText(keyName, value);
        return spliced(content, anchor.end, anchor.end, insert);
    }
    std::string out(content);
    if (!out.empty() && out.back() != '\n' && out.back() != '\r')
        out += kCrLf;
    out.append("[").append(sectionName).append("]").append(kCrLf);
    out += keyLineText(keyName, value);
    return out;
}

bool keepsSectionName(std::string_view section) {
    return trimBlanks(section) == section && writableSection(section);
}

std::string withoutKey(std::string_view content, std::string_view section, std::string_view key) {
    const std::string_view keyName = trimBlanks(key);
    if (keyName.empty())
        return std::string(content);
    const Location where = locate(content, trimBlanks(section), keyName);
    if (!where.keyFound)
        return std::string(content);
    return spliced(content, where.keyLine.begin, where.keyLine.end, {});
}

std::string withoutSection(std::string_view content, std::string_view section) {
    const Location where = locate(content, trimBlanks(section), {});
    if (!where.sectionFound)
        return std::string(content);
    // The header and its key, valueless and blank lines go; comment lines stay where they were.
    std::string out(content.substr(0, where.header.begin));
    const std::string_view body = content.substr(where.header.end, where.sectionEnd - where.header.end);
    LineWalker walker(body);
    Line line;
    while (walker.next(line)) {
        if (classify(textOf(body, line)).kind == LineKind::Comment)
            out.append(body.substr(line.begin, line.end - line.begin));
    }
    out.append(content.substr(where.sectionEnd));
    return out;
}

std::string getString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                      std::string_view defaultValue, std::size_t bufferSize) {
    if (bufferSize == 0)
        return {};
    std::string result;
    const auto content = fileio::readFile(file);
    if (content) {
        auto found = findValue(*content, section, key);
        result = found ? std::move(*found) : std::string(defaultValue);
    } else {
        result = std::string(defaultValue);
    }
    if (result.size() > bufferSize - 1)
        result.resize(bufferSize - 1);
    return result;
}

namespace {

// Whether the file exists although it could not be read (a folder, no read permission).
bool existsUnreadable(const fs::path& file) {
    std::error_code ec;
    const bool exists = fs::exists(file, ec);
    return exists || ec;
}

// Writes the edited content unless it equals the old one, so that a write changing nothing
// leaves the file untouched (its modification time included).
bool storeIfChanged(const fs::path& file, const std::string& before, const std::string& after) {
    if (after == before)
        return true;
    return fileio::writeFileAtomic(file, after);
}

} // namespace

bool writeString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 std::string_view value) {
    if (!writableSection(trimBlanks(section)) || !writableKey(trimBlanks(key)))
        return false;
    const auto content = fileio::readFile(file);
    if (!content) {
        if (existsUnreadable(file))
            return false;
        return fileio::writeFileAtomic(file, withValue({}, section, key, value));
    }
    return storeIfChanged(file, *content, withValue(*content, section, key, value));
}

bool deleteKey(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    const auto content = fileio::readFile(file);
    if (!content)
        return !existsUnreadable(file);
    return storeIfChanged(file, *content, withoutKey(*content, section, key));
}

bool deleteSection(const std::filesystem::path& file, std::string_view section) {
    const auto content = fileio::readFile(file);
    if (!content)
        return !existsUnreadable(file);
    return storeIfChanged(file, *content, withoutSection(*content, section));
}

} // namespace quire::profile
