// Runs the real QuantDump program on streams that FFmpeg encodes once for the suite (elementary,
// DVD and MPEG-1 system streams; custom, partly custom and default matrices; streams that change
// matrices, cut streams, junk) and checks its output line by line, its exit status and its errors.
#include "QuantDumpStreams.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using namespace quire::test;
using namespace quire::test::dumplines;

namespace {

const std::string kQuantDump = QUANTDUMP_PROGRAM;
const std::string kFfmpeg = FFMPEG_PROGRAM;

// The matrices given to FFmpeg, in raster order; asymmetric, so a transposed or zig-zag
// ordered read shows.
const Matrix kIntraA = rampMatrix(8, 1);
const Matrix kNonIntraA = rampMatrix(17, 2);
const Matrix kIntraB = gridMatrix(10, 2, 5);
const Matrix kNonIntraB = gridMatrix(20, 9, 1);

const Lines kDefaults = joined({defaultIntraBlock(), defaultNonIntraBlock()});
const Lines kPairA = joined({block(kIntra, kIntraA), block(kNonIntra, kNonIntraA)});
const Lines kPairB = joined({block(kIntra, kIntraB), block(kNonIntra, kNonIntraB)});
const Lines kAThenB = joined({kDefaults, kPairA, kPairB});

struct ProgramRun {
    int status = -1;
    std::string errors; // what the program wrote on standard error
};

std::string commaList(const Matrix& raster) {
    std::string text;
    for (std::size_t i = 0; i < raster.size(); ++i)
        text += (i ? "," : "") + std::to_string(raster[i]);
    return text;
}

// Starts a program without a shell (standard input from /dev/null, standard output and error
// into files under `logs`).
pid_t start(const std::vector<std::string>& args, const fs::path& logs) {
    fs::create_directories(logs);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (logs / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (logs / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

int exitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

ProgramRun run(const std::vector<std::string>& args, const fs::path& logs) {
    const pid_t pid = start(args, logs);
    if (pid < 0)
        return {-1, "cannot start " + args[0]};
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {exitStatus(status), readBytes(logs / "stderr.txt")};
}

// The whole file against the lines, each ended by CR LF.
void expectLines(const fs::path& file, const Lines& want) {
    std::string text;
    for (const std::string& line : want)
        text += line + "\r\n";
    EXPECT_EQ(readBytes(file), text) << file;
}

// The streams, encoded once: pairs A and B, defaults only, intra only, non-intra only, and the
// system streams made from A then B.
class QuantDumpRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_temp = std::make_unique<TempFolder>();
        if (!fs::is_regular_file(kQuantDump) || kFfmpeg.empty() || !fs::is_regular_file(kFfmpeg))
            return;
        encode("a.m2v", kIntraA, kNonIntraA);
        encode("b.m2v", kIntraB, kNonIntraB);
        encode("plain.m2v", std::nullopt, std::nullopt);
        encode("intra.m2v", kIntraA, std::nullopt);
        encode("inter.m2v", std::nullopt, kNonIntraA);
        encode("a1.m2v", kIntraA, kNonIntraA, "mpeg1video");
        encode("b1.m2v", kIntraB, kNonIntraB, "mpeg1video");
        concatenate("ab.m2v", {"a.m2v", "b.m2v"});
        concatenate("ab.mpv", {"a1.m2v", "b1.m2v"});
        const std::string ab = path("ab.m2v").string();
        // The DVD muxer writes navigation packets (private stream 2) and AC-3 audio (private stream 1).
        ffmpeg({"-i", ab, "-f", "lavfi", "-i", "sine=sample_rate=48000", "-map", "0:v", "-map", "1:a", "-c:v", "copy",
                "-c:a", "ac3", "-shortest", "-f", "dvd", path("ab.vob").string()});
        // Packets of 100 bytes cannot hold a sequence header with both matrices (140 bytes).
        ffmpeg({"-i", ab, "-c:v", "copy", "-f", "vob", "-packetsize", "100", path("small.vob").string()});
        ffmpeg(
            {"-f", "mpegvideo", "-i", path("ab.mpv").string(), "-c:v", "copy", "-f", "mpeg", path("ab.mpg").string()});
    }
    static void TearDownTestSuite() { s_temp.reset(); }

    void SetUp() override {
        ASSERT_TRUE(fs::is_regular_file(kQuantDump)) << "QuantDump was not built at " << kQuantDump;
        ASSERT_TRUE(!kFfmpeg.empty() && fs::is_regular_file(kFfmpeg))
            << "These tests encode their streams with FFmpeg, which was not found when the build was "
               "configured. Install Debian's ffmpeg package (make deps) and configure again.";
        ASSERT_TRUE(fs::exists(path("ab.mpg"))) << "FFmpeg failed: " << readBytes(path("logs") / "stderr.txt");
    }

    static fs::path path(const std::string& name) { return *s_temp / name; }
    static std::string bytesOf(const std::string& name) { return readBytes(path(name)); }
    static fs::path write(const std::string& name, const std::string& bytes) { return s_temp->write(name, bytes); }

    static void ffmpeg(std::vector<std::string> args) {
        args.insert(args.begin(), {kFfmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"});
        run(args, path("logs"));
    }

    // Three frames of a small test picture as an elementary stream, with the given matrices.
    static void encode(const std::string& name, const std::optional<Matrix>& intra, const std::optional<Matrix>& inter,
                       const std::string& codec = "mpeg2video") {
        std::vector<std::string> args = {"-f",        "lavfi", "-i",   "testsrc=size=64x48:rate=25",
                                         "-frames:v", "3",     "-c:v", codec};
        if (intra)
            args.insert(args.end(), {"-intra_matrix", commaList(*intra)});
        if (inter)
            args.insert(args.end(), {"-inter_matrix", commaList(*inter)});
        args.push_back(path(name).string());
        ffmpeg(args);
    }

    static fs::path concatenate(const std::string& name, const std::vector<std::string>& parts) {
        std::string bytes;
        for (const std::string& part : parts)
            bytes += bytesOf(part);
        return write(name, bytes);
    }

    static ProgramRun quantDump(const fs::path& input, const fs::path& output) {
        return run({kQuantDump, input.string(), output.string()}, path("logs"));
    }

    static std::unique_ptr<TempFolder> s_temp;
};

std::unique_ptr<TempFolder> QuantDumpRun::s_temp;

} // namespace

TEST_F(QuantDumpRun, WritesTheFirstTwoCustomPairsWhateverTheStreamKind) {
    // FFmpeg takes -intra_matrix and -inter_matrix in raster order (row by row); QuantDump reads
    // the zig-zag bitstream order back into raster order, so the values come out as given.
    fs::copy_file(path("ab.vob"), path("program.m2v"), fs::copy_options::overwrite_existing);
    fs::copy_file(path("ab.m2v"), path("elementary.vob"), fs::copy_options::overwrite_existing);
    const struct {
        fs::path input;
        Lines lines;
    } cases[] = {
        {path("a.m2v"), joined({kDefaults, kPairA, kPairA})},
        {path("intra.m2v"),
         joined({kDefaults, block(kIntra, kIntraA), emptyBlock(), block(kIntra, kIntraA), defaultNonIntraBlock()})},
        {path("inter.m2v"), joined({kDefaults, block(kNonIntra, kNonIntraA), emptyBlock(), defaultIntraBlock(),
                                    block(kNonIntra, kNonIntraA)})},
        {path("plain.m2v"), kDefaults},
        {path("ab.m2v"), kAThenB},
        // The second pair is the next that differs from the defaults and from the first.
        {concatenate("mixed.m2v", {"plain.m2v", "a.m2v", "plain.m2v", "a.m2v", "intra.m2v", "b.m2v"}),
         joined({kDefaults, kPairA, block(kIntra, kIntraA), defaultNonIntraBlock()})},
        {path("ab.vob"), kAThenB},
        {path("small.vob"), kAThenB},
        {path("ab.mpg"), kAThenB},
        // The kind is told from the content, not the name.
        {path("program.m2v"), kAThenB},
        {path("elementary.vob"), kAThenB},
        {write("cut.m2v", bytesOf("a.m2v") + bytesOf("b.m2v").substr(0, 70)), joined({kDefaults, kPairA, kPairA})}};
    const std::string vob = bytesOf("ab.vob");
    ASSERT_NE(vob.find(std::string("\0\0\1\xBF", 4)), std::string::npos) << "no navigation packet";
    ASSERT_NE(vob.find(std::string("\0\0\1\xBD", 4)), std::string::npos) << "no AC-3 packet";
    ASSERT_EQ(bytesOf("small.vob").find(bytesOf("b.m2v").substr(0, 140)), std::string::npos) << "header not split";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.filename().string());
        const fs::path output = path(c.input.filename().string() + ".txt");
        write(output.filename().string(), std::string(5000, 'x')); // an earlier run's output is replaced
        const ProgramRun r = quantDump(c.input, output);
        ASSERT_EQ(r.status, 0) << r.errors;
        EXPECT_EQ(r.errors, "");
        expectLines(output, c.lines);
    }
}

TEST_F(QuantDumpRun, BadInputsFailWithTheirReasonInTheOutputAndOnStandardError) {
    const std::string noStream = "It holds no MPEG video sequence header: it is not an MPEG-1 or MPEG-2 video stream.";
    std::mt19937 random(4711);
    std::string junk(std::size_t{64} * 1024, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    fs::create_directory(path("folder.vob"));
    const std::string a = bytesOf("a.m2v");
    const std::size_t picture = a.find(std::string("\0\0\1\0", 4));
    ASSERT_NE(picture, std::string::npos);
    const struct {
        fs::path input;
        std::string reason;
    } cases[] = {
        {write("cut.m2v", a.substr(0, 70)), "Its sequence header is damaged, or the file is cut short inside it."},
        // Cut at the first picture: its matrices were never used, which is not a stream that keeps
        // the default matrices.
        {write("headers.m2v", a.substr(0, picture)),
         "It ends before the first picture coded after its sequence header: the file is cut short."},
        {write("junk.vob", junk), noStream},
        {write("empty.m2v", ""), noStream},
        {path("no such stream.vob"), "The file cannot be read (No such file or directory)."},
        {path("folder.vob"), "The file cannot be read (it is a folder)."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.filename().string());
        const fs::path output = write("failed.txt", "an output left by an earlier run\r\n");
        const ProgramRun r = quantDump(c.input, output);
        EXPECT_EQ(r.status, 1);
        expectLines(output, {"QuantDump error: " + c.reason});
        EXPECT_EQ(r.errors, "QuantDump: " + c.input.string() + ": " + c.reason + "\n");
    }
    const std::string stream = path("a.m2v").string(), out = path("out.txt").string();
    for (const auto& call : std::vector<std::vector<std::string>>{
             {kQuantDump}, {kQuantDump, stream}, {kQuantDump, stream, out, "extra"}}) {
        const ProgramRun r = run(call, path("logs"));
        EXPECT_EQ(r.status, 2) << call.size() - 1 << " arguments";
        EXPECT_TRUE(r.errors.starts_with("QuantDump: ")) << r.errors;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(QuantDumpRun, OutputThatCannotBeWrittenLeavesNothing) {
    const ProgramRun r = quantDump(path("no such stream.vob"), path("no such folder") / "out.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(path("no such folder")));
}

TEST_F(QuantDumpRun, StopsReadingOnceTheSecondPairIsKnown) {
    // The stream comes through a pipe that is never closed: QuantDump can only finish by
    // stopping on its own once pair B is known.
    const std::string ab = bytesOf("ab.m2v");
    ASSERT_LT(ab.size(), std::size_t{64} * 1024) << "the stream must fit in the pipe";
    const fs::path fifo = path("stream.fifo"), output = path("fifo.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    const pid_t pid = start({kQuantDump, fifo.string(), output.string()}, path("logs"));
    ASSERT_GT(pid, 0);
    // Opening without blocking fails until QuantDump has opened its end; retry for a while.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int writer = -1, status = 0;
    bool exited = false;
    while (writer < 0 && std::chrono::steady_clock::now() < deadline)
        if ((writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (writer >= 0 && ::write(writer, ab.data(), ab.size()) == static_cast<ssize_t>(ab.size()))
        while (!(exited = waitpid(pid, &status, WNOHANG) == pid) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    if (writer >= 0)
        close(writer);
    ASSERT_TRUE(exited) << "QuantDump kept waiting for more input after the second pair was known";
    EXPECT_EQ(exitStatus(status), 0) << bytesOf("logs/stderr.txt");
    expectLines(output, kAThenB);
}
