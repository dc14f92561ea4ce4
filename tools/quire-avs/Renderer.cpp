#include "Renderer.h"

#include "NativeFilters.h"
#include "Process.h"
#include "platform/Text1252.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace quire::avs {

std::string infoLine(const Clip& clip) {
    return std::to_string(clip.width) + " " + std::to_string(clip.height) + " " + clip.fps.text() + " " +
           std::to_string(clip.frames) + " " + ffmpegFormat(clip.type);
}

namespace {

std::string number(double v) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(10);
    out << v;
    return out.str();
}

// Escapes a value for a filter option, then for the graph around it.
std::string escapeValue(const std::string& v) {
    std::string level1, level2;
    for (const char c : v) {
        if (c == '\\' || c == '\'' || c == ':')
            level1 += '\\';
        level1 += c;
    }
    for (const char c : level1) {
        if (c == '\\' || c == '\'' || c == '[' || c == ']' || c == ',' || c == ';')
            level2 += '\\';
        level2 += c;
    }
    return level2;
}

// "0xRRGGBBaa" for an AviSynth $AARRGGBB colour, whose AA is transparency.
std::string colour(std::uint32_t argb) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X%02X", static_cast<unsigned>(argb & 0xFFFFFFU),
                  static_cast<unsigned>(255U - (argb >> 24U)));
    return buf;
}

std::uint16_t be16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(b[at]) << 8U) |
                                      static_cast<unsigned char>(b[at + 1]));
}
std::uint32_t be32(const std::string& b, std::size_t at) {
    return (static_cast<std::uint32_t>(be16(b, at)) << 16U) | be16(b, at + 2);
}

// Units per em and the Windows ascent/descent (the GDI cell) of a TrueType/OpenType file.
bool readMetrics(FontFace& face) {
    std::ifstream in(face.file, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t base = 0;
    if (b.size() >= 16 && b.compare(0, 4, "ttcf") == 0)
        base = be32(b, 12);
    if (b.size() < base + 12)
        return false;
    const std::uint16_t tables = be16(b, base + 4);
    std::map<std::string, std::size_t> offsets;
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t rec = base + 12 + 16 * i;
        if (rec + 16 > b.size())
            return false;
        offsets[b.substr(rec, 4)] = be32(b, rec + 8);
    }
    const auto head = offsets.find("head"), os2 = offsets.find("OS/2"), hhea = offsets.find("hhea");
    if (head == offsets.end() || head->second + 20 > b.size())
        return false;
    face.unitsPerEm = be16(b, head->second + 18);
    if (os2 != offsets.end() && os2->second + 78 <= b.size()) {
        face.ascent = be16(b, os2->second + 74);
        face.descent = be16(b, os2->second + 76);
    } else if (hhea != offsets.end() && hhea->second + 8 <= b.size()) {
        face.ascent = static_cast<std::int16_t>(be16(b, hhea->second + 4));
        face.descent = -static_cast<std::int16_t>(be16(b, hhea->second + 6));
    } else {
        return false;
    }
    return face.unitsPerEm > 0 && face.ascent + face.descent > 0;
}

} // namespace

FontFace resolveFont(const std::string& name, std::vector<std::string>& warnings) {
    const std::string utf8 = quire::text::toUtf8(name);
    const Captured found = runCapture({"fc-match", "-f", "%{file}\n%{family}", utf8 + ":bold"});
    const std::size_t cut = found.output.find('\n');
    if (found.exitCode != 0 || cut == std::string::npos || cut == 0)
        throw MediaError("no font found for \"" + name + "\" (fc-match failed)");
    FontFace face;
    face.file = found.output.substr(0, cut);
    const std::string family = found.output.substr(cut + 1);
    if (!readMetrics(face))
        throw MediaError("cannot read the metrics of the font file " + face.file.string());
    // Arial's metric twins keep sizes and positions; any other face moves the text.
    if (quire::text::toLower(name) == "arial" && family.find("Arial") == std::string::npos &&
        family.find("Liberation Sans") == std::string::npos && family.find("Arimo") == std::string::npos &&
        family.find("Nimbus Sans") == std::string::npos)
        warnings.push_back("Subtitle: \"Arial\" resolved to \"" + family +
                           "\", which is not metric-compatible (install fonts-liberation2)");
    return face;
}

std::string drawTextFilter(const SubtitleText& s, const std::filesystem::path& textFile, const FontFace& face) {
    const double cell = face.ascent + face.descent;
    const double fontSize = s.size * face.unitsPerEm / cell;
    const double cellAscent = s.size * face.ascent / cell;
    const int column = (s.align - 1) % 3, row = (s.align - 1) / 3;
    const std::string x = column == 0 ? number(s.x) : column == 1 ? number(s.x) + "-text_w/2" : number(s.x) + "-text_w";
    // drawtext's y is the top of the tallest glyph drawn, `ascent` its height above the baseline.
    const std::string y = row == 2   ? number(s.y + cellAscent) + "-ascent"
                          : row == 1 ? number(s.y) + "-ascent"
                                     : number(s.y - s.size + cellAscent) + "-ascent";
    std::string f = "drawtext=fontfile=" + escapeValue(face.file.string()) +
                    ":textfile=" + escapeValue(textFile.string()) + ":expansion=none:x=" + x + ":y=" + y +
                    ":fontsize=" + number(fontSize) + ":fontcolor=" + colour(s.textColor);
    if ((s.haloColor >> 24U) != 0xFFU)
        f += ":borderw=1:bordercolor=" + colour(s.haloColor);
    f +=
        ":enable=" + escapeValue("between(n," + std::to_string(s.firstFrame) + "," + std::to_string(s.lastFrame) + ")");
    return f;
}

namespace {

bool isNative(const Stage& s) {
    return s.kind == Stage::Kind::Undot || s.kind == Stage::Kind::Deen;
}

struct Segment {
    bool native = false;
    std::vector<Stage> stages;
};

// A temporary folder for the filter scripts and subtitle texts of one run.
class RunFolder {
public:
    RunFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quire-avs.XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw MediaError("cannot create a temporary folder");
        m_path = pattern;
    }
    ~RunFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path p = m_path / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The last "frame=" of an FFmpeg progress report: the frames of its output; -1 when there is none.
int lastProgressFrame(const std::filesystem::path& report) {
    std::ifstream in(report);
    int frames = -1;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("frame=", 0) == 0)
            frames = std::atoi(line.c_str() + 6);
    return frames;
}

bool readFull(int fd, std::uint8_t* buffer, std::size_t size, bool& clean) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = read(fd, buffer + done, size - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    clean = done == 0;
    return done == size;
}

bool writeFull(int fd, const std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, buffer + done, size - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return false;
    }
    return true;
}

// Runs native stages over raw frames from `in` to `out`; with a y4m header, writes YUV4MPEG2 itself.
bool runNative(const std::vector<Stage>& stages, int in, int out, const std::string& y4mHeader) {
    PlanarLayout layout;
    layout.width = stages.front().width;
    layout.height = stages.front().height;
    layout.chromaShiftY = stages.front().type == PixelType::YV12 ? 1 : 0;
    const std::size_t bytes = layout.frameBytes();
    std::vector<std::uint8_t> a(bytes), b(bytes);
    if (!y4mHeader.empty() &&
        !writeFull(out, reinterpret_cast<const std::uint8_t*>(y4mHeader.data()), y4mHeader.size()))
        return false;
    static constexpr std::uint8_t kFrame[] = {'F', 'R', 'A', 'M', 'E', '\n'};
    const int expected = stages.front().frames;
    for (int frame = 0;; ++frame) {
        bool clean = false;
        if (!readFull(in, a.data(), bytes, clean)) {
            // The count is the script's: FFmpeg delivering fewer frames (a short stream) is a failure.
            if (clean && frame == expected)
                return true;
            std::cerr << "quire-avs: FFmpeg delivered " << frame << " of " << expected << " frames\n";
            return false;
        }
        for (const Stage& s : stages) {
            const std::size_t lumaBytes = static_cast<std::size_t>(layout.width) * layout.height;
            const std::size_t chromaBytes = static_cast<std::size_t>(layout.chromaWidth()) * layout.chromaHeight();
            const std::array<std::size_t, 3> offset{0, lumaBytes, lumaBytes + chromaBytes};
            for (std::size_t p = 0; p < 3; ++p) {
                const int w = p == 0 ? layout.width : layout.chromaWidth();
                const int h = p == 0 ? layout.height : layout.chromaHeight();
                if (s.kind == Stage::Kind::Undot)
                    undotPlane(a.data() + offset[p], b.data() + offset[p], w, h);
                else
                    deenPlane(a.data() + offset[p], b.data() + offset[p], w, h, s.deen.radius,
                              p == 0 ? s.deen.thrY : s.deen.thrUV);
            }
            a.swap(b);
        }
        if (!y4mHeader.empty() && !writeFull(out, kFrame, sizeof kFrame))
            return false;
        if (!writeFull(out, a.data(), bytes))
            return false;
    }
}

} // namespace

namespace {

// The input FFmpeg opens for the clip's source: the file, or the files joined by the concat: protocol.
std::string inputOf(const Clip& clip) {
    std::string input;
    for (const auto& f : clip.source.files)
        input += (input.empty() ? "" : "|") + f.string();
    return clip.source.files.size() > 1 ? "concat:" + input : input;
}

std::string y4mFormat(const Clip& clip) {
    return isYuv(clip.type) ? ffmpegFormat(clip.type) : "yuv444p"; // RGB: 4:4:4 YUV, odd sizes allowed
}

} // namespace

bool singleGraph(const Clip& clip, std::string& input, std::string& graph) {
    for (const Stage& s : clip.stages)
        if (isNative(s) || s.kind == Stage::Kind::Subtitle)
            return false;
    input = inputOf(clip);
    graph = clip.source.files.empty() ? clip.source.generator : "[0:v:0]" + clip.source.afterInput;
    for (const Stage& s : clip.stages)
        graph += "," + s.filter;
    graph += ",setsar=1,format=" + y4mFormat(clip);
    return true;
}

int render(const Clip& clip, Output output, const std::string& target) {
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<Segment> segments(1);
    for (const Stage& s : clip.stages) {
        if (isNative(s) != segments.back().native)
            segments.push_back(Segment{isNative(s), {}});
        segments.back().stages.push_back(s);
    }
    const std::string rate = clip.fps.text();
    const bool ownY4m = segments.back().native && output == Output::Y4m;
    if (segments.back().native && !ownY4m)
        segments.push_back(Segment{false, {}});

    RunFolder folder;
    std::vector<std::string> warnings;
    std::map<std::string, FontFace> fonts;
    int textCount = 0;
    std::vector<pid_t> programs;
    std::filesystem::path progress;
    std::vector<std::thread> threads;
    std::atomic<bool> nativeFailed{false};
    int inFd = -1; // the read end feeding the current segment
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& seg = segments[i];
        const bool last = i + 1 == segments.size();
        int outFd = -1, nextIn = -1;
        if (!last) {
            int fds[2];
            if (pipe2(fds, O_CLOEXEC) != 0)
                return 4;
            outFd = fds[1];
            nextIn = fds[0];
        } else if (target != "-") {
            if (seg.native) {
                outFd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (outFd < 0) {
                    std::cerr << "quire-avs: cannot write " << target << "\n";
                    return 4;
                }
            }
        }
        if (seg.native) {
            std::string header;
            if (last) {
                const Stage& s = seg.stages.front();
                header = "YUV4MPEG2 W" + std::to_string(s.width) + " H" + std::to_string(s.height) + " F" +
                         std::to_string(clip.fps.num) + ":" + std::to_string(clip.fps.den) + " Ip A1:1 " +
                         (s.type == PixelType::YV12 ? "C420jpeg XYSCSS=420JPEG\n" : "C422 XYSCSS=422\n");
            }
            const int writeTo = outFd >= 0 ? outFd : STDOUT_FILENO;
            threads.emplace_back([stages = seg.stages, inFd, writeTo, outFd, header, &nativeFailed] {
                if (!runNative(stages, inFd, writeTo, header))
                    nativeFailed = true;
                close(inFd);
                if (outFd >= 0)
                    close(outFd);
            });
            inFd = nextIn;
            continue;
        }
        // An FFmpeg run.
        std::vector<std::string> argv{"ffmpeg", "-nostdin", "-hide_banner", "-v", "error"};
        std::string graph;
        if (i == 0 && !clip.source.files.empty()) {
            argv.insert(argv.end(), {"-i", inputOf(clip)});
            graph = "[0:v:0]" + clip.source.afterInput;
        } else if (i == 0) {
            graph = clip.source.generator;
        } else {
            const Stage& before = segments[i - 1].stages.back();
            argv.insert(argv.end(),
                        {"-f", "rawvideo", "-pix_fmt", ffmpegFormat(before.type), "-s",
                         std::to_string(before.width) + "x" + std::to_string(before.height), "-r", rate, "-i", "-"});
            graph = "[0:v]null";
        }
        for (const Stage& s : seg.stages) {
            if (s.kind == Stage::Kind::Subtitle) {
                auto font = fonts.find(s.subtitle.font);
                if (font == fonts.end())
                    font = fonts.emplace(s.subtitle.font, resolveFont(s.subtitle.font, warnings)).first;
                const auto textFile =
                    folder.write("text" + std::to_string(textCount++) + ".txt", quire::text::toUtf8(s.subtitle.text));
                graph += "," + drawTextFilter(s.subtitle, textFile, font->second);
            } else {
                graph += "," + s.filter;
            }
        }
        std::string format;
        std::string muxer = "rawvideo";
        if (!last)
            format = ffmpegFormat(segments[i + 1].stages.front().type);
        else if (output == Output::Bgra)
            format = "bgra";
        else {
            format = y4mFormat(clip);
            muxer = "yuv4mpegpipe";
        }
        graph += (last ? ",setsar=1,format=" : ",format=") + format + "[v]";
        const auto script = folder.write("graph" + std::to_string(i) + ".txt", graph);
        argv.insert(argv.end(), {"-filter_complex_script", script.string(), "-map", "[v]", "-an", "-sn", "-fps_mode",
                                 "passthrough", "-r", rate, "-f", muxer, "-y", last ? target : "-"});
        if (last) // FFmpeg writes the output itself: its progress report tells how many frames it wrote
            argv.insert(argv.end() - 1, {"-progress", (progress = folder.path() / "progress.txt").string()});
        const pid_t pid = startProgram(argv, inFd, outFd);
        if (inFd >= 0)
            close(inFd);
        if (outFd >= 0)
            close(outFd);
        if (pid < 0) {
            std::cerr << "quire-avs: cannot start ffmpeg\n";
            for (auto& t : threads)
                t.join();
            return 4;
        }
        programs.push_back(pid);
        inFd = nextIn;
    }
    for (const std::string& w : warnings)
        std::cerr << "quire-avs: warning: " << w << "\n";
    bool failed = false;
    for (const pid_t pid : programs)
        failed = waitProgram(pid) != 0 || failed;
    for (auto& t : threads)
        t.join();
    if (!failed && !progress.empty()) {
        // The count is the script's: FFmpeg delivering fewer frames (a short stream) is a failure.
        const int written = lastProgressFrame(progress);
        if (written != clip.frames) {
            std::cerr << "quire-avs: FFmpeg delivered " << written << " of " << clip.frames << " frames\n";
            failed = true;
        }
    }
    return failed || nativeFailed ? 4 : 0;
}

} // namespace quire::avs
