// The sample prepared Tessera project: its host files as golden text, every reading rule of the
// preview checked with the core's INI routines for each option combination, and real runs of
// quire-sample-project (FFmpeg-made streams, their .d2v indexes, Editor.ini, folder safety).
#include "SampleProject.h"
#include "StreamIndex.h"
#include "app/BugTrack.h"
#include "app/IniManager.h"
#include "platform/Text1252.h"
#include "platform/WinePath.h"
#include "preview/ControlList.h"
#include "preview/EncoderCommand.h"
#include "preview/HostProject.h"
#include "preview/SegmentDetails.h"
#include "support/RecordingPreviewView.h"
#include "support/RunProgram.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace quire;
using namespace quire::sample;
using namespace quire::test;

namespace {

const std::string kProgram = SAMPLE_PROJECT_PROGRAM;
const fs::path kGolden = fs::path(QUIRE_TEST_DATA) / "sample-project";

Options optionsFrom(const std::vector<std::string>& args) {
    std::string error;
    const std::optional<Options> options = parseOptions(args, error);
    EXPECT_TRUE(options.has_value()) << error;
    return options.value_or(Options{});
}

// A project written from the plan with made-up sector counts, as the program writes it.
void writeProject(const Options& options, const fs::path& folder, bool nativePaths = true) {
    Layout layout{hostPath(folder.string(), nativePaths), hostPath((folder / "work/").string(), nativePaths),
                  hostPath((folder / "work/D2VAVS/").string(), nativePaths),
                  hostPath("/opt/quire/quire-encode", nativePaths)};
    std::vector<Segment> segments = planSegments(options);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        segments[i].videoSectors = 300 + 17 * static_cast<long>(i);
        segments[i].audioSectors = 20 + static_cast<long>(i);
    }
    const fs::path project = folder / "work" / "D2VAVS";
    fs::create_directories(project);
    writeBytes(folder / "Tessera.ini", tesseraIni(options, layout));
    writeBytes(project / "Tessera.inf", tesseraInf(options, segments));
    writeBytes(project / "Tessera.ecl", tesseraEcl(options, layout, segments));
    if (options.analysis)
        writeBytes(project / "ANALYSIS.ECL", tesseraEcl(options, layout, segments, true));
    for (const Segment& segment : segments)
        writeBytes(project / (segment.name() + ".avs"), segmentScript(layout, segment));
}

// Loads the project in the preview, with no message but the one its encoder is specified to give, and
// walks every segment as a test encode does: its details, the control list sections copied for it, the
// script it names.
void checkReadingRules(const fs::path& tesseraFolder, const Options& options) {
    ScriptedPrompter prompter; // any other box fails the test
    if (options.encoder == Encoder::ProCoder)
        prompter.expect(std::string(preview::kProCoderRefusal));
    if (options.encoder == Encoder::Cce250)
        prompter.expect(std::string(preview::kCce250Refusal));
    TempFolder program;
    const BugTrack log{program.path(), [] { return std::tm{}; }};
    test::RecordingPreviewView view;
    preview::PreviewContext context{program.path(), tesseraFolder, preview::projectFolder(tesseraFolder),
                                    prompter,       log,           view};
    preview::PreviewState state;
    const fs::path ini = context.tesseraIni(), inf = context.infFile(), ecl = context.eclFile();
    // The option switches and the encoder's pair of codes; the rest of the files is golden text.
    const EncoderChoice& encoder = encoderChoice(options.encoder);
    EXPECT_EQ(ini::GetValue("CCEOptions", "OPV", ini) + ini::GetValue("item", "progressive", ecl) +
                  ini::GetValue("Status", "mode", inf) + ini::GetValue("Status", "ccetype", inf),
              std::string(options.analysis ? "1" : "0") + (options.progressive ? "1" : "0") + encoder.mode +
                  encoder.ccetype);

    ASSERT_TRUE(preview::LoadPreview(context, state));
    EXPECT_EQ(state.project.txtFirstSection == "ILVU", options.ilvu);
    const int numKeys = std::stoi(state.project.txtNumKeys);
    EXPECT_TRUE(numKeys > 2 && numKeys < 90) << numKeys; // the preview control list holds 90 lines
    state.extras = false;
    preview::RefreshSegmentList(context, state);
    EXPECT_EQ(state.segmentList.size(), std::size_t(options.movieSegments));
    state.extras = true;
    preview::RefreshSegmentList(context, state);
    ASSERT_EQ(state.segmentList.size(), std::size_t(options.movieSegments + options.extraSegments));
    EXPECT_EQ(state.segmentList.front(), state.project.txt1stSection + ".avs");

    // Every planned segment is listed (the details the preview reads from a name are its own tests').
    std::vector<std::string> planned;
    for (const Segment& segment : planSegments(options))
        planned.push_back(segment.name() + ".avs");
    std::sort(planned.begin(), planned.end());
    EXPECT_EQ(state.segmentList, planned);
    for (const std::string& item : state.segmentList) {
        SCOPED_TRACE(item);
        preview::ShowSegmentDetails(context, state, item);
        // The copy takes numKeys - 2 keys of the item: the two left behind, which the test encode writes
        // anew, must be the encoder's output keys.
        ASSERT_TRUE(preview::CopySegmentSection(context, state));
        for (const char* left : options.encoder == Encoder::CceBasic ? std::array{"encode_first=", "encode_last="}
                                                                     : std::array{"vid_file0=", "vid_file1="})
            EXPECT_TRUE(std::ranges::none_of(state.lstECL, [&](const std::string& l) { return l.starts_with(left); }));
        const std::string script = readBytes(context.workFolder / item);
        EXPECT_NE(script.find("Mpeg2Source(\"" + hostJoin(ini::GetValue("Paths", "Working", ini), "D2VAVS")),
                  std::string::npos);
        EXPECT_NE(script.find("Trim(0," + std::to_string(std::stoi(state.project.Frames) - 1) + ")"),
                  std::string::npos);
    }
    EXPECT_EQ(fs::exists(context.workFolder / "ANALYSIS.ECL"), options.analysis);
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "closeWindow"), 0);
    EXPECT_TRUE(prompter.done());
}

// Runs the program in the folder; its two outputs together in `out`.
ProgramRun run(const TempFolder& temp, const std::vector<std::string>& args, const std::string& environment = "") {
    std::vector<std::string> command = {kProgram};
    command.insert(command.end(), args.begin(), args.end());
    ProgramRun result = runProgram(command, temp.path(), environment);
    result.out += result.err;
    return result;
}

} // namespace

TEST(SampleProjectFiles, MatchTheGoldenTexts) {
    const Options options =
        optionsFrom({"/tessera", "--movie", "2", "--extras", "1", "--ilvu", "--blanked", "--slide-show", "--analysis"});
    TempFolder temp;
    const fs::path folder = temp / "Tessera";
    writeProject(options, folder, false);
    const fs::path project = folder / "work" / "D2VAVS";
    std::string tmp = hostPath(temp.path().string(), false);
    for (const auto& [made, golden] :
         std::vector<std::pair<fs::path, const char*>>{{folder / "Tessera.ini", "Tessera.ini"},
                                                       {project / "Tessera.inf", "Tessera.inf"},
                                                       {project / "Tessera.ecl", "Tessera.ecl"},
                                                       {project / "V010001_V001002.avs", "V010001_V001002.avs"}}) {
        std::string text = readBytes(made);
        for (std::size_t at; (at = text.find(tmp)) != std::string::npos;)
            text.replace(at, tmp.size(), "Z:\\TEMP");
        EXPECT_EQ(text, readBytes(kGolden / golden)) << golden;
    }
}

TEST(SampleProjectFiles, EveryOptionCombinationKeepsTheReadingRules) {
    for (const EncoderChoice& encoder : encoderChoices())
        for (const std::vector<std::string>& extra :
             std::vector<std::vector<std::string>>{{},
                                                   {"--ilvu", "--analysis", "--blanked", "--slide-show"},
                                                   {"--extras", "0", "--ntsc", "--film"},
                                                   {"--ntsc", "--progressive", "--movie", "12", "--ilvu"}}) {
            std::vector<std::string> args = {"/t", "--encoder", encoder.option};
            args.insert(args.end(), extra.begin(), extra.end());
            SCOPED_TRACE(encoder.option + std::string(" ") + std::to_string(extra.size()));
            const Options options = optionsFrom(args);
            TempFolder temp;
            writeProject(options, temp.path());
            checkReadingRules(temp.path(), options);
        }
}

TEST(SampleProjectOptions, RefuseWhatCannotBeBuilt) {
    for (const char* line : {"", "a b", "a --film --interlaced", "a --size 350x288", "a --movie 0", "a --encoder rejig",
                             "a --seconds", "a --movie 1 --ilvu", "a --bogus"}) {
        std::istringstream in(line);
        const std::vector<std::string> args{std::istream_iterator<std::string>(in), {}};
        std::string error;
        EXPECT_FALSE(parseOptions(args, error).has_value()) << line;
        EXPECT_FALSE(error.empty());
    }
}

// One pack of an open GOP: I (temporal reference 2) coded before the two B pictures shown before it,
// the last picture header ending the stream with no byte to spare.
std::string openGopPack() {
    std::string es("\0\0\1\xB3\x2D\0\x24\x33\0\0\0\0", 12); // sequence header
    es += std::string("\0\0\1\xB8\0\0\0\0", 8);             // GOP, closed_gop 0
    es += std::string("\0\0\1\0\0\x88\0\0\0", 9);           // I, temporal reference 2
    es += std::string("\0\0\1\xB5\x70\0\0\0\x80", 9);       // picture display extension, not a coding one
    es += std::string("\0\0\1\0\0\x18\0\0\0", 9);           // B, 0
    es += std::string("\0\0\1\0\0\x58\0\0\0", 9);           // B, 1
    std::string pes("\0\0\1\xE0", 4);
    pes += char((es.size() + 3) >> 8);
    pes += char((es.size() + 3) & 0xFF);
    pes += std::string("\x81\0\0", 3) + es;
    return std::string("\0\0\1\xBA\x44\0\4\0\4\1\1\x89\xC3\xF8", 14) + pes;
}

TEST(SampleProjectIndex, LeadingBPicturesOfAnOpenGopAreNotDecodableAndOnlyAProgramStreamIsRead) {
    std::string error;
    const StreamIndex index = indexStream(openGopPack(), error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(index.gops.size(), 1u);
    EXPECT_FALSE(index.gops[0].closed);
    EXPECT_EQ(index.gops[0].pictures, (std::vector<std::uint8_t>{0x30, 0x30, 0x90}));
    // An elementary stream, and a start code where the next pack should be.
    for (const std::string& bytes :
         {std::string("\0\0\1\xB3 elementary", 15), openGopPack() + std::string("\0\0\1\xB3", 4)}) {
        std::string why;
        indexStream(bytes, why);
        EXPECT_FALSE(why.empty()) << bytes.size();
    }
}

TEST(SampleProjectProgram, BuildsRealStreamsThatTheirIndexesDescribe) {
    TempFolder temp;
    const fs::path folder = temp / "Tessera";
    std::vector<std::string> args = {folder.string(), "--ntsc",       "--film",    "--movie",  "2", "--extras", "1",
                                     "--ilvu",        "--slide-show", "--encoder", "cce-basic"};
    const Options options = optionsFrom(args);
    args.insert(args.end(), {"--seconds", "1"});
    const ProgramRun made = run(temp, args);
    ASSERT_EQ(made.status, 0) << made.out;
    EXPECT_NE(made.out.find("V010002_V001002.avs"), std::string::npos) << made.out;
    checkReadingRules(folder, options);

    const fs::path project = folder / "work" / "D2VAVS";
    const fs::path infFile = project / "Tessera.inf";
    for (const std::string& item : preview::listMatching(project, "*.avs")) {
        SCOPED_TRACE(item);
        const std::string section = item.substr(0, item.size() - 4);
        const std::vector<std::string> d2v = text::splitLines(readBytes(project / (section + ".d2v")));
        ASSERT_GT(d2v.size(), 20u);
        const fs::path stream = winePath(d2v[2], infFile); // Z: is the root, as in Wine
        const std::string bytes = readBytes(stream);
        ASSERT_FALSE(bytes.empty()) << d2v[2];
        // Sectors counted pack by pack: the first packet after each pack header says what it carries.
        // One flags value per coded frame, soft pulldown repeating a field on every other one.
        long video = 0, audio = 0;
        for (std::size_t at = 0; at + 2048 <= bytes.size(); at += 2048) {
            const std::size_t packet = at + 14 + (bytes[at + 13] & 7);
            const auto id = static_cast<unsigned char>(bytes[packet + 3]);
            video += id == 0xE0;
            audio += id == 0xC0;
        }
        int flags = 0, repeats = 0;
        for (std::size_t i = 16; i < d2v.size() && d2v[i] != "ff"; ++i) {
            std::istringstream fields(d2v[i]);
            std::string field;
            for (int f = 0; fields >> field; ++f)
                if (f >= 7) {
                    ++flags;
                    repeats += std::stoi(field, nullptr, 16) & 1;
                }
        }
        // The index's form, field operation and last pack, then Tessera.inf's sectors, frames and pulldown.
        char facts[160];
        std::snprintf(facts, sizeof facts, "DGIndexProjectFile16 Field_Operation=1 Location=0,0,0,%zX %ld %ld %d 1 %d",
                      bytes.size() / 2048 - 1, video, audio, flags, flags / 2);
        const auto inf = [&](const char* key) { return " " + ini::GetValue(section, key, infFile); };
        EXPECT_EQ(d2v[0] + " " + d2v[12] + " " + d2v[14] + inf("Video_Sectors") + inf("Audio_Sub_Sectors") +
                      inf("Frames") + inf("Pulldown") + " " + std::to_string(repeats),
                  facts);
        // FFmpeg decodes the same number of pictures from the stream.
        const ProgramRun probe = runProgram({"ffprobe", "-v", "error", "-select_streams", "v", "-count_frames",
                                             "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", stream},
                                            temp.path());
        EXPECT_EQ(std::atoi(probe.out.c_str()), flags) << probe.out << probe.err;
    }
}

// Another folder is never touched, a failed run is built on the next one, a run replaces only its own
// sample, and an empty Editor.ini is pointed at the project keeping its other bytes.
TEST(SampleProjectProgram, ReplacesOnlyItsOwnSampleAndPointsAnEmptyEditorIniAtIt) {
    TempFolder temp;
    const fs::path mine = temp.write("mine/notes.txt", "keep me");
    const std::vector<std::string> oneSegment = {"--movie", "1", "--extras", "0", "--seconds", "1"};
    const auto args = [&](const fs::path& folder, std::vector<std::string> more) {
        more.insert(more.begin(), folder.string());
        return more;
    };
    ProgramRun made = run(temp, args(mine.parent_path(), oneSegment));
    EXPECT_EQ(made.status, 1);
    EXPECT_NE(made.out.find("not empty"), std::string::npos) << made.out;
    EXPECT_EQ(readBytes(mine), "keep me");
    EXPECT_FALSE(fs::exists(temp / "mine" / "Tessera.ini"));

    const fs::path folder = temp / "sample";
    made = run(temp, args(folder, oneSegment), "PATH=/nonexistent");
    EXPECT_EQ(made.status, 1);
    EXPECT_NE(made.out.find("V010000_V001001: cannot start ffmpeg"), std::string::npos) << made.out;

    const std::string before =
        "; mine\r\n[CONFIG]\r\nMatrixFolder=/m\r\nTesseraFolder=\r\nPlayer = vlc \r\n\r\n[Colors]\r\n";
    const fs::path editorIni = temp.write("bin/Editor.ini", before);
    made = run(temp,
               args(folder, {"--movie", "2", "--extras", "0", "--seconds", "1", "--editor-ini", editorIni.string()}));
    ASSERT_EQ(made.status, 0) << made.out;
    std::string expected = before;
    expected.replace(expected.find("TesseraFolder=") + 14, 0, folder.string());
    EXPECT_EQ(readBytes(editorIni), expected);
    // Named now: a run with the same Editor.ini builds nothing and changes nothing.
    made = run(temp, {(temp / "other").string(), "--editor-ini", editorIni.string()});
    EXPECT_NE(made.out.find("already names a Tessera folder"), std::string::npos) << made.out;
    EXPECT_FALSE(fs::exists(temp / "other"));
    EXPECT_EQ(readBytes(editorIni), expected);
    made = run(temp, args(folder, oneSegment));
    ASSERT_EQ(made.status, 0) << made.out;
    EXPECT_EQ(preview::listMatching(folder / "work" / "D2VAVS", "*.avs"),
              std::vector<std::string>{"V010000_V001001.avs"});
}
