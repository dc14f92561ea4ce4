#include "FrontEnds.h"

#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "platform/WinePath.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace quire::encode {

namespace fs = std::filesystem;

namespace {

ParseResult refuse(std::string error) {
    return ParseResult{std::nullopt, std::move(error)};
}

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; });
    return out;
}

std::optional<double> parseDecimal(std::string_view text) {
    std::string value(text::trimBlanks(text));
    std::replace(value.begin(), value.end(), ',', '.'); // a quality written in a comma locale
    double result = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), result);
    if (value.empty() || error != std::errc() || end != value.data() + value.size())
        return std::nullopt;
    return result;
}

// The rows gathered into the 128 values; empty optional unless there are exactly 16.
std::optional<MatrixValues> matrixOfRows(const std::vector<std::array<int, 8>>& rows) {
    if (rows.size() != 16)
        return std::nullopt;
    MatrixValues values{};
    for (std::size_t r = 0; r < 16; ++r)
        for (std::size_t c = 0; c < 8; ++c)
            values[r * 8 + c] = rows[r][c];
    return values;
}

// "4:3" or "16:9" as an MPEG aspect code.
std::optional<int> aspectOfText(std::string_view text) {
    const std::string_view value = text::trimBlanks(text);
    if (value == "4:3")
        return 2;
    if (value == "16:9")
        return 3;
    return std::nullopt;
}

} // namespace

std::optional<int> parseWhole(std::string_view text) {
    const std::string_view value = text::trimBlanks(text);
    const char* begin = value.data();
    if (!value.empty() && value.front() == '+')
        ++begin;
    int result = 0;
    const auto [end, error] = std::from_chars(begin, value.data() + value.size(), result);
    if (value.empty() || error != std::errc() || end != value.data() + value.size())
        return std::nullopt;
    return result;
}

std::optional<std::array<int, 8>> parseMatrixRow(std::string_view line) {
    std::array<int, 8> row{};
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9')
            ++end;
        if (end == i || count == 8)
            return std::nullopt;
        const auto value = parseWhole(line.substr(i, end - i));
        if (!value)
            return std::nullopt;
        row[count++] = *value;
        i = end;
    }
    if (count != 8)
        return std::nullopt;
    return row;
}

// ---------------------------------------------------------------- QuEnc command line

ParseResult parseQuEncArguments(const std::vector<std::string>& args, const fs::path& workingFolder) {
    EncodeJob job;
    std::optional<int> rate;
    int passes = 0;
    bool haveInput = false, haveOutput = false;
    std::optional<fs::path> cqm;
    // Paths arrive as this system's text; Windows forms (drive letters, backslashes) are read as Wine does.
    const auto path = [&workingFolder](const std::string& arg) {
        const auto cp1252 = text::fromUtf8(arg);
        return cp1252 ? winePath(*cp1252, workingFolder / "command line") : workingFolder / arg;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        const auto value = [&]() -> const std::string& { return args[++i]; };
        const auto number = [&](const char* what) -> std::optional<int> {
            if (!hasValue)
                return std::nullopt;
            const auto result = parseWhole(args[i + 1]);
            if (result)
                ++i;
            (void)what;
            return result;
        };
        if (option == "-i" && hasValue) {
            job.input = path(value());
            haveInput = true;
        } else if (option == "-o" && hasValue) {
            job.output = path(value());
            haveOutput = true;
        } else if (option == "-b") {
            rate = number("-b");
            if (!rate)
                return refuse("-b needs a whole number (kbit/s, or the quality factor without a pass switch)");
        } else if (option == "-maxbitrate") {
            job.maximumKbps = number("-maxbitrate");
            if (!job.maximumKbps)
                return refuse("-maxbitrate needs a whole number of kbit/s");
        } else if (option == "-aspectratio" && hasValue) {
            const auto code = aspectOfText(value());
            if (!code)
                return refuse("-aspectratio takes 4:3 or 16:9, not \"" + args[i] + "\"");
            job.aspectCode = *code;
        } else if (option == "-2" || option == "-1") {
            passes = option == "-2" ? 2 : 1;
        } else if (option == "-dc") {
            // Quire writes "-dc" with nothing after it for a precision code it does not know.
            const auto bits = number("-dc");
            if (bits)
                job.dcPrecision = *bits;
            else
                job.notes.push_back("-dc without a precision: 8 bits");
        } else if (option == "-hq" || option == "-nohq") {
            job.speed = option == "-hq" ? Speed::Best : Speed::Normal;
        } else if (option == "-trell" || option == "-notrell") {
            job.trellis = option == "-trell";
        } else if (option == "-scene") {
            job.notes.push_back("-scene: no scene-change I-frames, every GOP is closed");
        } else if (option == "-interlaced" || option == "-nointerlaced") {
            job.interlaced = option == "-interlaced";
        } else if (option == "-cmatrix" && hasValue) {
            cqm = path(value());
        } else if (option == "-nocmatrix") {
            cqm.reset();
        } else if (option == "-vbr" || option == "-noscene" || option == "-mpeg2" || option == "-auto" ||
                   option == "-close") {
            // -vbr goes with the pass switch; the output is always MPEG-2 and the run always ends by itself.
        } else {
            return refuse("unknown option or missing value: \"" + option + "\"");
        }
    }
    if (!haveInput || !haveOutput || !rate)
        return refuse("-i INPUT, -o OUTPUT and -b RATE are required");
    if (passes == 0) {
        // Without a pass switch Quire hands over Tessera's one-pass quality factor, ten times a quantiser.
        job.mode = RateMode::Quantiser;
        job.quantiser = *rate / 10.0;
    } else {
        job.mode = passes == 2 ? RateMode::TwoPass : RateMode::OnePass;
        job.averageKbps = *rate;
    }
    if (cqm) {
        const auto bytes = fileio::readFile(*cqm);
        if (!bytes)
            return refuse("cannot read the matrix file " + cqm->string());
        if (bytes->size() != 128)
            return refuse("the matrix file " + cqm->string() + " holds " + std::to_string(bytes->size()) +
                          " bytes, not 128");
        MatrixValues values{};
        for (std::size_t k = 0; k < 128; ++k)
            values[k] = static_cast<unsigned char>((*bytes)[k]);
        job.matrices = values;
    }
    return ParseResult{std::move(job), {}};
}

// ---------------------------------------------------------------- HC settings file

ParseResult parseHcSettings(std::string_view bytes, const fs::path& file) {
    EncodeJob job;
    bool haveInput = false, haveOutput = false, inMatrix = false, customMatrix = false;
    std::optional<double> quality;
    std::vector<std::array<int, 8>> rows;
    const std::vector<std::string> lines = text::splitLines(bytes);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = text::trimBlanks(lines[n]);
        const std::string lineNumber = "line " + std::to_string(n + 1);
        if (line.empty())
            continue;
        if (line.front() != '*') {
            if (inMatrix) {
                const auto row = parseMatrixRow(line);
                if (!row)
                    return refuse(lineNumber + ": a matrix row must be eight numbers");
                rows.push_back(*row);
            } else {
                job.notes.push_back(lineNumber + " ignored");
            }
            continue;
        }
        inMatrix = false;
        const std::size_t blank = line.find_first_of(" \t");
        const std::string keyword = upper(line.substr(0, blank));
        const std::string value(blank == std::string_view::npos ? "" : text::trimBlanks(line.substr(blank)));
        const auto whole = [&]() { return parseWhole(value); };
        if (keyword == "*BATCH" || keyword == "*WAIT") {
        } else if (keyword == "*PROFILE") {
            const std::string profile = upper(value);
            job.speed = profile == "FAST" ? Speed::Fast : profile == "BEST" ? Speed::Best : Speed::Normal;
        } else if (keyword == "*INFILE" || keyword == "*OUTFILE") {
            if (value.empty())
                return refuse(lineNumber + ": " + keyword + " needs a path");
            (keyword == "*INFILE" ? job.input : job.output) = winePath(value, file);
            (keyword == "*INFILE" ? haveInput : haveOutput) = true;
        } else if (keyword == "*BITRATE" || keyword == "*MAXBITRATE") {
            const auto kbps = whole();
            if (!kbps)
                return refuse(lineNumber + ": " + keyword + " needs a whole number of kbit/s");
            if (keyword == "*BITRATE")
                job.averageKbps = *kbps;
            else
                job.maximumKbps = *kbps;
        } else if (keyword == "*BIAS") {
            job.notes.push_back("*BIAS " + value + " has no FFmpeg counterpart");
        } else if (keyword == "*CQ_MAXBITRATE") {
            quality = parseDecimal(value);
            if (!quality)
                return refuse(lineNumber + ": *CQ_MAXBITRATE needs a quality such as 4.5");
        } else if (keyword == "*CUSTOMMATRIX") {
            inMatrix = customMatrix = true;
        } else if (keyword == "*DC_PREC") {
            const auto bits = whole();
            if (!bits)
                return refuse(lineNumber + ": *DC_PREC needs 8, 9 or 10");
            job.dcPrecision = *bits;
        } else if (keyword == "*ASPECT") {
            const auto code = aspectOfText(value);
            if (!code)
                return refuse(lineNumber + ": *ASPECT takes 4:3 or 16:9");
            job.aspectCode = *code;
        } else if (keyword == "*INTERLACED") {
            job.interlaced = true;
        } else {
            job.notes.push_back(lineNumber + ": unknown keyword " + keyword + " ignored");
        }
    }
    if (!haveInput || !haveOutput)
        return refuse("*INFILE and *OUTFILE are required");
    if (customMatrix) {
        job.matrices = matrixOfRows(rows);
        if (!job.matrices)
            return refuse("*CUSTOMMATRIX holds " + std::to_string(rows.size()) + " rows, not 16");
    }
    if (quality) {
        // HC's one-pass quality (Tessera's factor over ten) is read as a constant quantiser.
        job.mode = RateMode::Quantiser;
        job.quantiser = *quality;
    }
    return ParseResult{std::move(job), {}};
}

// ---------------------------------------------------------------- encoder control list

ParseResult parseControlList(std::string_view bytes, const fs::path& file) {
    // Keys of the first [item] section (and of lines above any section, where Basic's layout may
    // leave them) and of the first [file] section; the first of a name wins, as the profile functions read.
    std::map<std::string, std::string> item, fileKeys;
    std::vector<std::array<int, 8>> rows;
    enum class Where { Top, Item, File, Other } where = Where::Top;
    bool itemSeen = false, fileSeen = false;
    for (const std::string& raw : text::splitLines(bytes)) {
        const std::string_view line = text::trimBlanks(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::string name = text::toLower(text::trimBlanks(line.substr(1, line.find(']') - 1)));
            if (name == "item" && !itemSeen) {
                where = Where::Item;
                itemSeen = true;
            } else if (name == "file" && !fileSeen) {
                where = Where::File;
                fileSeen = true;
            } else {
                where = Where::Other;
            }
            continue;
        }
        if (where == Where::Other)
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            if (where == Where::Item)
                if (const auto row = parseMatrixRow(line))
                    rows.push_back(*row);
            continue;
        }
        auto& keys = where == Where::File ? fileKeys : item;
        keys.emplace(text::toLower(text::trimBlanks(line.substr(0, equals))),
                     std::string(text::trimBlanks(line.substr(equals + 1))));
    }
    const auto inItem = [&item](const char* key) -> std::optional<std::string> {
        const auto found = item.find(key);
        if (found == item.end() || found->second.empty())
            return std::nullopt;
        return found->second;
    };
    // Source and frame keys stand in [file], except in Basic's layout, where they are in [item].
    const auto inFile = [&](const char* key) -> std::optional<std::string> {
        const auto found = fileKeys.find(key);
        if (found != fileKeys.end() && !found->second.empty())
            return found->second;
        return inItem(key);
    };
    std::string badKey;
    const auto number = [&](const std::optional<std::string>& value, const char* key) -> std::optional<int> {
        if (!value)
            return std::nullopt;
        const auto result = parseWhole(*value);
        if (!result && badKey.empty())
            badKey = std::string(key) + "=" + *value + " is not a whole number";
        return result;
    };

    EncodeJob job;
    const auto name = inFile("name");
    if (!name)
        return refuse("the control list names no source (key name)");
    job.input = winePath(*name, file);
    std::optional<std::string> output = inItem("vid_file");
    if (!output)
        output = inItem("vid_file0");
    if (!output)
        output = inItem("vid_file1");
    if (!output)
        return refuse("the control list names no output (key vid_file, vid_file0 or vid_file1)");
    job.output = winePath(*output, file);

    // encode_first/encode_last pick the frames encoded; without them the source range frame_first/frame_last.
    const auto first = number(inFile("encode_first") ? inFile("encode_first") : inFile("frame_first"), "encode_first");
    job.firstFrame = first.value_or(0);
    job.lastFrame = number(inFile("encode_last") ? inFile("encode_last") : inFile("frame_last"), "encode_last");

    job.mode = RateMode::TwoPass;
    job.averageKbps = number(inItem("vbr_brate_avg"), "vbr_brate_avg").value_or(0);
    job.maximumKbps = number(inItem("vbr_brate_max"), "vbr_brate_max");
    if (job.maximumKbps == 0)
        job.maximumKbps.reset();
    job.minimumKbps = number(inItem("vbr_brate_min"), "vbr_brate_min").value_or(0);
    job.frameRateCode = number(inItem("frame_rate_idx"), "frame_rate_idx").value_or(0);
    job.aspectCode = number(inItem("aspect_ratio"), "aspect_ratio").value_or(0);
    job.interlaced = number(inItem("progressive"), "progressive").value_or(1) == 0;
    job.nonLinearQuantiser = number(inItem("q_scale_type"), "q_scale_type").value_or(0) == 1;
    // The key of the DC precision: 0-2 (more bits above 8) or the bits themselves.
    if (const auto dc = number(inItem("intra_dc_prec"), "intra_dc_prec"))
        job.dcPrecision = *dc <= 2 ? 8 + *dc : *dc;
    const int matrixIndex = number(inItem("qmat_idx"), "qmat_idx").value_or(0);
    if (!badKey.empty())
        return refuse(badKey);
    if (matrixIndex == -1) {
        job.matrices = matrixOfRows(rows);
        if (!job.matrices)
            return refuse("qmat_idx=-1 needs 16 matrix rows in [item], found " + std::to_string(rows.size()));
    } else if (matrixIndex != 0) {
        job.notes.push_back("qmat_idx=" + std::to_string(matrixIndex) + " names a built-in matrix: defaults used");
    }
    if (const auto pulldown = inItem("pulldown_detect"); pulldown && *pulldown != "0")
        job.notes.push_back("pulldown_detect=" + *pulldown + ": pulldown is not added, every frame is encoded");
    return ParseResult{std::move(job), {}};
}

} // namespace quire::encode
