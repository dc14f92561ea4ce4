// quire-encode: the MPEG-2 encoder that Quire's test encode runs in place of the Windows encoders.
// Its first option chooses the control form:
//   quire-encode -ecl FILE [-batch]   an encoder control list (Cinema Craft Encoder, ProCoder)
//   quire-encode -ini FILE            an HC settings file
//   quire-encode -i IN -o OUT ...     QuEnc's command line
// The input is an AviSynth script, rendered by quire-avs from the program folder, or any file FFmpeg
// reads. Exit status: 0 encoded; 1 the job was refused (one line on standard error says why);
// 2 usage; 3 the input is missing or could not be rendered; 4 FFmpeg failed.
#include "EncodeJob.h"
#include "FrontEnds.h"
#include "MediaProbe.h"

#include "platform/FileIo.h"
#include "platform/Text1252.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using namespace quire;
using namespace quire::encode;

namespace {

constexpr int kRefused = 1, kUsage = 2, kNoInput = 3, kFfmpegFailed = 4;

void progress(const std::string& line) {
    std::printf("quire-encode: %s\n", line.c_str());
    std::fflush(stdout);
}

int fail(const std::string& reason, int status) {
    std::fflush(stdout);
    std::fprintf(stderr, "quire-encode: %s\n", reason.c_str());
    return status;
}

fs::path programFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

struct RunResult {
    bool started = false;
    int status = -1; // exit status; -1 when stopped by a signal
    std::string output;
};

// Starts a program without a shell: standard input from `inFd` (none: closed), standard output to
// `outFd` (none: this program's). The process id, or -1 when it cannot be started.
pid_t spawn(const std::vector<std::string>& args, int inFd, int outFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, inFd, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

// The exit status of a started program; -1 when a signal stopped it.
int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a program and waits; its standard output is captured when `capture` is set, else passed through.
RunResult run(const std::vector<std::string>& args, bool capture) {
    RunResult result;
    int pipeEnds[2] = {-1, -1};
    if (capture && pipe2(pipeEnds, O_CLOEXEC) != 0)
        return result;
    const pid_t pid = spawn(args, -1, pipeEnds[1]);
    if (capture) {
        close(pipeEnds[1]);
        char buffer[4096];
        for (ssize_t got = 0; pid >= 0 && (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;)
            if (got > 0)
                result.output.append(buffer, static_cast<std::size_t>(got));
            else if (errno != EINTR)
                break;
        close(pipeEnds[0]);
    }
    result.started = pid >= 0;
    if (result.started)
        result.status = waitFor(pid);
    return result;
}

// Runs `first | second` and waits for both.
std::pair<RunResult, RunResult> runPiped(const std::vector<std::string>& first,
                                         const std::vector<std::string>& second) {
    std::pair<RunResult, RunResult> results;
    int pipeEnds[2] = {-1, -1};
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return results;
    const pid_t writer = spawn(first, -1, pipeEnds[1]);
    const pid_t reader = spawn(second, pipeEnds[0], -1);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    results.first.started = writer >= 0;
    results.second.started = reader >= 0;
    if (writer >= 0)
        results.first.status = waitFor(writer);
    if (reader >= 0)
        results.second.status = waitFor(reader);
    return results;
}

// The arguments as one shell line, for the progress output (and for timing the same run by hand).
std::string shellLine(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        const bool plain = !arg.empty() && arg.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                                 "0123456789_./:=+,-") == std::string::npos;
        std::string quoted = "'";
        for (const char c : arg)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += (line.empty() ? "" : " ") + (plain ? arg : quoted + "'");
    }
    return line;
}

// "25", "25/1", "30000/1001" or "29.97" as a rational rate.
bool parseRate(const std::string& text, ClipInfo& clip) {
    const std::size_t slash = text.find('/');
    if (slash != std::string::npos) {
        const auto num = parseWhole(text.substr(0, slash));
        const auto den = parseWhole(text.substr(slash + 1));
        if (!num || !den || *num <= 0 || *den <= 0)
            return false;
        clip.rateNum = *num;
        clip.rateDen = *den;
        return true;
    }
    char* end = nullptr;
    const double rate = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(rate > 0))
        return false;
    // NTSC rates written as decimals are the 1001 rates.
    for (const int base : {24, 30, 60})
        if (std::fabs(rate - base * 1000.0 / 1001.0) < 0.01) {
            clip.rateNum = base * 1000;
            clip.rateDen = 1001;
            return true;
        }
    clip.rateNum = static_cast<int>(std::lround(rate * 1000));
    clip.rateDen = 1000;
    return true;
}

bool isScript(const fs::path& input) {
    return text::toLower(input.extension().string()) == ".avs";
}

// The renderer's exit statuses: 2 script error, 3 missing media, 4 FFmpeg failed.
std::string rendererFailure(const fs::path& script, const RunResult& result) {
    const std::string what = result.status == 2   ? "has an error (see above)"
                             : result.status == 3 ? "names media that cannot be found (see above)"
                             : result.status == 4
                                 ? "could not be rendered by FFmpeg"
                                 : "could not be rendered (status " + std::to_string(result.status) + ")";
    return "the script " + script.string() + " " + what;
}

// What the renderer says of a script: "width height rate frames pixel-format" on one line.
std::optional<ClipInfo> scriptInfo(const fs::path& renderer, const fs::path& script, std::string& reason) {
    const RunResult info = run({renderer.string(), script.string(), "--info"}, true);
    if (!info.started) {
        reason = "cannot start the script renderer " + renderer.string();
        return std::nullopt;
    }
    if (info.status != 0) {
        reason = rendererFailure(script, info);
        return std::nullopt;
    }
    char width[16], height[16], rate[32], frames[16];
    ClipInfo clip;
    if (std::sscanf(info.output.c_str(), "%15s %15s %31s %15s", width, height, rate, frames) != 4 ||
        !parseRate(rate, clip) || !parseWhole(width) || !parseWhole(height) || !parseWhole(frames)) {
        reason = "the script renderer's --info line is not \"width height rate frames format\": " + info.output;
        return std::nullopt;
    }
    clip.width = *parseWhole(width);
    clip.height = *parseWhole(height);
    clip.frames = *parseWhole(frames);
    return clip;
}

// What a media file's first video stream holds: from its first bytes when they say it (YUV4MPEG2,
// MPEG video), else from ffprobe. Frames are counted, not estimated, when `countFrames` asks for them.
std::optional<ClipInfo> mediaInfo(const fs::path& media, bool countFrames, std::string& reason) {
    if (std::FILE* file = std::fopen(media.c_str(), "rb")) {
        std::string head(65536, '\0');
        head.resize(std::fread(head.data(), 1, head.size(), file));
        std::fclose(file);
        std::error_code error;
        const auto clip = probeHeader(head, fs::file_size(media, error));
        if (clip && (!countFrames || clip->frames != kNotCounted))
            return clip;
    }
    std::vector<std::string> args = {"ffprobe", "-v", "error", "-select_streams", "v:0"};
    if (countFrames)
        args.push_back("-count_packets");
    args.insert(args.end(), {"-show_entries", "stream=width,height,r_frame_rate,nb_read_packets", "-of",
                             "default=noprint_wrappers=1", media.string()});
    const RunResult probe = run(args, true);
    if (!probe.started) {
        reason = "cannot start ffprobe; install Debian's ffmpeg package";
        return std::nullopt;
    }
    std::map<std::string, std::string> values;
    for (const std::string& line : text::splitLines(probe.output))
        if (const std::size_t equals = line.find('='); equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    ClipInfo clip;
    const auto width = parseWhole(values["width"]);
    const auto height = parseWhole(values["height"]);
    const auto frames = countFrames ? parseWhole(values["nb_read_packets"]) : std::optional<int>(kNotCounted);
    if (probe.status != 0 || !width || !height || !frames || !parseRate(values["r_frame_rate"], clip)) {
        reason = "FFmpeg finds no video in " + media.string();
        return std::nullopt;
    }
    clip.width = *width;
    clip.height = *height;
    clip.frames = *frames;
    return clip;
}

// A private temporary folder, removed with its contents at the end of the run.
struct WorkFolder {
    fs::path path;
    WorkFolder() {
        std::string name = (fs::temp_directory_path() / "quire-encode-XXXXXX").string();
        if (mkdtemp(name.data()))
            path = name;
    }
    ~WorkFolder() {
        std::error_code ignored;
        if (!path.empty())
            fs::remove_all(path, ignored);
    }
};

// The path as written when it exists; else, folder by folder, the one entry whose name differs only
// in case (Quire and Tessera write names as Windows spells them: "\\preview\\" for "Preview").
fs::path matchCase(const fs::path& path) {
    std::error_code error;
    if (fs::exists(path, error) || !path.is_absolute())
        return path;
    fs::path found = path.root_path();
    for (const fs::path& part : path.relative_path()) {
        fs::path next = found / part;
        if (!fs::exists(next, error)) {
            const std::string wanted = text::toLower(part.string());
            for (const auto& entry : fs::directory_iterator(found, error))
                if (text::toLower(entry.path().filename().string()) == wanted) {
                    next = entry.path();
                    break;
                }
        }
        found = next;
    }
    return found;
}

std::optional<EncodeJob> readJob(int argc, char** argv, int& status) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    ParseResult parsed;
    const std::string& first = args.front();
    if (first == "-ecl" || first == "-ini") {
        const bool batchOk = args.size() == 2 || (first == "-ecl" && args.size() == 3 && args[2] == "-batch");
        if (!batchOk) {
            status = fail("usage: quire-encode -ecl FILE [-batch] | -ini FILE | QuEnc options", kUsage);
            return std::nullopt;
        }
        const fs::path file = args[1];
        const auto bytes = fileio::readFile(file);
        if (!bytes) {
            status = fail("cannot read " + file.string(), kRefused);
            return std::nullopt;
        }
        parsed = first == "-ecl" ? parseControlList(*bytes, file) : parseHcSettings(*bytes, file);
    } else {
        parsed = parseQuEncArguments(args, fs::current_path());
    }
    if (!parsed.job) {
        status = fail(parsed.error, kRefused);
        return std::nullopt;
    }
    parsed.job->input = matchCase(parsed.job->input);
    parsed.job->output = matchCase(parsed.job->output.parent_path()) / parsed.job->output.filename();
    return parsed.job;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return fail("usage: quire-encode -ecl FILE [-batch] | -ini FILE | QuEnc options", kUsage);
    int status = 0;
    const std::optional<EncodeJob> job = readJob(argc, argv, status);
    if (!job)
        return status;
    for (const std::string& note : job->notes)
        progress(note);

    std::error_code error;
    if (!fs::is_regular_file(job->input, error))
        return fail("cannot find the input " + job->input.string(), kNoInput);
    if (!fs::is_directory(job->output.parent_path(), error))
        return fail("the output folder " + job->output.parent_path().string() + " does not exist", kRefused);
    const bool script = isScript(job->input);
    const fs::path renderer = programFolder() / "quire-avs";
    std::string reason;
    const std::optional<ClipInfo> clip =
        script ? scriptInfo(renderer, job->input, reason)
               : mediaInfo(job->input, job->firstFrame != 0 || job->lastFrame.has_value(), reason);
    if (!clip)
        return fail(reason, kNoInput);
    progress("input " + job->input.string() + ": " + std::to_string(clip->width) + "x" + std::to_string(clip->height) +
             (clip->frames == kNotCounted ? std::string() : ", " + std::to_string(clip->frames) + " frames") + " at " +
             std::to_string(clip->rateNum) + "/" + std::to_string(clip->rateDen) + " frames/s");

    const CheckResult checked = checkJob(*job, *clip);
    if (!checked.range)
        return fail(checked.reason, kRefused);
    const FrameRange range = *checked.range;
    if (range.clamped)
        progress("the range ends past the clip's last frame " + std::to_string(clip->frames - 1) + ": encoding to it");
    progress(range.toEnd() ? std::string("encoding every frame")
                           : "encoding frames " + std::to_string(range.first) + "-" + std::to_string(range.last) +
                                 " (" + std::to_string(range.count()) + " frames)");

    WorkFolder work;
    if (work.path.empty())
        return fail("cannot make a temporary folder", kFfmpegFailed);
    // The stream is written beside the output and renamed over it only when complete.
    EncodeJob encode = *job;
    encode.output += ".part";
    const std::vector<int> passes = job->mode == RateMode::TwoPass ? std::vector<int>{1, 2} : std::vector<int>{0};
    // A script is rendered once: into a file that both passes read, so that they see the same frames,
    // or straight into FFmpeg for a single pass.
    const bool piped = script && passes.size() == 1;
    fs::path source = job->input;
    if (script) {
        source = piped ? fs::path("-") : work.path / "frames.y4m";
        progress("rendering " + job->input.string());
    }
    if (script && !piped) {
        const RunResult rendered = run({renderer.string(), job->input.string(), "--y4m", source.string()}, false);
        if (!rendered.started)
            return fail("cannot start the script renderer " + renderer.string(), kNoInput);
        if (rendered.status != 0)
            return fail(rendererFailure(job->input, rendered), kNoInput);
    }
    for (const int pass : passes) {
        progress(pass == 0 ? std::string("encoding in one pass")
                           : "pass " + std::to_string(pass) + " of " + std::to_string(passes.size()));
        const std::vector<std::string> args = ffmpegArguments(encode, *clip, range, source, pass, work.path / "pass");
        RunResult ran;
        if (piped) {
            const std::vector<std::string> render = {renderer.string(), job->input.string(), "--y4m", "-"};
            progress("running: " + shellLine(render) + " | " + shellLine(args));
            const auto [rendered, encoded] = runPiped(render, args);
            if (!rendered.started || rendered.status != 0) {
                fs::remove(encode.output, error);
                return fail(rendered.started ? rendererFailure(job->input, rendered)
                                             : "cannot start the script renderer " + renderer.string(),
                            kNoInput);
            }
            ran = encoded;
        } else {
            progress("running: " + shellLine(args));
            ran = run(args, false);
        }
        if (!ran.started || ran.status != 0) {
            fs::remove(encode.output, error);
            return fail(ran.started ? "FFmpeg failed (status " + std::to_string(ran.status) + ")"
                                    : "cannot start ffmpeg; install Debian's ffmpeg package",
                        kFfmpegFailed);
        }
    }
    // FFmpeg's elementary stream stops after the last picture; a stream ends with sequence_end_code.
    const bool ended = fileio::appendFile(encode.output, std::string_view("\0\0\1\xB7", 4));
    if (ended)
        fs::rename(encode.output, job->output, error);
    if (!ended || error) {
        fs::remove(encode.output, error);
        return fail("cannot write " + job->output.string(), kFfmpegFailed);
    }
    progress("wrote " + job->output.string());
    return 0;
}
