#include "SampleProject.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace quire::sample {

namespace {

constexpr const char* kCrlf = "\r\n";

std::string digits(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

std::string line(const std::string& key, const std::string& value) {
    return key + "=" + value + kCrlf;
}

std::string header(const std::string& section) {
    return "[" + section + "]" + kCrlf;
}

bool parseInt(const std::string& text, int low, int high, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

} // namespace

const std::vector<EncoderChoice>& encoderChoices() {
    static const std::vector<EncoderChoice> choices = {
        {"hc", Encoder::Hc, "5", "1"},
        {"quenc", Encoder::QuEnc, "2", "1"},
        {"cce-basic", Encoder::CceBasic, "1", "2"},
        {"cce-sp", Encoder::CceSp, "1", "1"},
        {"cce-2.50", Encoder::Cce250, "1", "0"},
        {"cce-2.70", Encoder::Cce270, "1", "3"},
        {"procoder", Encoder::ProCoder, "3", "1"},
    };
    return choices;
}

const EncoderChoice& encoderChoice(Encoder encoder) {
    for (const EncoderChoice& choice : encoderChoices())
        if (choice.encoder == encoder)
            return choice;
    return encoderChoices().front();
}

std::string usage() {
    std::string encoders;
    for (const EncoderChoice& choice : encoderChoices())
        encoders += std::string(encoders.empty() ? "" : "|") + choice.option;
    return "usage: quire-sample-project FOLDER [options]\n"
           "Builds a prepared Tessera project in FOLDER (Tessera.ini; the work folder FOLDER/work with\n"
           "D2VAVS/ and the MPEG-2 streams) from video that FFmpeg encodes now.\n"
           "  --encoder " +
           encoders +
           "   encoder Tessera is set to (hc)\n"
           "  --pal | --ntsc               video standard (pal)\n"
           "  --video | --film             frame rate: 25 or 29.97 / 25 or 23.976 with pulldown (video)\n"
           "  --interlaced | --progressive scan (interlaced; film is progressive)\n"
           "  --movie N                    segments of the main movie, title set 01 (4)\n"
           "  --extras N                   segments of an extras title set 02 (2; 0 for none)\n"
           "  --ilvu                       an interleaved segment and the leading ILVU section\n"
           "  --blanked                    one extras segment (else the last) blanked\n"
           "  --slide-show                 one segment replaced by a slide show\n"
           "  --analysis                   ANALYSIS.ECL: analysed for one-pass quality\n"
           "  --seconds S                  about S seconds per segment (3)\n"
           "  --size WxH                   picture size (352x288 PAL, 352x240 NTSC)\n"
           "  --native-paths               Linux paths in the host files instead of Z:\\ paths\n"
           "  --editor-ini FILE            unless FILE names a Tessera folder already, build and point\n"
           "                               its Config/TesseraFolder at FOLDER\n"
           "  --program-folder DIR         folder of quire-encode (this program's folder)\n";
}

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    bool scanGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() -> const std::string& { return args[++i]; };
        auto number = [&](int low, int high, int& target) {
            if (!hasValue || !parseInt(value(), low, high, target)) {
                error = arg + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high);
                return false;
            }
            return true;
        };
        if (arg == "--encoder") {
            const std::string word = hasValue ? value() : "";
            bool known = false;
            for (const EncoderChoice& choice : encoderChoices())
                if (word == choice.option) {
                    options.encoder = choice.encoder;
                    known = true;
                }
            if (!known) {
                error = "unknown encoder '" + word + "'";
                return std::nullopt;
            }
        } else if (arg == "--pal" || arg == "--ntsc") {
            options.ntsc = arg == "--ntsc";
        } else if (arg == "--film" || arg == "--video") {
            options.film = arg == "--film";
        } else if (arg == "--interlaced" || arg == "--progressive") {
            options.progressive = arg == "--progressive";
            scanGiven = true;
        } else if (arg == "--movie") {
            if (!number(1, 400, options.movieSegments))
                return std::nullopt;
        } else if (arg == "--extras") {
            if (!number(0, 400, options.extraSegments))
                return std::nullopt;
        } else if (arg == "--seconds") {
            if (!number(1, 60, options.seconds))
                return std::nullopt;
        } else if (arg == "--size") {
            const std::string size = hasValue ? value() : "";
            const std::size_t x = size.find('x');
            if (x == std::string::npos || !parseInt(size.substr(0, x), 16, 720, options.width) ||
                !parseInt(size.substr(x + 1), 16, 576, options.height) || options.width % 16 || options.height % 16) {
                error = "--size needs WxH, multiples of 16 up to 720x576";
                return std::nullopt;
            }
        } else if (arg == "--ilvu") {
            options.ilvu = true;
        } else if (arg == "--blanked") {
            options.blanked = true;
        } else if (arg == "--slide-show") {
            options.slideShow = true;
        } else if (arg == "--analysis") {
            options.analysis = true;
        } else if (arg == "--native-paths") {
            options.nativePaths = true;
        } else if (arg == "--editor-ini" || arg == "--program-folder") {
            if (!hasValue || args[i + 1].empty()) {
                error = arg + " needs a path";
                return std::nullopt;
            }
            (arg == "--editor-ini" ? options.editorIni : options.programFolder) = value();
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (options.folder.empty() && !arg.empty()) {
            options.folder = arg;
        } else {
            error = "one FOLDER only";
            return std::nullopt;
        }
    }
    if (options.folder.empty()) {
        error = "no FOLDER given";
        return std::nullopt;
    }
    if (options.film && scanGiven && !options.progressive) {
        error = "a film-rate project is progressive; leave out --interlaced";
        return std::nullopt;
    }
    if (options.film)
        options.progressive = true;
    const int segments = options.movieSegments + options.extraSegments;
    if (options.encoder == Encoder::CceBasic ? segments > 5000 : segments > 9999) {
        error = "too many segments for 4-digit segment numbers";
        return std::nullopt;
    }
    if (options.ilvu && options.movieSegments < 2) {
        error = "--ilvu needs a main movie of at least 2 segments";
        return std::nullopt;
    }
    return options;
}

std::string Segment::name() const {
    return "V" + digits(titleSet, 2) + digits(number, 4) + "_V" + digits(vobId, 3) + digits(cellId, 3);
}

FrameRate frameRateOf(const Options& options) {
    if (!options.ntsc)
        return {"3", "25", "25000 (25/1)", 25.0, 15};
    if (options.film)
        return {"2", "24000/1001", "23976 (24000/1001)", 24000.0 / 1001.0, 12};
    return {"1", "30000/1001", "29970 (30000/1001)", 30000.0 / 1001.0, 18};
}

int pictureHeight(const Options& options) {
    return options.height ? options.height : (options.ntsc ? 240 : 288);
}

std::vector<Segment> planSegments(const Options& options) {
    const FrameRate rate = frameRateOf(options);
    const int base = static_cast<int>(std::lround(rate.perSecond * options.seconds));
    const int half = static_cast<int>(std::lround(rate.perSecond / 2));
    const int step = options.encoder == Encoder::CceBasic ? 2 : 1;
    std::vector<Segment> segments;
    for (int set = 1; set <= 2; ++set) {
        const int count = set == 1 ? options.movieSegments : options.extraSegments;
        for (int k = 0; k < count; ++k) {
            Segment segment;
            segment.titleSet = set;
            segment.number = static_cast<int>(segments.size()) * step;
            segment.vobId = 1 + k / 2; // two cells to a VOB id
            segment.cellId = 1 + k % 2;
            segment.frames = base + (k % 3) * half;
            segment.aspect = set == 1 ? 3 : 2; // the movie 16:9, the extras 4:3
            segment.ilvu = options.ilvu && set == 1 && k == 1;
            segments.push_back(segment);
        }
    }
    if (options.blanked)
        segments.back().action = 1;
    if (options.slideShow) { // the first extras segment not blanked, else the movie's last
        Segment* target = &segments[options.movieSegments - 1];
        for (std::size_t i = options.movieSegments; i < segments.size(); ++i)
            if (segments[i].action == 0) {
                target = &segments[i];
                break;
            }
        if (target->action != 0)
            target = &segments.front();
        target->action = 2;
    }
    return segments;
}

std::string hostPath(const std::string& nativePath, bool nativePaths) {
    if (nativePaths)
        return nativePath;
    std::string path = "Z:";
    for (char c : nativePath)
        path += c == '/' ? '\\' : c;
    return path;
}

std::string hostJoin(const std::string& folder, const std::string& name) {
    const char separator = folder.size() >= 2 && folder[1] == ':' ? '\\' : '/';
    if (!folder.empty() && folder.back() == separator)
        return folder + name;
    return folder + separator + name;
}

std::string tesseraIni(const Options& options, const Layout& layout) {
    const bool opv = options.analysis;
    std::string text = header("Paths") + line("Working", layout.workFolder);
    for (const char* key : {"HC", "QuEnc", "CCENEW", "CCEBasic", "CCE250", "ProCoder"})
        text += line(key, layout.encoder);
    text += kCrlf + header("Options") + line("HC_Quality", "1") + line("HC_VBR_Bias", "20") +
            line("HC_OPV", opv ? "1" : "0") + line("DCPREC", "2") + line("QTrellis", "1") + line("QuEncodeType", "0") +
            line("QuEncHQ", "1") + line("QuEncScene", "0");
    text += kCrlf + header("CCEOptions") + line("OPV", opv ? "1" : "0");
    return text;
}

std::string tesseraInf(const Options& options, const std::vector<Segment>& segments) {
    const EncoderChoice& encoder = encoderChoice(options.encoder);
    const FrameRate rate = frameRateOf(options);
    std::string text;
    if (options.ilvu) {
        std::string names;
        int count = 0;
        for (const Segment& segment : segments)
            if (segment.ilvu)
                names += line(std::to_string(++count), segment.name());
        text += header("ILVU") + line("Count", std::to_string(count)) + names + kCrlf;
    }
    const std::string size = std::to_string(options.width) + "x" + std::to_string(pictureHeight(options));
    text += header("Status") + line("mode", encoder.mode) + line("ccetype", encoder.ccetype) +
            line("MainVTS", digits(1, 2)) + line("Segments", std::to_string(segments.size())) + kCrlf;
    text += header("Disc") + line("Title_Sets", options.extraSegments > 0 ? "2" : "1") +
            line("Video_Standard", options.ntsc ? "NTSC" : "PAL") + line("Picture_Size", size) + kCrlf;
    for (const Segment& segment : segments) {
        text += header(segment.name()) + line("Audio_Sub_Sectors", std::to_string(segment.audioSectors)) +
                line("Video_Sectors", std::to_string(segment.videoSectors)) + line("ILVU", segment.ilvu ? "1" : "0") +
                line("Pulldown", options.ntsc && options.film ? "1" : "0") +
                line("Aspect_Ratio", std::to_string(segment.aspect)) + line("Frames", std::to_string(segment.frames)) +
                line("Frame_Rate_Code", rate.code) + line("Action", std::to_string(segment.action)) + kCrlf;
    }
    return text;
}

long sourceBitrate(const Segment& segment, const FrameRate& rate) {
    const double perSecond = std::string(rate.code) == "3" ? 25.0 : 23.976;
    if (segment.frames <= 0)
        return 0;
    return std::lround(segment.videoSectors * 2048.0 * 8.0 / (segment.frames / perSecond) / 1000.0);
}

long targetBitrate(const Segment& segment, const FrameRate& rate) {
    return std::lround(sourceBitrate(segment, rate) * 0.8);
}

std::string tesseraEcl(const Options& options, const Layout& layout, const std::vector<Segment>& segments,
                       bool analysis) {
    const FrameRate rate = frameRateOf(options);
    const bool basic = options.encoder == Encoder::CceBasic;
    const std::string encoded = hostJoin(layout.workFolder, analysis ? "ANALYSIS" : "ENCODED");
    std::string text;
    for (const Segment& segment : segments) {
        const std::string name = segment.name();
        const std::string last = std::to_string(segment.frames - 1);
        const std::string source = hostJoin(layout.projectFolder, name + ".avs");
        std::string frameKeys = line("name", source) + line("frame_first", "0") + line("frame_last", last) +
                                line("encode_first", "0") + line("encode_last", last);
        text += header("item") + line("title", analysis ? "Analysis " + name : name) +
                line("progressive", options.progressive ? "1" : "0") + line("frame_rate_idx", rate.code) +
                line("aspect_ratio", std::to_string(segment.aspect)) +
                line("pulldown_detect", options.ntsc && options.film ? "1" : "0") +
                line("vbr_brate_avg", std::to_string(targetBitrate(segment, rate))) + line("vbr_brate_max", "8000") +
                line("vbr_brate_min", "0") + line("opv_q_factor", "45") + line("q_scale_type", "0") +
                line("qmat_idx", "0") + line("aud_file", hostJoin(encoded, name + ".mpa")) +
                line("vaf_file", hostJoin(encoded, name + ".vaf"));
        // The last two keys are the ones a copy of the section leaves behind and writes anew.
        if (basic)
            text += line("vid_file", hostJoin(encoded, name + ".m2v")) + frameKeys;
        else
            text += line("vid_file0", hostJoin(encoded, name + ".m2v")) +
                    line("vid_file1", hostJoin(encoded, name + ".m2v"));
        text += kCrlf + header("file") + frameKeys + kCrlf;
    }
    return text;
}

std::string segmentScript(const Layout& layout, const Segment& segment) {
    const std::string d2v = hostJoin(layout.projectFolder, segment.name() + ".d2v");
    return std::string("# AVS File Created by DVD Tessera") + kCrlf + "#------------------" + kCrlf + "LoadPlugin(\"" +
           hostJoin(layout.tesseraFolder, "DGDecode.dll") + "\")" + kCrlf + "Mpeg2Source(\"" + d2v + "\")" + kCrlf +
           "Trim(0," + std::to_string(segment.frames - 1) + ")" + kCrlf + "ConvertToYV12()" + kCrlf;
}

} // namespace quire::sample
