// Real runs of quire-encode on a short clip that FFmpeg makes, one per control form. The matrices that
// went into the stream are read back with the QuantDump stand-in; the other settings are checked as the
// FFmpeg arguments they give, in the job tests.
#include "EncodeMatrices.h"
#include "integration/QuantDumpStreams.h"

#include "support/RunProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire::encode;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

const std::string kEncoder = ENCODE_PROGRAM;
const std::string kQuantDump = QUANTDUMP_PROGRAM;
const std::string kFfmpeg = FFMPEG_PROGRAM;

// The text QuantDump writes for a stream with the default matrices, or with asymmetric(): intra
// 8 + 2r + 3c, non-intra 16 + r + 2c.
std::string expectedDump(bool custom) {
    const std::string pair = dumplines::pairBlocks(gridMatrix(8, 2, 3), gridMatrix(16, 1, 2));
    return dumplines::kDefaultBlocks + (custom ? pair + pair : "");
}

class EncodeProgram : public ::testing::Test {
protected:
    // The clip, and the program in a folder of its own beside a renderer that hands over the clip.
    static void SetUpTestSuite() {
        ASSERT_FALSE(kFfmpeg.empty()) << "Debian's ffmpeg is needed";
        s_folder = new TempFolder;
        const std::string made =
            "-f lavfi -i testsrc=s=720x576:r=25 -frames:v 20 -pix_fmt yuv420p " + shellQuoted(clip());
        ASSERT_EQ(runCommand(kFfmpeg + " -v error -nostdin " + made, s_folder->path()).status, 0);
        s_folder->write("bin/quire-avs",
                        "#!/bin/sh\ncase \"$1\" in *bad.avs) echo \"bad.avs:1: no function named Oops\" >&2; exit 2 ;; "
                        "esac\ncase \"$2\" in\n--info) echo \"720 576 25 20 yuv420p\" ;;\n"
                        "--y4m) if [ \"$3\" = - ]; then cat " +
                            shellQuoted(clip()) + "; else cp " + shellQuoted(clip()) +
                            " \"$3\"; fi ;;\n*) exit 2 ;;\nesac\n");
        fs::permissions(*s_folder / "bin" / "quire-avs", fs::perms::owner_all);
        fs::copy_file(kEncoder, *s_folder / "bin" / "quire-encode");
    }
    static void TearDownTestSuite() { delete s_folder; }
    static fs::path clip() { return *s_folder / "clip.y4m"; }

    ProgramRun encode(const std::string& arguments) {
        return runCommand(shellQuoted(*s_folder / "bin" / "quire-encode") + " " + arguments, m_dir.path());
    }

    // The text QuantDump writes for the stream.
    std::string dumped(const fs::path& stream) {
        EXPECT_EQ(runProgram({kQuantDump, stream.string(), (m_dir / "dump.txt").string()}, m_dir.path()).status, 0);
        return m_dir.read("dump.txt");
    }

    TempFolder m_dir;
    static TempFolder* s_folder;
};

TempFolder* EncodeProgram::s_folder = nullptr;

TEST_F(EncodeProgram, EveryControlFormGetsItsSettingsIntoTheStream) {
    // Quire's SP layout (Basic's, the other control list layout, is read by the front-end tests);
    // encode_last is the segment's frame count, one past its last frame. The output folder is spelt as
    // on Windows, in another case than the folder's.
    fs::create_directories(m_dir / "Preview");
    const std::string output = m_dir.path().string() + "\\preview\\seg.m2v";
    m_dir.write("sp.ecl", "; Cinema Craft Encoder SP -- Encoder Control List\r\n\r\n[item]\r\nprogressive=0\r\n"
                          "vbr_brate_max=8000\r\nvbr_brate_avg=4000\r\nframe_rate_idx=3\r\naspect_ratio=3\r\n"
                          "qmat_idx=-1\r\nq_scale_type=1\r\nqmat= \r\nvid_file0=" +
                              output + "\r\nvid_file1=" + output + "\r\n" + matrixRows(0, 16, " ", "\t\r\n") +
                              "\r\n\r\n[file]\r\nname=" + clip().string() +
                              "\r\nframe_first=0\r\nframe_last=20\r\nencode_first=0\r\nencode_last=20\r\n");
    m_dir.write("hc.ini", "*BATCH\r\n*PROFILE  FAST\r\n*INFILE  " + clip().string() +
                              "\r\n*OUTFILE  hc.m2v\r\n*BITRATE  0\r\n*MAXBITRATE  8000\r\n*WAIT 0\r\n*BIAS 20\r\n"
                              "*CQ_MAXBITRATE  4.5\r\n*CUSTOMMATRIX\r\n" +
                              matrixRows(0, 8, " ", "\r\n") + "\r\n" + matrixRows(8, 8, " ", "\r\n") +
                              "*DC_PREC 10\r\n*ASPECT 4:3\r\n*INTERLACED\r\n");
    m_dir.write("encode.avs", "Mpeg2Source(\"seg.d2v\")\r\n");
    std::string cqm;
    for (const int v : asymmetric())
        cqm += static_cast<char>(v);
    m_dir.write("temp.cqm", cqm);
    const std::string quEnc = "-i " + shellQuoted(m_dir / "encode.avs") + " -b 4000 -maxbitrate 8000 -o ";
    const struct {
        std::string arguments, said, stream;
        bool customMatrix;
    } cases[] = {
        {"-ecl " + shellQuoted(m_dir / "sp.ecl") + " -batch", "past the clip's last frame 19", "Preview/seg.m2v", true},
        // Quality 4.5 on the clip itself, not a script.
        {"-ini " + shellQuoted(m_dir / "hc.ini"), "one pass", "hc.m2v", true},
        {quEnc + shellQuoted(m_dir / "quenc.m2v") + " -2 -vbr -cmatrix " + shellQuoted(m_dir / "temp.cqm"), "rendering",
         "quenc.m2v", true},
        // One pass: the renderer writes straight into FFmpeg.
        {quEnc + shellQuoted(m_dir / "one.m2v") + " -1 -vbr -nocmatrix", "--y4m - | ffmpeg", "one.m2v", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stream);
        const ProgramRun run = encode(c.arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out;
        EXPECT_TRUE(m_dir.read(c.stream).ends_with(std::string("\0\0\1\xB7", 4))) << "no sequence end code";
        EXPECT_EQ(dumped(m_dir / c.stream), expectedDump(c.customMatrix));
        EXPECT_FALSE(fs::exists(m_dir / (c.stream + ".part")));
    }
}

TEST_F(EncodeProgram, RefusesWithOneLineAndLeavesTheOutputAlone) {
    m_dir.write("seg.m2v", "keep");
    const std::string common = " -o " + shellQuoted(m_dir / "seg.m2v") + " -b 4000 -2 -vbr";
    m_dir.write("late.ecl", "[item]\r\nvbr_brate_avg=4000\r\nvid_file=seg.m2v\r\n[file]\r\nname=" + clip().string() +
                                "\r\nencode_first=20\r\nencode_last=25\r\n");
    const struct {
        std::string arguments;
        int status;
        std::string reason;
    } cases[] = {
        {"-ecl " + shellQuoted(m_dir / "late.ecl") + " -batch", 1, "first frame 20 is outside the clip's frames 0-19"},
        {"-i " + shellQuoted(m_dir / "none.y4m") + common, 3, "cannot find the input"},
        {"-ini", 2, "usage"},
        {"-i " + shellQuoted(clip()) + " -o " + shellQuoted(m_dir / "none" / "seg.m2v") + " -b 4000 -2", 1,
         "the output folder " + (m_dir / "none").string() + " does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ProgramRun run = encode(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_EQ(m_dir.read("seg.m2v"), "keep");
    }
    // A script error: the renderer's line reaches the user, and nothing is encoded.
    m_dir.write("bad.avs", "Oops()\r\n");
    const ProgramRun bad =
        encode("-i " + shellQuoted(m_dir / "bad.avs") + " -o " + shellQuoted(m_dir / "bad.m2v") + " -b 4000 -2");
    EXPECT_EQ(bad.status, 3);
    EXPECT_NE(bad.err.find("bad.avs:1: no function named Oops\n"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("has an error"), std::string::npos) << bad.err;
    EXPECT_FALSE(fs::exists(m_dir / "bad.m2v"));
}

} // namespace
