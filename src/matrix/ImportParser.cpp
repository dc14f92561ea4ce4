// The import's text clean-up, byte dump and 16-line read, and the bounded reading of source files.
#include "ImportParser.h"

#include <array>
#include <fstream>
#include <system_error>
#include <utility>

namespace quire::importing {
namespace {

constexpr std::size_t kLines = 16;

std::string replaceAll(std::string_view text, std::string_view find, std::string_view with) {
    if (find.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(find); at != std::string_view::npos; at = text.find(find, from)) {
        out.append(text, from, at - from);
        out += with;
        from = at + find.size();
    }
    out.append(text, from);
    return out;
}

// The first `limit` bytes of a regular file (fewer when it is shorter) and its length.
struct Prefix {
    std::string bytes;
    std::uintmax_t size = 0;
};

std::optional<Prefix> readPrefix(const std::filesystem::path& file, std::size_t limit) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    Prefix prefix;
    prefix.size = size;
    prefix.bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(size, limit)));
    in.read(prefix.bytes.data(), static_cast<std::streamsize>(prefix.bytes.size()));
    if (in.bad())
        return std::nullopt;
    prefix.bytes.resize(static_cast<std::size_t>(in.gcount()));
    return prefix;
}

// The length of the bytes up to and including their last whole line end. A CR as the very last
// byte may be the first half of CR LF, so it does not count.
std::size_t endOfLastLine(std::string_view bytes) {
    for (std::size_t i = bytes.size(); i-- > 0;) {
        if (bytes[i] == '\n')
            return i + 1;
        if (bytes[i] == '\r' && i + 1 < bytes.size())
            return i + 1;
    }
    return 0;
}

} // namespace

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string normalise(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 11> kSteps = {{
        {"\t ", " "},
        {"\t", " "},
        {"\r\n\r\n", "\r\n"},
        {"   ", " "},
        {"  ", " "},
        {";  ", " "},
        {"; ", " "},
        {";", " "},
        {",  ", " "},
        {", ", " "},
        {",", " "},
    }};
    std::string out(text);
    for (const auto& [find, with] : kSteps)
        out = replaceAll(out, find, with);
    return out;
}

std::string byteDump(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 8 * 34);
    for (std::size_t line = 0; line + 8 <= bytes.size(); line += 8) {
        for (std::size_t k = line; k < line + 8; ++k) {
            const std::string value = std::to_string(static_cast<unsigned char>(bytes[k]));
            out.append(4 - value.size(), ' ');
            out += value;
        }
        out += "\r\n";
    }
    return out;
}

CellsResult splitIntoCells(std::string_view cleanText, MatrixCells& cells) {
    // The 16 lines first: a short text changes no cell.
    std::array<std::string_view, kLines> lines;
    std::size_t count = 0;
    std::size_t start = 0;
    while (count < kLines && start < cleanText.size()) {
        const std::size_t end = cleanText.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines[count++] = cleanText.substr(start);
            start = cleanText.size();
        } else {
            lines[count++] = cleanText.substr(start, end - start);
            start = end + 2;
        }
    }
    CellsResult result;
    if (count < kLines)
        return result;

    std::string joined;
    for (std::string_view line : lines) {
        if (line.starts_with('\t'))
            line.remove_prefix(1);
        if (line.starts_with(' '))
            line.remove_prefix(1);
        if (line.ends_with(' '))
            line.remove_suffix(1);
        joined += ' ';
        joined += line;
    }
    const std::string_view values = std::string_view(joined).substr(1);

    std::size_t from = 0;
    while (true) {
        if (result.cellsFilled == kMatrixCells) {
            result.outcome = CellsOutcome::TooManyValues;
            return result;
        }
        const std::size_t blank = values.find(' ', from);
        cells[result.cellsFilled++] = std::string(values.substr(from, blank - from));
        if (blank == std::string_view::npos)
            break;
        from = blank + 1;
    }
    result.outcome = CellsOutcome::Complete;
    return result;
}

ImportRead parseText(std::string_view bytes, bool complete, MatrixCells& cells) {
    ImportRead read;
    read.opened = true;
    read.workingText = normalise(withCrLf(bytes));
    if (complete)
        read.cells = splitIntoCells(read.workingText + "\r\n", cells);
    else
        read.cells = splitIntoCells(read.workingText, cells);
    return read;
}

ImportRead parseBytes(std::string_view firstBytes, std::uintmax_t fileSize, MatrixCells& cells) {
    ImportRead read;
    read.opened = true;
    read.dumpFailed = fileSize % 8 != 0;
    if (fileSize < kByteMatrixSize || firstBytes.size() < kByteMatrixSize) {
        read.refused = true;
        return read;
    }
    // The lines after the 16th take no part, so only the first 128 bytes are dumped.
    read.workingText = normalise(byteDump(firstBytes.substr(0, kByteMatrixSize)));
    read.cells = splitIntoCells(read.workingText + "\r\n", cells);
    return read;
}

ImportRead readSource(const std::filesystem::path& file, SourceKind kind, MatrixCells& cells) {
    if (kind == SourceKind::Binary) {
        const auto prefix = readPrefix(file, kByteMatrixSize);
        if (!prefix)
            return {};
        return parseBytes(prefix->bytes, prefix->size, cells);
    }
    // One byte past the limit tells whether a CR at the limit is followed by LF.
    const auto prefix = readPrefix(file, kTextReadLimit + 1);
    if (!prefix)
        return {};
    if (prefix->size <= kTextReadLimit)
        return parseText(prefix->bytes, true, cells);
    const std::string_view start = std::string_view(prefix->bytes).substr(0, endOfLastLine(prefix->bytes));
    return parseText(start, false, cells);
}

std::optional<std::string> cqmBytes(const MatrixValues& values) {
    std::string bytes;
    bytes.reserve(values.size());
    for (const int value : values) {
        if (value < 0 || value > 255)
            return std::nullopt;
        bytes += static_cast<char>(static_cast<unsigned char>(value));
    }
    return bytes;
}

} // namespace quire::importing
