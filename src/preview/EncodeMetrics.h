// How close a test encode came to the frames it was encoded from: PSNR and SSIM, as FFmpeg's filters
// compute them, against the frames of the encode script as the renderer gives them, frame by frame by index, with
// the file's size and the average bitrate it reached against the project's target. The encode script in the Preview
// folder is rewritten for every encode, so each encoded file keeps its own copy (NAME.m2v.avs), and
// its results are kept beside it (NAME.m2v.metrics); both go with the Preview folder.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quire::preview {

namespace fs = std::filesystem;

inline constexpr std::string_view kScriptCopyExtension = ".avs";
inline constexpr std::string_view kMetricsExtension = ".metrics";

struct EncodeMetrics {
    std::uintmax_t size = 0; // bytes of the encoded file
    int frames = 0;          // frames compared (index 0 of both with index 0, and so on)
    int sourceFrames = 0;    // frames the encode script gives
    double rate = 0;         // frames per second of the script
    double bitrate = 0;      // average kbit/s reached: size * 8 / (frames / rate) / 1000
    double target = 0;       // the project's BitrateFinal in kbit/s; 0 when it was not known
    double psnrY = 0;        // average PSNR of the luma, dB
    double psnrAll = 0;      // average PSNR over the three planes, dB
    double psnrMin = 0;      // the worst frame's PSNR over the three planes, dB
    double ssim = 0;         // SSIM over the three planes (All), 0 to 1
    bool operator==(const EncodeMetrics&) const = default;
};

// NAME.m2v.avs and NAME.m2v.metrics beside NAME.m2v.
fs::path scriptCopyOf(const fs::path& encodedFile);
fs::path metricsFileOf(const fs::path& encodedFile);

// Copies the encode script the encoder has just read to NAME.m2v.avs beside the encoded file.
// False when it cannot be copied.
bool keepEncodeScript(const fs::path& encodeScript, const fs::path& encodedFile);

// The key=value text of a metrics file and its reading; the file also keeps the encoded file's size
// and time so that a file encoded again is not taken for the one measured.
std::string metricsText(const EncodeMetrics& metrics, std::int64_t fileTime);
std::optional<EncodeMetrics> parseMetricsText(std::string_view text, std::int64_t& fileTime);
bool saveMetrics(const fs::path& encodedFile, const EncodeMetrics& metrics);
// The kept results; empty when there are none or the file has changed since (another size or time).
std::optional<EncodeMetrics> savedMetrics(const fs::path& encodedFile);

// The matrix and filter set of an encoded file of the segment, from its name
// <segment without .avs>_<matrix name>_<filter name>.m2v; empty for a file of another segment.
struct EncodedName {
    std::string matrix, filter;
};
std::optional<EncodedName> splitEncodedName(std::string_view segment, std::string_view fileName);

// The program a measure runs for scripts FFmpeg alone cannot give: the renderer (quire-avs of the program
// folder).
struct MeasureTools {
    fs::path renderer;
};

struct MeasureResult {
    std::optional<EncodeMetrics> metrics;
    bool cancelled = false;
    std::string why; // when there are no metrics: what went wrong, one sentence for the user
};

// Progress shared between a measure and whoever watches it (another thread).
struct MeasureProgress {
    std::atomic<int> framesDone{0};
    std::atomic<int> framesTotal{0};
    std::atomic<bool> cancel{false}; // set to stop the run: its children are killed and reaped
};

// Measures NAME.m2v against the frames of NAME.m2v.avs. FFmpeg's libraries decode the file here, and the
// script's source too when the renderer gives the script as one FFmpeg graph; otherwise the renderer writes
// the script's frames to a pipe from a process group of its own. Both decode at once and the measures are
// computed as the frames arrive. Blocks until done or cancelled (a renderer is then killed and reaped);
// keeps the results beside the file when measured. target: the project's BitrateFinal (kbit/s, 0 unknown).
MeasureResult MeasureEncodedFile(const MeasureTools& tools, const fs::path& encodedFile, double target,
                                 MeasureProgress& progress);

// One measure on a thread of its own, for a window that polls it.
class MeasureJob {
public:
    MeasureJob(MeasureTools tools, fs::path encodedFile, double target);
    ~MeasureJob(); // cancels a run still going and waits for it
    MeasureJob(const MeasureJob&) = delete;
    MeasureJob& operator=(const MeasureJob&) = delete;

    const fs::path& file() const { return m_file; }
    int framesDone() const { return m_progress.framesDone; }
    int framesTotal() const { return m_progress.framesTotal; }
    void cancel() { m_progress.cancel = true; }
    bool finished() const { return m_finished; }
    // Valid once finished() is true.
    const MeasureResult& result() const { return m_result; }

private:
    struct Thread;
    fs::path m_file;
    MeasureProgress m_progress;
    MeasureResult m_result;
    std::atomic<bool> m_finished{false};
    std::unique_ptr<Thread> m_thread;
};

} // namespace quire::preview
