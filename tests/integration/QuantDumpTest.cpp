// Runs the real QuantDump program on streams that FFmpeg encodes during the test (elementary,
// DVD and MPEG-1 system streams; custom, partly custom and default matrices; streams that change
// matrices, cut streams, junk) and checks its output line by line, its exit status and its errors.
#include "QuantDumpStreams.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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
    argv.reserve(args.size() + 1);
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
    ProgramRun result;
    const pid_t pid = start(args, logs);
    if (pid < 0) {
        result.errors = "cannot start " + args[0];
        return result;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = exitStatus(status);
    result.errors = readBytes(logs / "stderr.txt");
    return result;
}

// The lines of a file that must end every line with CR LF.
Lines crlfLines(const fs::path& file) {
    const std::string text = readBytes(file);
    Lines lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
        lines.push_back(text.substr(begin, end - begin));
    EXPECT_EQ(begin, text.size()) << file << " has bytes after its last CR LF";
    for (const std::string& line : lines)
        EXPECT_EQ(line.find('\n'), std::string::npos) << file << " has a line ended by LF alone";
    return lines;
}

// Compares line by line, so that a failure names the first line that differs.
void expectLines(const fs::path& file, const Lines& want) {
    const Lines got = crlfLines(file);
    ASSERT_EQ(got.size(), want.size()) << file;
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[i], want[i]) << file << " line " << i + 1;
}

class QuantDumpRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_regular_file(kQuantDump)) << "QuantDump was not built at " << kQuantDump;
        ASSERT_TRUE(!kFfmpeg.empty() && fs::is_regular_file(kFfmpeg))
            << "These tests encode their streams with FFmpeg, which was not found when the build was "
               "configured. Install Debian's ffmpeg package (make deps) and configure again.";
    }

    fs::path path(const std::string& name) const { return m_temp / name; }

    // Runs FFmpeg quietly with the given arguments; the test fails when it does not succeed.
    void ffmpeg(std::vector<std::string> args) {
        args.insert(args.begin(), {kFfmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"});
        const ProgramRun r = run(args, path("logs"));
        ASSERT_EQ(r.status, 0) << "FFmpeg failed: " << r.errors;
    }

    // Three frames of a small test picture as an elementary stream, with the given matrices.
    fs::path encode(const std::string& name, const std::optional<Matrix>& intra, const std::optional<Matrix>& inter,
                    const std::string& codec = "mpeg2video") {
        std::vector<std::string> args = {"-f",        "lavfi", "-i",   "testsrc=size=64x48:rate=25",
                                         "-frames:v", "3",     "-c:v", codec};
        if (intra)
            args.insert(args.end(), {"-intra_matrix", commaList(*intra)});
        if (inter)
            args.insert(args.end(), {"-inter_matrix", commaList(*inter)});
        args.push_back(path(name).string());
        ffmpeg(args);
        return path(name);
    }

    fs::path concatenate(const std::string& name, const std::vector<fs::path>& parts) {
        std::string bytes;
        for (const fs::path& part : parts)
            bytes += readBytes(part);
        return m_temp.write(name, bytes);
    }

    fs::path encodeA(const std::string& codec = "mpeg2video") { return encode("a.m2v", kIntraA, kNonIntraA, codec); }
    fs::path encodeB(const std::string& codec = "mpeg2video") { return encode("b.m2v", kIntraB, kNonIntraB, codec); }
    // Pair A, then pair B from its first sequence header on.
    fs::path encodeAThenB() { return concatenate("ab.m2v", {encodeA(), encodeB()}); }

    ProgramRun quantDump(const fs::path& input, const fs::path& output) {
        return run({kQuantDump, input.string(), output.string()}, path("logs"));
    }

    // Runs QuantDump and expects success with exactly these lines.
    void expectDump(const fs::path& input, const Lines& want) {
        const fs::path output = path(input.filename().string() + ".txt");
        const ProgramRun r = quantDump(input, output);
        ASSERT_EQ(r.status, 0) << input << ": " << r.errors;
        EXPECT_EQ(r.errors, "");
        expectLines(output, want);
    }

    // Runs QuantDump on a bad input and expects failure: exit 1, an old output replaced by the one
    // line that gives the reason, the same reason after the input's name on standard error.
    void expectFailure(const fs::path& input, const std::string& reason) {
        const fs::path output = path("failed.txt");
        m_temp.write("failed.txt", "an output left by an earlier run\r\n");
        const ProgramRun r = quantDump(input, output);
        EXPECT_EQ(r.status, 1) << input;
        expectLines(output, {"QuantDump error: " + reason});
        EXPECT_EQ(r.errors, "QuantDump: " + input.string() + ": " + reason + "\n");
    }

    TempFolder m_temp;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Elementary streams

TEST_F(QuantDumpRun, CustomIntraAndNonIntra) {
    // FFmpeg takes -intra_matrix and -inter_matrix in raster order (row by row); QuantDump reads
    // the zig-zag bitstream order back into raster order, so the values come out as given.
    expectDump(encodeA(), joined({kDefaults, kPairA, kPairA}));
}

TEST_F(QuantDumpRun, OnlyACustomIntra) {
    const fs::path stream = encode("intra.m2v", kIntraA, std::nullopt);
    expectDump(stream, joined({kDefaults, block(kIntra, kIntraA), emptyBlock(), block(kIntra, kIntraA),
                               defaultNonIntraBlock()}));
}

TEST_F(QuantDumpRun, OnlyACustomNonIntra) {
    const fs::path stream = encode("inter.m2v", std::nullopt, kNonIntraA);
    expectDump(stream, joined({kDefaults, block(kNonIntra, kNonIntraA), emptyBlock(), defaultIntraBlock(),
                               block(kNonIntra, kNonIntraA)}));
}

TEST_F(QuantDumpRun, DefaultsOnlyGiveTwentyLines) {
    expectDump(encode("plain.m2v", std::nullopt, std::nullopt), kDefaults);
}

TEST_F(QuantDumpRun, StreamThatChangesMatricesPartWay) {
    expectDump(encodeAThenB(), joined({kDefaults, kPairA, kPairB}));
}

TEST_F(QuantDumpRun, SecondPairIsTheNextThatDiffersFromDefaultsAndFirst) {
    const fs::path a = encodeA(), b = encodeB();
    const fs::path plain = encode("plain.m2v", std::nullopt, std::nullopt);
    const fs::path intraOnly = encode("intra.m2v", kIntraA, std::nullopt);
    const fs::path stream = concatenate("mixed.m2v", {plain, a, plain, a, intraOnly, b});
    expectDump(stream, joined({kDefaults, kPairA, block(kIntra, kIntraA), defaultNonIntraBlock()}));
}

TEST_F(QuantDumpRun, OutputOfAnEarlierRunIsReplaced) {
    const fs::path stream = encode("plain.m2v", std::nullopt, std::nullopt);
    m_temp.write("plain.m2v.txt", std::string(5000, 'x'));
    expectDump(stream, kDefaults);
}

// ---------------------------------------------------------------------------------------------
// Program streams

TEST_F(QuantDumpRun, DvdProgramStreamThatChangesMatrices) {
    const fs::path es = encodeAThenB();
    const fs::path vob = path("ab.vob");
    ffmpeg({"-i", es.string(), "-f", "lavfi", "-i", "sine=sample_rate=48000", "-map", "0:v", "-map", "1:a", "-c:v",
            "copy", "-c:a", "ac3", "-shortest", "-f", "dvd", vob.string()});
    // The DVD muxer writes navigation packets (private stream 2) and AC-3 audio (private stream 1).
    const std::string bytes = readBytes(vob);
    EXPECT_NE(bytes.find(std::string("\0\0\1\xBF", 4)), std::string::npos) << "no navigation packet";
    EXPECT_NE(bytes.find(std::string("\0\0\1\xBD", 4)), std::string::npos) << "no AC-3 packet";
    expectDump(vob, joined({kDefaults, kPairA, kPairB}));
}

TEST_F(QuantDumpRun, MatricesSplitAcrossSmallPacketsAreStillFound) {
    const fs::path es = encodeAThenB();
    const fs::path vob = path("small.vob");
    ffmpeg({"-i", es.string(), "-c:v", "copy", "-f", "vob", "-packetsize", "100", vob.string()});
    // Packets of 100 bytes cannot hold a sequence header with both matrices (140 bytes).
    const std::string header = readBytes(path("b.m2v")).substr(0, 140);
    ASSERT_EQ(header.substr(0, 4), std::string("\0\0\1\xB3", 4));
    EXPECT_EQ(readBytes(vob).find(header), std::string::npos) << "the header was not split";
    expectDump(vob, joined({kDefaults, kPairA, kPairB}));
}

TEST_F(QuantDumpRun, Mpeg1SystemStream) {
    const fs::path es = concatenate("ab.mpv", {encodeA("mpeg1video"), encodeB("mpeg1video")});
    const fs::path mpg = path("ab.mpg");
    ffmpeg({"-f", "mpegvideo", "-i", es.string(), "-c:v", "copy", "-f", "mpeg", mpg.string()});
    expectDump(mpg, joined({kDefaults, kPairA, kPairB}));
}

TEST_F(QuantDumpRun, KindIsToldFromTheContentNotTheName) {
    const fs::path es = encodeAThenB();
    const fs::path vob = path("ab.vob");
    ffmpeg({"-i", es.string(), "-c:v", "copy", "-f", "vob", vob.string()});
    fs::copy_file(vob, path("program.m2v"));
    fs::copy_file(es, path("elementary.vob"));
    expectDump(path("program.m2v"), joined({kDefaults, kPairA, kPairB}));
    expectDump(path("elementary.vob"), joined({kDefaults, kPairA, kPairB}));
}

// ---------------------------------------------------------------------------------------------
// Damaged input and failures

TEST_F(QuantDumpRun, StreamCutInsideTheSecondSequenceHeader) {
    const std::string a = readBytes(encodeA());
    const std::string b = readBytes(encodeB());
    const fs::path cut = m_temp.write("cut.m2v", a + b.substr(0, 70));
    expectDump(cut, joined({kDefaults, kPairA, kPairA}));
}

TEST_F(QuantDumpRun, CutStreamsFailWithTheirReason) {
    const std::string a = readBytes(encodeA());
    expectFailure(m_temp.write("cut.m2v", a.substr(0, 70)),
                  "Its sequence header is damaged, or the file is cut short inside it.");
    // Cut at the first picture: the matrices were never used, which is not a stream that keeps the
    // default matrices.
    const std::size_t picture = a.find(std::string("\0\0\1\0", 4));
    ASSERT_NE(picture, std::string::npos);
    expectFailure(m_temp.write("headers.m2v", a.substr(0, picture)),
                  "It ends before the first picture coded after its sequence header: the file is cut short.");
}

TEST_F(QuantDumpRun, InputsThatAreNoStreamFailWithTheirReason) {
    const std::string noStream = "It holds no MPEG video sequence header: it is not an MPEG-1 or MPEG-2 video stream.";
    std::mt19937 random(4711);
    std::string junk(std::size_t{256} * 1024, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    expectFailure(m_temp.write("junk.vob", junk), noStream);
    expectFailure(m_temp.write("empty.m2v", ""), noStream);
    expectFailure(path("no such stream.vob"), "The file cannot be read (No such file or directory).");
    fs::create_directory(path("folder.vob"));
    expectFailure(path("folder.vob"), "The file cannot be read (it is a folder).");
}

TEST_F(QuantDumpRun, OutputThatCannotBeWrittenLeavesNothing) {
    const ProgramRun r = quantDump(path("no such stream.vob"), path("no such folder") / "out.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(path("no such folder")));
}

TEST_F(QuantDumpRun, WrongArgumentCountIsAUsageError) {
    const fs::path stream = encodeA();
    const std::vector<std::vector<std::string>> calls = {
        {kQuantDump},
        {kQuantDump, stream.string()},
        {kQuantDump, stream.string(), path("out.txt").string(), "extra"},
    };
    for (const auto& call : calls) {
        const ProgramRun r = run(call, path("logs"));
        EXPECT_EQ(r.status, 2) << call.size() - 1 << " arguments";
        EXPECT_TRUE(r.errors.starts_with("QuantDump: ")) << r.errors;
    }
    EXPECT_FALSE(fs::exists(path("out.txt")));
}

TEST_F(QuantDumpRun, StopsReadingOnceTheSecondPairIsKnown) {
    // The stream comes through a pipe that is never closed: QuantDump can only finish by
    // stopping on its own once pair B is known.
    const std::string ab = readBytes(encodeAThenB());
    const fs::path fifo = path("stream.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    const fs::path output = path("fifo.txt");
    const pid_t pid = start({kQuantDump, fifo.string(), output.string()}, path("logs"));
    ASSERT_GT(pid, 0);
    // Opening without blocking fails until QuantDump has opened its end; retry for a while.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int writer = -1;
    while (writer < 0 && std::chrono::steady_clock::now() < deadline) {
        writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (writer < 0)
        kill(pid, SIGKILL);
    ASSERT_GE(writer, 0) << "QuantDump did not open its input: " << std::strerror(errno);
    ASSERT_LT(ab.size(), std::size_t{64} * 1024) << "the stream must fit in the pipe";
    ASSERT_EQ(write(writer, ab.data(), ab.size()), static_cast<ssize_t>(ab.size()));

    int status = 0;
    bool exited = false;
    while (!exited && std::chrono::steady_clock::now() < deadline) {
        exited = waitpid(pid, &status, WNOHANG) == pid;
        if (!exited)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    close(writer);
    ASSERT_TRUE(exited) << "QuantDump kept waiting for more input after the second pair was known";
    EXPECT_EQ(exitStatus(status), 0) << readBytes(path("logs") / "stderr.txt");
    expectLines(output, joined({kDefaults, kPairA, kPairB}));
}
