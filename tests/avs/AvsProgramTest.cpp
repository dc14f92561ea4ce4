// Runs of the quire-avs program through Debian's FFmpeg: what only a real run shows (the frame
// count FFmpeg delivers, the exit codes and messages, the native stages on real pipes).
#include "support/RunProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using quire::test::ProgramRun;
using quire::test::runCommand;
using quire::test::shellQuoted;
using quire::test::TempFolder;

namespace {

// Runs the script with the arguments (a shell text).
ProgramRun runAvs(const TempFolder& dir, const std::string& script, const std::string& args) {
    return runCommand(shellQuoted(QUIRE_AVS_PROGRAM) + " " + shellQuoted(dir.write("s.avs", script)) + " " + args,
                      dir.path());
}

// Runs FFmpeg quietly on the arguments (a shell text); true when it succeeds.
bool ffmpeg(const TempFolder& dir, const std::string& args) {
    return runCommand("ffmpeg -v error -y " + args, dir.path()).status == 0;
}

} // namespace

TEST(AvsProgram, ExitCodesAndMessages) {
    TempFolder dir;
    const struct {
        const char* script;
        int status;
        const char* output;
        const char* error;
    } cases[] = {
        {"BlankClip(length=12, width=480, height=273)\r\n", 0, "480 273 24/1 12 bgra\n", ""},
        {"BlankClip()\r\n\r\nTrim(1,2) Frobnicate()\r\n", 2, "", "s.avs:3: there is no function named \"Frobnicate\""},
        {"LoadPlugin(\"C:\\x\\DGDecode.dll\")\r\nMpeg2Source(\"D:\\none.d2v\")\r\n", 3, "",
         "cannot find \"D:\\none.d2v\""}};
    for (const auto& c : cases) {
        const ProgramRun r = runAvs(dir, c.script, "--info");
        EXPECT_EQ(r.status, c.status) << c.script << r.err;
        EXPECT_EQ(r.out, c.output);
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    }
    // A stream FFmpeg cannot decode: exit 4, whether FFmpeg writes the output or feeds a native stage.
    dir.write("JUNK.VOB", std::string(4096, '\x5a'));
    dir.write("J.d2v", "DGIndexProjectFile16\r\n1\r\nJUNK.VOB\r\n\r\nPicture_Size=64x48\r\nField_Operation=2\r\n"
                       "Frame_Rate=25000 (25/1)\r\n\r\n900 5 0 0 0 0 0 d2 f2 ff\r\n");
    for (const char* script : {"Mpeg2Source(\"J.d2v\")\r\n", "Mpeg2Source(\"J.d2v\").Undot()\r\n"})
        EXPECT_EQ(runAvs(dir, script, "--y4m -").status, 4) << script;
}

TEST(AvsProgram, SegmentScriptOverATwoPartVob) {
    TempFolder dir;
    const std::string vob = (dir / "all.vob").string();
    ASSERT_TRUE(ffmpeg(dir, "-f lavfi -i 'testsrc=s=64x48:r=30000/1001,format=yuv420p,trim=end_frame=20' -c:v "
                            "mpeg2video -g 6 -bf 2 -flags +cgop -sc_threshold 1000000000 -f vob " +
                                shellQuoted(vob)));
    const std::string all = dir.read("all.vob");
    dir.write("VTS_01_1.VOB", all.substr(0, 6144));
    dir.write("VTS_01_2.VOB", all.substr(6144));
    std::string flags;
    for (int i = 0; i < 20; ++i)
        flags += i % 6 == 0 ? " d2" : " f2";
    dir.write("V01.d2v",
              "DGIndexProjectFile16\r\n2\r\nD:\\DVD\\VIDEO_TS\\VTS_01_1.VOB\r\nvts_01_2.vob\r\n\r\nStream_Type=1\r\n"
              "Clipping=0,0,0,0\r\nPicture_Size=64x48\r\nField_Operation=2\r\nFrame_Rate=29970 (30000/1001)\r\n\r\n"
              "900 5 0 0 0 0 0" +
                  flags + " ff\r\n\r\nFINISHED  100.00% VIDEO\r\n");
    const std::string script =
        "# AVS File Created by DVD Tessera\r\n#------------------\r\n"
        "LoadPlugin(\"C:\\Program Files\\Tools\\DGDecode.dll\")\r\n"
        "Mpeg2Source(\"D:\\WORK\\SEGMENTS\\v01.D2V\")\r\nTrim(3,69)\r\n"
        "Undot() Deen(\"c3d\",rad=1,thrY=10,thrUV=12,tthY=0,tthUV=0,min=1.00) ConvertToYV12()\r\n";
    ProgramRun r = runAvs(dir, script, "--info");
    EXPECT_EQ(r.out, "64 48 30000/1001 17 yuv420p\n") << r.err;
    // The frames delivered, whether a native stage reads them or FFmpeg writes the output itself.
    const std::string plain = script.substr(0, script.find("Undot")) + "ConvertToYV12()\r\n";
    for (const std::string& text : {script, plain}) {
        r = runAvs(dir, text, "--y4m -");
        EXPECT_EQ(r.status, 0) << r.err;
        // The header line, then 17 frames of "FRAME\n" and their 4:2:0 samples.
        EXPECT_EQ(r.out.rfind("YUV4MPEG2 W64 H48 F30000:1001 ", 0), 0U);
        EXPECT_EQ(r.out.size(), r.out.find('\n') + 1 + 17 * (6 + 64 * 48 * 3 / 2)) << text;
    }
    // A .d2v listing six pictures more than the stream holds: the shortfall is a failure, either way.
    dir.write("V01.d2v", dir.read("V01.d2v").replace(dir.read("V01.d2v").find(" ff"), 0, " f2 f2 f2 f2 f2 f2"));
    for (const auto& [text, output] : {std::pair{script, "--y4m -"}, {plain, "--y4m -"}, {plain, "--bgra -"}}) {
        r = runAvs(dir, text, output);
        EXPECT_EQ(r.status, 4) << text << output;
        EXPECT_NE(r.err.find("delivered 17 of 23 frames"), std::string::npos) << r.err;
    }
}

TEST(AvsProgram, UndotEqualsFfmpegsRemovegrainClampOnRandomFrames) {
    TempFolder dir;
    // Three frames of strong noise, so that many samples stand out from all their neighbours.
    ASSERT_TRUE(ffmpeg(dir, "-f lavfi -i 'color=gray:s=24x18,noise=alls=100:allf=t,format=yuv420p' -frames:v 3 " +
                                shellQuoted(dir / "noise.y4m")));
    const ProgramRun r =
        runAvs(dir, "FFVideoSource(\"noise.y4m\")\nUndot()\n", "--y4m '" + (dir / "undot.y4m").string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(ffmpeg(dir, "-i " + shellQuoted(dir / "noise.y4m") + " -vf removegrain=m0=1:m1=1:m2=1 -f rawvideo " +
                                shellQuoted(dir / "ref.yuv")));
    ASSERT_TRUE(ffmpeg(dir, "-i " + shellQuoted(dir / "undot.y4m") + " -f rawvideo " + shellQuoted(dir / "ours.yuv")));
    const std::string expected = dir.read("ref.yuv");
    EXPECT_EQ(expected.size(), 3U * 24 * 18 * 3 / 2);
    EXPECT_EQ(dir.read("ours.yuv"), expected);
}

TEST(AvsProgram, SubtitleAnchorsTheCellTopAsAviSynth) {
    TempFolder dir;
    // The editor's anchoring, the cell's top left corner by default: a 40-pixel cell whose top is at 150
    // puts the cap tops of bold Arial at 157 and the baseline at 182.
    const ProgramRun r = runAvs(dir,
                                "BlankClip(length=1,width=480,height=273)\nSubtitle(\"HHH\",x=240,y=150,font=\"Arial\","
                                "size=40,text_color=$ffffff,halo_color=$ff000000)\n",
                                "--bgra -");
    ASSERT_EQ(r.out.size(), 480U * 273U * 4U) << r.err;
    int top = -1, bottom = -1, left = 480, right = -1;
    for (int y = 0; y < 273; ++y)
        for (int x = 0; x < 480; ++x)
            if (static_cast<unsigned char>(r.out[static_cast<std::size_t>((y * 480 + x) * 4 + 1)]) > 128) {
                top = top < 0 ? y : top;
                bottom = y;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_EQ(std::tie(top, bottom), std::make_tuple(157, 181));
    EXPECT_NEAR(left, 242, 1);
    EXPECT_NEAR(right, 315, 1);
}
