// Reading QuantDump's output by item positions and preparing the two matrices it holds.
#include "QuantDumpOutput.h"

#include "platform/FileIo.h"
#include "platform/Text1252.h"

#include <fstream>

namespace quire::extract {
namespace {

// QuantDump writes 60 short lines; a MiB leaves room for any layout while keeping junk files cheap.
constexpr std::size_t kMaxOutputBytes = 1 << 20;

// A(n), 1-based as the positions are counted.
const std::string& item(const OutputItems& items, std::size_t n) {
    return items[n - 1];
}

void addItems(std::string& out, const OutputItems& items, std::size_t first, std::size_t last) {
    for (std::size_t n = first; n <= last; ++n) {
        out += item(items, n);
        out += "  ";
        out += text::kCrLf;
    }
}

std::string readPrefix(const fs::path& file, bool& readable) {
    std::ifstream in(file, std::ios::binary);
    readable = static_cast<bool>(in);
    if (!readable)
        return {};
    std::string bytes(kMaxOutputBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        readable = false;
    return bytes;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t pos = 0;
    while (true) {
        const std::size_t found = text.find(from, pos);
        if (found == std::string_view::npos)
            break;
        out.append(text, pos, found - pos);
        out += to;
        pos = found + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

} // namespace

OutputReach reachOf(std::size_t itemCount) {
    // The chunks 1-20, 21-29, 30-40 and 41-60 are read in turn; the text ends at the first item missing.
    if (itemCount < 20)
        return OutputReach::EndsBefore20;
    if (itemCount < kOutputItems)
        return OutputReach::EndsIn30To60;
    return OutputReach::Complete;
}

std::optional<OutputItems> readOutputItems(std::string_view output) {
    const std::vector<std::string> lines = text::splitLines(output);
    const OutputReach reach = reachOf(lines.size());
    if (reach == OutputReach::EndsBefore20 || reach == OutputReach::EndsIn30To60)
        return std::nullopt;
    OutputItems items;
    for (std::size_t i = 0; i < kOutputItems && i < lines.size(); ++i) {
        std::string_view line = lines[i];
        line = line.substr(0, line.find(','));
        std::size_t start = 0;
        while (start < line.size() && text::isBlank(line[start]))
            ++start;
        items[i] = std::string(line.substr(start));
    }
    return items;
}

std::string matrix1Text(const OutputItems& items) {
    const std::string& a21 = item(items, 21);
    const std::string& a31 = item(items, 31);
    std::string out;
    if (a21 == kNonIntraHeader)
        addItems(out, items, 2, 9);
    if (a31.empty() && a21 == kIntraHeader) {
        addItems(out, items, 22, 29);
        addItems(out, items, 12, 19);
    }
    if (a21 == kNonIntraHeader)
        addItems(out, items, 22, 29);
    if (!a31.empty() && a21 == kIntraHeader)
        addItems(out, items, 22, 29);
    if (a21 != kNonIntraHeader && !a31.empty())
        addItems(out, items, 32, 39);
    return out;
}

std::string matrix2Text(const OutputItems& items) {
    std::string out;
    addItems(out, items, 42, 49);
    addItems(out, items, 52, 59);
    return out;
}

std::optional<std::string> quantDumpError(std::string_view output) {
    const std::string_view line = output.substr(0, output.find_first_of("\r\n"));
    if (!line.starts_with(kQuantDumpErrorLine))
        return std::nullopt;
    return std::string(line.substr(kQuantDumpErrorLine.size()));
}

ParsedOutput ParseQuantDumpOutput(Prompter& prompter, const fs::path& outputFile, const fs::path& tempMatrixFolder,
                                  std::string_view missingText) {
    bool readable = false;
    const std::string output = readPrefix(outputFile, readable);
    const std::optional<OutputItems> items = readable ? readOutputItems(output) : std::nullopt;
    ParsedOutput parsed;
    if (items) {
        parsed.TempMat1 = matrix1Text(*items);
        parsed.TempMat2 = matrix2Text(*items);
        if (fileio::writeFileAtomic(tempMatrixFolder / kMat1File, parsed.TempMat1) &&
            fileio::writeFileAtomic(tempMatrixFolder / kMat2File, parsed.TempMat2)) {
            parsed.noMatrix = "1";
            return parsed;
        }
    }
    ParsedOutput none;
    none.problem = std::string(kNoCustomMatrices);
    if (!readable)
        none.problem = std::string(missingText);
    else if (const auto reason = quantDumpError(output); reason && !items)
        none.problem = std::string(kQuantDumpFailed) + *reason;
    prompter.message(none.problem, kAppTitle, PromptButtons::Ok, PromptIcon::None);
    return none;
}

std::string extractedDisplay(std::string_view raw) {
    std::string shown(raw);
    for (const std::string_view value : {" 8 ", " 9 "}) {
        const std::string padded = " 0" + std::string(value.substr(1));
        shown = replaceAll(shown, value, padded);
        shown = replaceAll(shown, value, padded);
    }
    shown = replaceAll(shown, "  ", "");
    std::string sixteenBreaks;
    for (int i = 0; i < 16; ++i)
        sixteenBreaks += text::kCrLf;
    return replaceAll(shown, sixteenBreaks, "");
}

std::string proposedName(std::string_view streamFileName, std::string_view suffix) {
    // Characters, not bytes: step back over four UTF-8 lead bytes.
    std::size_t end = streamFileName.size();
    for (int dropped = 0; dropped < 4 && end > 0; ++dropped) {
        --end;
        while (end > 0 && (static_cast<unsigned char>(streamFileName[end]) & 0xC0) == 0x80)
            --end;
    }
    return std::string(streamFileName.substr(0, end)) + std::string(suffix);
}

ExtractedMatrix LoadExtractedMatrices(std::string_view tempMat, std::string_view streamFileName,
                                      std::string_view suffix) {
    ExtractedMatrix matrix;
    matrix.display = extractedDisplay(tempMat);
    if (matrix.usable())
        matrix.name = proposedName(streamFileName, suffix);
    return matrix;
}

} // namespace quire::extract
