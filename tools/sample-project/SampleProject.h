// The plan of a sample prepared Tessera project and the texts of its host files: Tessera.ini,
// Tessera.inf, Tessera.ecl (and ANALYSIS.ECL) and the segment scripts. Pure functions of the
// plan; the program fills the measured sector counts in after FFmpeg has made the streams.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quire::sample {

// The encoder Tessera is set to: its `mode` and `ccetype` in Tessera.inf.
enum class Encoder { Hc, QuEnc, CceBasic, CceSp, Cce250, Cce270, ProCoder };

struct EncoderChoice {
    const char* option; // the word of --encoder
    Encoder encoder;
    const char* mode;
    const char* ccetype;
};
const std::vector<EncoderChoice>& encoderChoices();
const EncoderChoice& encoderChoice(Encoder encoder);

struct Options {
    std::string folder; // the Tessera program folder to build (native path)
    Encoder encoder = Encoder::Hc;
    bool ntsc = false;
    bool film = false;
    bool progressive = false;
    int movieSegments = 4;
    int extraSegments = 2; // in title set 02; 0 leaves the extras title set out
    bool ilvu = false;
    bool blanked = false;
    bool slideShow = false;
    bool analysis = false;
    int seconds = 3;
    int width = 352;
    int height = 0;            // 0: 288 for PAL, 240 for NTSC
    bool nativePaths = false;  // write Linux paths instead of the Z: paths of Tessera under Wine
    std::string editorIni;     // point Config/TesseraFolder of this Editor.ini at the folder
    std::string programFolder; // where quire-encode stands; empty: this program's folder
};

// Parses the arguments after the program name. On failure `error` says why.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);
std::string usage();

struct Segment {
    int titleSet = 1; // 1: the main movie
    int number = 0;   // 4-digit segment number of the file name
    int vobId = 1;
    int cellId = 1;
    int frames = 0;
    int aspect = 3; // Aspect_Ratio: 2 is 4:3, 3 is 16:9
    bool ilvu = false;
    int action = 0; // 0 re-encode, 1 blanked, 2 slide show
    long videoSectors = 0;
    long audioSectors = 0;

    std::string name() const; // "V010000_V001001"
};

// Frame rate as FFmpeg reads it and as the d2v labels it.
struct FrameRate {
    const char* code;   // Tessera's Frame_Rate_Code: "3" 25, "2" 23.976, "1" 29.97
    const char* ffmpeg; // "25", "24000/1001", "30000/1001"
    const char* d2v;    // "25000 (25/1)", ...
    double perSecond;
    int gop; // GOP length FFmpeg is given
};
FrameRate frameRateOf(const Options& options);
int pictureHeight(const Options& options);

// The segments in file order: the main movie (title set 01), then the extras (title set 02).
// Segment numbers run through the project so that each names its Tessera.ecl item: the item of
// a segment stands at section 2 x number (at section number for CCE Basic, whose numbers step by 2).
std::vector<Segment> planSegments(const Options& options);

// Paths as the host files carry them: a Windows path on drive Z: (Tessera under Wine) or the
// native path, for a native absolute path.
std::string hostPath(const std::string& nativePath, bool nativePaths);
// Joins a host folder path and a name with one separator of the path's kind.
std::string hostJoin(const std::string& folder, const std::string& name);

struct Layout {
    std::string tesseraFolder; // host form
    std::string workFolder;    // host form, ends with a separator
    std::string projectFolder; // workFolder + "D2VAVS" + separator
    std::string encoder;       // host form of quire-encode
};

std::string tesseraIni(const Options& options, const Layout& layout);
std::string tesseraInf(const Options& options, const std::vector<Segment>& segments);
// Tessera's encoder control list (ANALYSIS.ECL is the same list written for the analysis pass).
std::string tesseraEcl(const Options& options, const Layout& layout, const std::vector<Segment>& segments,
                       bool analysis = false);
std::string segmentScript(const Layout& layout, const Segment& segment);

// The bitrate the segment's video sectors give (kbit/s, rounded), and Tessera's average for it.
long sourceBitrate(const Segment& segment, const FrameRate& rate);
long targetBitrate(const Segment& segment, const FrameRate& rate);

} // namespace quire::sample
