// quire-sample-project FOLDER [options]: builds a prepared Tessera project from nothing: Tessera.ini
// in FOLDER, and in its work folder the MPEG-2 program streams FFmpeg encodes now, their .d2v
// indexes, the segment scripts, Tessera.inf and Tessera.ecl. Prints what it made.
// Exit status: 0 built (or Editor.ini already named a Tessera folder); 1 failed; 2 usage error.
#include "SampleProject.h"
#include "StreamIndex.h"

#include "platform/FileIo.h"
#include "platform/ProfileString.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using namespace quire;
using namespace quire::sample;

namespace {

const char* const kMarker = ".quire-sample-project"; // marks a folder this program built

struct Failure {
    std::string reason;
};

void check(bool ok, const std::string& reason) {
    if (!ok)
        throw Failure{reason};
}

fs::path programFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

// Runs FFmpeg without a shell, its standard input closed, and waits; true on exit status 0.
bool runFfmpeg(const std::vector<std::string>& args, std::string& reason) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        reason = "cannot start ffmpeg (" + std::string(std::strerror(spawned)) + "); install Debian's ffmpeg package";
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) {
            reason = "lost track of ffmpeg";
            return false;
        }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    reason = WIFEXITED(status) ? "ffmpeg ended with status " + std::to_string(WEXITSTATUS(status))
                               : "ffmpeg was stopped by signal " + std::to_string(WTERMSIG(status));
    return false;
}

std::vector<std::string> encodeArgs(const Options& options, const Segment& segment, std::size_t index,
                                    const fs::path& output) {
    const FrameRate rate = frameRateOf(options);
    const std::string size = std::to_string(options.width) + "x" + std::to_string(pictureHeight(options));
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", (segment.frames + 1) / rate.perSecond);
    // Each segment looks different; a slide show holds each picture for a second.
    std::string filter = "hue=h=" + std::to_string(static_cast<int>(index * 47 % 360));
    if (segment.action == 2)
        filter = "fps=1," + filter + ",fps=" + rate.ffmpeg;
    filter += options.progressive ? ",setfield=prog" : ",setfield=tff"; // marks progressive_frame
    std::vector<std::string> args = {
        "ffmpeg",
        "-nostdin",
        "-hide_banner",
        "-loglevel",
        "error",
        "-y",
        "-f",
        "lavfi",
        "-i",
        "testsrc2=size=" + size + ":rate=" + rate.ffmpeg,
        "-f",
        "lavfi",
        "-i",
        "sine=frequency=" + std::to_string(330 + 110 * (index % 4)) + ":sample_rate=48000:duration=" + seconds,
        "-map",
        "0:v",
        "-map",
        "1:a",
        "-vf",
        filter,
        "-frames:v",
        std::to_string(segment.frames),
        "-c:v",
        "mpeg2video",
        "-b:v",
        segment.titleSet == 1 ? "3000k" : "1800k",
        "-maxrate",
        "8000k",
        "-bufsize",
        "1835008",
        "-g",
        std::to_string(rate.gop),
        "-bf",
        "2",
        "-aspect",
        segment.aspect == 3 ? "16:9" : "4:3"};
    if (!options.progressive)
        args.insert(args.end(), {"-flags", "+ilme+ildct", "-top", "1"});
    args.insert(args.end(), {"-c:a", "mp2", "-b:a", "128k", "-ac", "2", "-f", "dvd", output.string()});
    return args;
}

void writeFile(const fs::path& file, const std::string& bytes) {
    check(fileio::writeFileAtomic(file, bytes), "cannot write " + file.string());
}

std::string hostText(const fs::path& path, bool nativePaths) {
    const std::string text = fileio::pathToText(path);
    check(!text.empty(), "the path " + path.string() + " cannot be written in Windows-1252");
    return hostPath(text, nativePaths);
}

// Makes the folder ready: new, empty, or a sample project this program built before (replaced).
void prepareFolder(const fs::path& folder) {
    std::error_code error;
    if (fs::exists(folder, error) && !fs::is_directory(folder, error))
        throw Failure{folder.string() + " is a file, not a folder"};
    if (fs::exists(folder / kMarker, error)) {
        for (const char* part : {"work", "Tessera.ini", kMarker})
            fs::remove_all(folder / part, error);
    }
    if (fs::exists(folder, error) && !fs::is_empty(folder, error))
        throw Failure{folder.string() + " is not empty: give a new or empty folder"};
    fs::create_directories(folder / "work" / "D2VAVS", error);
    check(!error, "cannot make " + (folder / "work" / "D2VAVS").string() + ": " + error.message());
    fs::create_directories(folder / "work" / "VOB", error);
    check(!error, "cannot make " + (folder / "work" / "VOB").string() + ": " + error.message());
}

const char* actionWord(int action) {
    return action == 1 ? "  blanked" : action == 2 ? "  slide show" : "";
}

int build(const Options& options) {
    const auto started = std::chrono::steady_clock::now();
    const fs::path folder = fs::absolute(options.folder).lexically_normal();
    const fs::path tesseraFolder = folder.has_filename() ? folder : folder.parent_path();
    const fs::path editorIni = options.editorIni.empty() ? fs::path() : fs::absolute(options.editorIni);
    if (!editorIni.empty()) {
        const std::string named = profile::getString(editorIni, "Config", "TesseraFolder", "", 255);
        if (!named.empty()) {
            std::printf("%s already names a Tessera folder (%s); nothing built.\n", editorIni.c_str(), named.c_str());
            return 0;
        }
    }
    const fs::path bin = options.programFolder.empty() ? programFolder() : fs::absolute(options.programFolder);
    const fs::path work = tesseraFolder / "work";
    const fs::path project = work / "D2VAVS";

    Layout layout;
    layout.tesseraFolder = hostText(tesseraFolder, options.nativePaths);
    layout.workFolder = hostJoin(hostText(work, options.nativePaths), "");
    layout.projectFolder = hostJoin(hostJoin(layout.workFolder, "D2VAVS"), "");
    layout.encoder = hostText(bin / "quire-encode", options.nativePaths);
    prepareFolder(tesseraFolder);
    // Marked first, so that a build cut short can be replaced by the next run.
    writeFile(tesseraFolder / kMarker, "Built by quire-sample-project; running it again on this folder replaces it.\n");

    const FrameRate rate = frameRateOf(options);
    std::vector<Segment> segments = planSegments(options);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        Segment& segment = segments[i];
        const std::string name = segment.name();
        const fs::path stream = work / "VOB" / (name + ".VOB");
        std::string reason;
        const bool encoded = runFfmpeg(encodeArgs(options, segment, i, stream), reason);
        check(encoded, name + ": " + reason);
        std::optional<std::string> bytes = fileio::readFile(stream);
        check(bytes.has_value(), "cannot read " + stream.string());
        if (options.ntsc && options.film) {
            const bool pulledDown = applySoftPulldown(*bytes, reason);
            check(pulledDown, name + ": " + reason);
            writeFile(stream, *bytes);
        }
        const StreamIndex index = indexStream(*bytes, reason);
        check(reason.empty(), name + ": " + reason);
        check(index.frames() == segment.frames, name + ": FFmpeg made " + std::to_string(index.frames()) +
                                                    " frames, not " + std::to_string(segment.frames));
        segment.videoSectors = index.videoSectors;
        segment.audioSectors = index.audioSectors;
        D2vSource source;
        source.streamPath = hostText(stream, options.nativePaths);
        source.aspect = segment.aspect == 3 ? "16:9" : "4:3";
        source.width = options.width;
        source.height = pictureHeight(options);
        source.fieldOperation = options.ntsc && options.film ? 1 : 0;
        source.frameRate = rate.d2v;
        source.vobId = segment.vobId;
        source.cellId = segment.cellId;
        writeFile(project / (name + ".d2v"), d2vText(index, source));
        writeFile(project / (name + ".avs"), segmentScript(layout, segment));
    }
    writeFile(project / "Tessera.inf", tesseraInf(options, segments));
    writeFile(project / "Tessera.ecl", tesseraEcl(options, layout, segments));
    if (options.analysis)
        writeFile(project / "ANALYSIS.ECL", tesseraEcl(options, layout, segments, true));
    writeFile(tesseraFolder / "Tessera.ini", tesseraIni(options, layout));

    const EncoderChoice& encoder = encoderChoice(options.encoder);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("Sample Tessera project in %s (%.1f s)\n", tesseraFolder.c_str(), took);
    std::printf("  Tessera.ini       Working=%s, encoders -> %s\n", layout.workFolder.c_str(), layout.encoder.c_str());
    std::printf("  work/D2VAVS/      Tessera.inf (mode %s, ccetype %s%s), Tessera.ecl%s\n", encoder.mode,
                encoder.ccetype, options.ilvu ? ", ILVU section" : "", options.analysis ? ", ANALYSIS.ECL" : "");
    std::printf("  %s %s, %dx%d, %s fps, %s\n", options.ntsc ? "NTSC" : "PAL", options.film ? "film" : "video",
                options.width, pictureHeight(options), rate.ffmpeg, options.progressive ? "progressive" : "interlaced");
    for (const Segment& segment : segments)
        std::printf("  %s.avs  %4d frames  %5ld video + %4ld audio sectors  %s%s%s\n", segment.name().c_str(),
                    segment.frames, segment.videoSectors, segment.audioSectors, segment.aspect == 3 ? "16:9" : "4:3",
                    segment.ilvu ? "  interleaved" : "", actionWord(segment.action));
    if (!editorIni.empty()) {
        const std::string text = fileio::pathToText(tesseraFolder);
        check(profile::writeString(editorIni, "Config", "TesseraFolder", text), "cannot write " + editorIni.string());
        std::printf("%s: TesseraFolder=%s\n", editorIni.c_str(), text.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--help") {
            std::printf("%s", usage().c_str());
            return 0;
        }
    std::string error;
    const std::optional<Options> options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "quire-sample-project: %s\n%s", error.c_str(), usage().c_str());
        return 2;
    }
    try {
        return build(*options);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "quire-sample-project: %s\n", failure.reason.c_str());
        return 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quire-sample-project: %s\n", failure.what());
        return 1;
    }
}
