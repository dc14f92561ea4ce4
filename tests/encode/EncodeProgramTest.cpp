// Real runs of quire-encode on a short clip that FFmpeg makes, one per control form. What went into
// the stream is read back: the matrices with the QuantDump stand-in, the other fields with a small
// reader of the MPEG-2 headers.
#include "EncodeJob.h"
#include "QuantMatrix.h"

#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

using namespace quire::encode;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::string kEncoder = ENCODE_PROGRAM;
const std::string kQuantDump = QUANTDUMP_PROGRAM;
const std::string kFfmpeg = FFMPEG_PROGRAM;
constexpr int kClipFrames = 20;

// What the headers of an elementary stream say.
struct StreamFacts {
    int aspect = -1, frameRateCode = -1, vbvBits = -1, progressiveSequence = -1, chromaFormat = -1;
    int pictures = 0, gops = 0, closedGops = 0, topFieldFirst = 0, nonLinear = 0;
    std::vector<int> dcBits; // per picture
};

StreamFacts readHeaders(const std::string& s) {
    StreamFacts f;
    const auto byte = [&s](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; };
    for (std::size_t i = 0; i + 4 < s.size(); ++i) {
        if (byte(i) != 0 || byte(i + 1) != 0 || byte(i + 2) != 1)
            continue;
        const unsigned code = byte(i + 3);
        const std::size_t b = i + 4;
        if (code == 0x00) {
            ++f.pictures;
        } else if (code == 0xB3) {
            f.aspect = static_cast<int>(byte(b + 3) >> 4);
            f.frameRateCode = static_cast<int>(byte(b + 3) & 15);
            f.vbvBits = static_cast<int>(((byte(b + 6) & 31) << 5) | (byte(b + 7) >> 3)) * 16384;
        } else if (code == 0xB8) {
            ++f.gops;
            f.closedGops += static_cast<int>((byte(b + 3) >> 6) & 1);
        } else if (code == 0xB5 && (byte(b) >> 4) == 1) {
            f.progressiveSequence = static_cast<int>((byte(b + 1) >> 3) & 1);
            f.chromaFormat = static_cast<int>((byte(b + 1) >> 1) & 3);
        } else if (code == 0xB5 && (byte(b) >> 4) == 8) {
            f.dcBits.push_back(8 + static_cast<int>((byte(b + 2) >> 2) & 3));
            f.topFieldFirst += static_cast<int>(byte(b + 3) >> 7);
            f.nonLinear += static_cast<int>((byte(b + 3) >> 4) & 1);
        }
    }
    return f;
}

MatrixValues asymmetric() {
    MatrixValues values{};
    for (int i = 0; i < 64; ++i) {
        values[static_cast<std::size_t>(i)] = 8 + 2 * (i / 8) + 3 * (i % 8);
        values[static_cast<std::size_t>(64 + i)] = 16 + i / 8 + 2 * (i % 8);
    }
    return values;
}

std::string matrixRows(const MatrixValues& values, int first, int count, const char* end) {
    std::string out;
    for (int r = first; r < first + count; ++r) {
        for (int c = 0; c < 8; ++c)
            out += (c ? " " : "") + std::to_string(values[static_cast<std::size_t>(r * 8 + c)]);
        out += end;
    }
    return out;
}

std::string quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

class EncodeProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_FALSE(kFfmpeg.empty()) << "Debian's ffmpeg is needed";
        s_clipFolder = new TempFolder;
        const int made = std::system((kFfmpeg + " -v error -nostdin -f lavfi -i testsrc=s=720x576:r=25 -frames:v " +
                                      std::to_string(kClipFrames) + " -pix_fmt yuv420p " +
                                      quote(*s_clipFolder / "clip.y4m") + " </dev/null")
                                         .c_str());
        ASSERT_EQ(made, 0);
        // HC Encoder and QuEnc scripts end in ConvertToYUY2: 4:2:2 frames.
        ASSERT_EQ(std::system((kFfmpeg + " -v error -nostdin -i " + quote(clip()) + " -pix_fmt yuv422p " +
                               quote(*s_clipFolder / "clip422.y4m") + " </dev/null")
                                  .c_str()),
                  0);
    }
    static void TearDownTestSuite() { delete s_clipFolder; }
    static fs::path clip() { return *s_clipFolder / "clip.y4m"; }

    ProgramRun encode(const std::string& arguments, const std::string& program = kEncoder) {
        ProgramRun run;
        const int status = std::system((quote(program) + " " + arguments + " </dev/null >" + quote(m_dir / "out.txt") +
                                        " 2>" + quote(m_dir / "err.txt"))
                                           .c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = m_dir.read("out.txt");
        run.err = m_dir.read("err.txt");
        return run;
    }

    // The matrix blocks QuantDump writes, 64 values each.
    std::vector<std::vector<int>> dumpedMatrices(const fs::path& stream) {
        const fs::path dump = m_dir / "dump.txt";
        EXPECT_EQ(std::system((quote(kQuantDump) + " " + quote(stream) + " " + quote(dump)).c_str()), 0);
        std::vector<std::vector<int>> blocks;
        std::istringstream in(quire::test::readBytes(dump));
        std::string line;
        while (std::getline(in, line))
            if (line.find("Quant Matrix:") != std::string::npos) {
                blocks.emplace_back();
                for (int r = 0; r < 8 && std::getline(in, line); ++r) {
                    std::istringstream row(line);
                    int v = 0;
                    while (row >> v)
                        blocks.back().push_back(v);
                }
            }
        return blocks;
    }

    void expectCustomMatrix(const fs::path& stream, const MatrixValues& given) {
        const auto blocks = dumpedMatrices(stream);
        ASSERT_EQ(blocks.size(), 6u);
        EXPECT_EQ(blocks[2], std::vector<int>(given.begin(), given.begin() + 64));
        EXPECT_EQ(blocks[3], std::vector<int>(given.begin() + 64, given.end()));
    }

    TempFolder m_dir;
    static TempFolder* s_clipFolder;
};

TempFolder* EncodeProgram::s_clipFolder = nullptr;

TEST_F(EncodeProgram, ControlListWithMatrixInterlacedAndRangeEndClamped) {
    const MatrixValues matrix = asymmetric();
    // Quire's SP layout; encode_last is the segment's frame count, one past its last frame. The
    // output folder is spelt as on Windows, in another case than the folder's.
    fs::create_directories(m_dir / "Preview");
    const std::string output = m_dir.path().string() + "\\preview\\seg.m2v";
    m_dir.write("preview.ecl", "; Cinema Craft Encoder SP -- Encoder Control List\r\n\r\n[item]\r\nprogressive=0\r\n"
                               "vbr_brate_max=8000\r\nvbr_brate_avg=4000\r\nframe_rate_idx=3\r\naspect_ratio=3\r\n"
                               "qmat_idx=-1\r\nq_scale_type=1\r\nqmat= \r\nvid_file0=" +
                                   output + "\r\nvid_file1=" + output + "\r\n" + matrixRows(matrix, 0, 16, "\t\r\n") +
                                   "\r\n\r\n[file]\r\nname=" + clip().string() +
                                   "\r\nframe_first=0\r\nframe_last=20\r\nencode_first=0\r\nencode_last=20\r\n");
    const ProgramRun run = encode("-ecl " + quote(m_dir / "preview.ecl") + " -batch");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("past the clip's last frame 19"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("pass 2 of 2"), std::string::npos) << run.out;
    const StreamFacts f = readHeaders(m_dir.read("Preview/seg.m2v"));
    EXPECT_EQ(f.pictures, kClipFrames);
    EXPECT_EQ(f.aspect, 3);
    EXPECT_EQ(f.frameRateCode, 3);
    EXPECT_EQ(f.vbvBits, kVbvBufferBits);
    EXPECT_EQ(f.progressiveSequence, 0);
    EXPECT_EQ(f.chromaFormat, 1);
    EXPECT_EQ(f.topFieldFirst, kClipFrames);
    EXPECT_EQ(f.nonLinear, kClipFrames);
    EXPECT_EQ(f.gops, 2); // 15 + 5 frames
    EXPECT_EQ(f.closedGops, f.gops);
    EXPECT_EQ(f.dcBits, std::vector<int>(kClipFrames, 8));
    expectCustomMatrix(m_dir / "Preview" / "seg.m2v", matrix);
    EXPECT_EQ(m_dir.read("Preview/seg.m2v").substr(m_dir.read("Preview/seg.m2v").size() - 4),
              std::string("\0\0\1\xB7", 4)); // sequence_end_code
    EXPECT_FALSE(fs::exists(m_dir / "Preview" / "seg.m2v.part"));
}

TEST_F(EncodeProgram, BasicControlListWithoutMatrixKeepsTheDefaults) {
    m_dir.write("preview.ecl", "; Cinema Craft Encoder Basic -- Encoder Control List\r\n\r\n[item]\r\ntitle=preview\r\n"
                               "progressive=1\r\nvbr_brate_max=6000\r\nvbr_brate_avg=3000\r\naspect_ratio=2\r\n"
                               "qmat_idx=0\r\nvid_file=seg.m2v\r\nname=" +
                                   clip().string() +
                                   "\r\nframe_first=0\r\nframe_last=20\r\nencode_first=2\r\nencode_last=11\r\n\r\n"
                                   "[file]\r\n");
    const ProgramRun run = encode("-ecl " + quote(m_dir / "preview.ecl") + " -batch");
    ASSERT_EQ(run.status, 0) << run.err;
    const StreamFacts f = readHeaders(m_dir.read("seg.m2v"));
    EXPECT_EQ(f.pictures, 10);
    EXPECT_EQ(f.aspect, 2);
    EXPECT_EQ(f.progressiveSequence, 1);
    EXPECT_EQ(f.topFieldFirst, 0);
    EXPECT_EQ(f.nonLinear, 0);
    const auto blocks = dumpedMatrices(m_dir / "seg.m2v");
    ASSERT_EQ(blocks.size(), 2u);
    const auto& intra = quire::quantdump::defaultIntraMatrix();
    const auto& nonIntra = quire::quantdump::defaultNonIntraMatrix();
    EXPECT_EQ(blocks[0], std::vector<int>(intra.begin(), intra.end()));
    EXPECT_EQ(blocks[1], std::vector<int>(nonIntra.begin(), nonIntra.end()));
}

TEST_F(EncodeProgram, HcSettingsWithMatrixDcPrecisionAndQuality) {
    const MatrixValues matrix = asymmetric();
    m_dir.write("preview.ini",
                "*BATCH\r\n*PROFILE  FAST\r\n*INFILE  " + (*s_clipFolder / "clip422.y4m").string() +
                    "\r\n*OUTFILE  seg.m2v\r\n*BITRATE  0\r\n*MAXBITRATE  8000\r\n*WAIT 0\r\n*BIAS 20\r\n"
                    "*CQ_MAXBITRATE  4.5\r\n*CUSTOMMATRIX\r\n" +
                    matrixRows(matrix, 0, 8, "\r\n") + "\r\n" + matrixRows(matrix, 8, 8, "\r\n") +
                    "*DC_PREC 10\r\n*ASPECT 4:3\r\n*INTERLACED\r\n");
    const ProgramRun run = encode("-ini " + quote(m_dir / "preview.ini"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("one pass"), std::string::npos) << run.out;
    const StreamFacts f = readHeaders(m_dir.read("seg.m2v"));
    EXPECT_EQ(f.pictures, kClipFrames);
    EXPECT_EQ(f.aspect, 2);
    EXPECT_EQ(f.progressiveSequence, 0);
    EXPECT_EQ(f.chromaFormat, 1); // 4:2:0 from 4:2:2 frames
    EXPECT_EQ(f.closedGops, f.gops);
    EXPECT_EQ(f.dcBits, std::vector<int>(kClipFrames, 10));
    expectCustomMatrix(m_dir / "seg.m2v", matrix);
}

TEST_F(EncodeProgram, QuEncCommandLineRendersAScriptBesideTheProgram) {
    // The program in a folder of its own, beside a renderer that hands over the clip.
    fs::create_directories(m_dir / "bin");
    fs::copy_file(kEncoder, m_dir / "bin" / "quire-encode");
    m_dir.write("bin/quire-avs",
                "#!/bin/sh\ncase \"$1\" in *bad.avs) echo \"bad.avs:1: no function named Oops\" >&2; exit 2 ;; esac\n"
                "case \"$2\" in\n--info) echo \"720 576 25 20 yuv420p\" ;;\n"
                "--y4m) if [ \"$3\" = - ]; then cat " +
                    quote(clip()) + "; else cp " + quote(clip()) + " \"$3\"; fi ;;\n*) exit 2 ;;\nesac\n");
    fs::permissions(m_dir / "bin" / "quire-avs", fs::perms::owner_all);
    m_dir.write("encode.avs", "Mpeg2Source(\"seg.d2v\")\r\n");
    const MatrixValues matrix = asymmetric();
    std::string cqm;
    for (const int v : matrix)
        cqm += static_cast<char>(v);
    m_dir.write("temp.cqm", cqm);
    const ProgramRun run =
        encode("-i " + quote(m_dir / "encode.avs") + " -o " + quote(m_dir / "seg.m2v") +
                   " -b 4000 -maxbitrate 8000 -aspectratio 16:9 -2 -vbr -dc 9 -nohq -noscene -notrell"
                   " -nointerlaced -cmatrix " +
                   quote(m_dir / "temp.cqm") + " -mpeg2 -auto -close",
               (m_dir / "bin" / "quire-encode").string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("rendering"), std::string::npos) << run.out;
    const StreamFacts f = readHeaders(m_dir.read("seg.m2v"));
    EXPECT_EQ(f.pictures, kClipFrames);
    EXPECT_EQ(f.aspect, 3);
    EXPECT_EQ(f.progressiveSequence, 1);
    EXPECT_EQ(f.dcBits, std::vector<int>(kClipFrames, 9));
    expectCustomMatrix(m_dir / "seg.m2v", matrix);

    // One pass: the renderer writes straight into FFmpeg.
    const ProgramRun single = encode("-i " + quote(m_dir / "encode.avs") + " -o " + quote(m_dir / "one.m2v") +
                                         " -b 4000 -maxbitrate 8000 -1 -vbr -nocmatrix",
                                     (m_dir / "bin" / "quire-encode").string());
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_NE(single.out.find("--y4m - | ffmpeg"), std::string::npos) << single.out;
    EXPECT_EQ(readHeaders(m_dir.read("one.m2v")).pictures, kClipFrames);

    // A script error: the renderer's line reaches the user, and nothing is encoded.
    m_dir.write("bad.avs", "Oops()\r\n");
    const ProgramRun bad = encode("-i " + quote(m_dir / "bad.avs") + " -o " + quote(m_dir / "bad.m2v") + " -b 4000 -2",
                                  (m_dir / "bin" / "quire-encode").string());
    EXPECT_EQ(bad.status, 3);
    EXPECT_NE(bad.err.find("bad.avs:1: no function named Oops"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("has an error"), std::string::npos) << bad.err;
    EXPECT_FALSE(fs::exists(m_dir / "bad.m2v"));
}

TEST_F(EncodeProgram, RefusesWithOneLineAndLeavesTheOutputAlone) {
    struct Case {
        std::string arguments;
        int status;
        std::string reason;
    };
    m_dir.write("seg.m2v", "keep");
    const std::string common = " -o " + quote(m_dir / "seg.m2v") + " -b 4000 -2 -vbr";
    m_dir.write("late.ecl", "[item]\r\nvbr_brate_avg=4000\r\nvid_file=seg.m2v\r\n[file]\r\nname=" + clip().string() +
                                "\r\nencode_first=20\r\nencode_last=25\r\n");
    const std::vector<Case> cases = {
        {"-ecl " + quote(m_dir / "late.ecl") + " -batch", 1, "first frame 20 is outside the clip's frames 0-19"},
        {"-i " + quote(clip()) + common + " -maxbitrate 12000", 1, "maximum bitrate 12000"},
        {"-i " + quote(m_dir / "none.y4m") + common, 3, "cannot find the input"},
        {"-ini", 2, "usage"},
        {"-i " + quote(clip()) + " -o " + quote(m_dir / "none" / "seg.m2v") + " -b 4000 -2", 1,
         "the output folder " + (m_dir / "none").string() + " does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ProgramRun run = encode(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_EQ(m_dir.read("seg.m2v"), "keep");
    }
}

} // namespace
