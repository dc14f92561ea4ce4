// Runs the real QuantDump program on streams that FFmpeg encodes once for the suite (elementary,
// DVD program streams; custom, partly custom and default matrices; streams that change
// matrices, cut streams) and checks its output, its exit status and its errors.
#include "QuantDumpStreams.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quire::test;
using namespace quire::test::dumplines;

namespace {

const std::string kQuantDump = QUANTDUMP_PROGRAM;
const std::string kFfmpeg = FFMPEG_PROGRAM;

// The matrices given to FFmpeg, in raster order; asymmetric, so a transposed or zig-zag
// ordered read shows.
const Matrix kIntraA = gridMatrix(8, 8, 1), kNonIntraA = gridMatrix(17, 16, 2);
const Matrix kIntraB = gridMatrix(10, 2, 5), kNonIntraB = gridMatrix(20, 9, 1);
const std::string kPairA = pairBlocks(kIntraA, kNonIntraA);
const std::string kAThenB = kDefaultBlocks + kPairA + pairBlocks(kIntraB, kNonIntraB);

// The streams, encoded once: pairs A and B, defaults only, intra only, and the DVD stream made from
// A then B. MPEG-1 system streams are read in the parser tests.
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
        write("ab.m2v", bytesOf("a.m2v") + bytesOf("b.m2v"));
        const std::string ab = path("ab.m2v").string();
        // The DVD muxer writes navigation packets (private stream 2) and AC-3 audio (private stream 1).
        ffmpeg({"-i", ab, "-f", "lavfi", "-i", "sine=sample_rate=48000", "-map", "0:v", "-map", "1:a", "-c:v", "copy",
                "-c:a", "ac3", "-shortest", "-f", "dvd", path("ab.vob").string()});
    }
    static void TearDownTestSuite() { s_temp.reset(); }

    void SetUp() override {
        ASSERT_TRUE(fs::is_regular_file(kQuantDump) && !kFfmpeg.empty() && fs::is_regular_file(kFfmpeg))
            << "QuantDump was not built at " << kQuantDump << ", or FFmpeg, which these tests encode their streams "
            << "with, was not found when the build was configured: install Debian's ffmpeg package (make deps) and "
               "configure again.";
        ASSERT_TRUE(fs::exists(path("ab.vob"))) << "FFmpeg failed: " << s_ffmpegErrors;
    }

    static fs::path path(const std::string& name) { return *s_temp / name; }
    static std::string bytesOf(const std::string& name) { return readBytes(path(name)); }
    static fs::path write(const std::string& name, const std::string& bytes) { return s_temp->write(name, bytes); }

    static ProgramRun run(const std::vector<std::string>& args) { return runProgram(args, s_temp->path()); }
    static void ffmpeg(std::vector<std::string> args) {
        args.insert(args.begin(), {kFfmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"});
        s_ffmpegErrors += run(args).err;
    }

    // Three frames of a small test picture as an elementary stream, with the given matrices (FFmpeg
    // takes them as comma lists in raster order).
    static void encode(const std::string& name, const std::optional<Matrix>& intra,
                       const std::optional<Matrix>& inter) {
        std::vector<std::string> args = {"-f",        "lavfi", "-i",   "testsrc=size=64x48:rate=25",
                                         "-frames:v", "3",     "-c:v", "mpeg2video"};
        for (const auto& [option, matrix] : {std::pair{"-intra_matrix", intra}, std::pair{"-inter_matrix", inter}}) {
            std::string list;
            for (std::size_t i = 0; matrix && i < 64; ++i)
                list += (i ? "," : "") + std::to_string((*matrix)[i]);
            if (matrix)
                args.insert(args.end(), {option, list});
        }
        args.push_back(path(name).string());
        ffmpeg(args);
    }

    static ProgramRun quantDump(const fs::path& input, const fs::path& output) {
        return run({kQuantDump, input.string(), output.string()});
    }

    static std::unique_ptr<TempFolder> s_temp;
    static std::string s_ffmpegErrors;
};

std::unique_ptr<TempFolder> QuantDumpRun::s_temp;
std::string QuantDumpRun::s_ffmpegErrors;

} // namespace

TEST_F(QuantDumpRun, WritesTheFirstTwoCustomPairsWhateverTheStreamKind) {
    // FFmpeg takes -intra_matrix and -inter_matrix in raster order (row by row); QuantDump reads
    // the zig-zag bitstream order back into raster order, so the values come out as given.
    const struct {
        fs::path input;
        std::string text;
    } cases[] = {
        {path("a.m2v"), kDefaultBlocks + kPairA + kPairA},
        {path("intra.m2v"),
         kDefaultBlocks + block(kIntra, kIntraA) + kEmptyBlock + pairBlocks(kIntraA, gridMatrix(16, 0, 0))},
        {path("plain.m2v"), kDefaultBlocks},
        {path("ab.vob"), kAThenB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.filename().string());
        const fs::path output = path(c.input.filename().string() + ".txt");
        write(output.filename().string(), std::string(5000, 'x')); // an earlier run's output is replaced
        const ProgramRun r = quantDump(c.input, output);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(readBytes(output), c.text);
    }
}

TEST_F(QuantDumpRun, BadInputsFailWithTheirReasonInTheOutputAndOnStandardError) {
    fs::create_directory(path("folder.vob"));
    const std::string a = bytesOf("a.m2v");
    const std::size_t picture = a.find(std::string("\0\0\1\0", 4));
    const struct {
        fs::path input;
        std::string reason;
    } cases[] = {
        {write("cut.m2v", a.substr(0, 70)), "Its sequence header is damaged, or the file is cut short inside it."},
        // Cut at the first picture: its matrices were never used, which is not a stream that keeps
        // the default matrices.
        {write("headers.m2v", a.substr(0, picture)),
         "It ends before the first picture coded after its sequence header: the file is cut short."},
        {write("empty.m2v", ""), "It holds no MPEG video sequence header: it is not an MPEG-1 or MPEG-2 video stream."},
        {path("no such stream.vob"), "The file cannot be read (No such file or directory)."},
        {path("folder.vob"), "The file cannot be read (it is a folder)."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.filename().string());
        const fs::path output = write("failed.txt", "an output left by an earlier run\r\n");
        const ProgramRun r = quantDump(c.input, output);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(readBytes(output), "QuantDump error: " + c.reason + "\r\n");
        EXPECT_EQ(r.err, "QuantDump: " + c.input.string() + ": " + c.reason + "\n");
    }
    // An output that cannot be written leaves nothing.
    EXPECT_EQ(quantDump(path("no such stream.vob"), path("no such folder") / "out.txt").status, 1);
    EXPECT_FALSE(fs::exists(path("no such folder")));
}

TEST_F(QuantDumpRun, StopsReadingOnceTheSecondPairIsKnown) {
    // The stream comes through a pipe whose writing end stays open: QuantDump can only finish by
    // stopping on its own once pair B is known, else `timeout` ends it after 30 seconds.
    const std::string ab = bytesOf("ab.m2v");
    ASSERT_LT(ab.size(), std::size_t{64} * 1024) << "the stream must fit in the pipe";
    const fs::path fifo = path("stream.fifo"), output = path("fifo.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int end = open(fifo.c_str(), O_RDWR); // never blocks, and keeps the pipe open
    ASSERT_EQ(::write(end, ab.data(), ab.size()), static_cast<ssize_t>(ab.size()));
    const ProgramRun r = run({"timeout", "30", kQuantDump, fifo.string(), output.string()});
    close(end);
    ASSERT_EQ(r.status, 0) << "QuantDump kept waiting for more input after the second pair was known: " << r.err;
    EXPECT_EQ(readBytes(output), kAThenB);
}
