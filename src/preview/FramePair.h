// The same frame of two encoded files, for looking at them side by side: each file's size, rate, display
// aspect and frame count, frame N of both decoded by FFmpeg's libraries as BGRA pictures
// (frames counted as the renderer counts them: every coded picture, none dropped or repeated), the
// difference of two pictures amplified, and their PSNR. Both files decode at once, on threads of their
// own that a window polls, and stay open between requests so that a step forward is quick.
#pragma once

#include "preview/PictureMeasure.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quire::preview {

namespace fs = std::filesystem;

struct ClipInfo {
    int width = 0;
    int height = 0;
    double rate = 0;   // frames per second
    double aspect = 0; // display width / height
    int frames = 0;    // video packets: one per coded picture, as the renderer counts a file's frames
    bool operator==(const ClipInfo&) const = default;
};

// The first video stream of a file as FFmpeg reads it: size, rate, display aspect (the size times the
// sample aspect when one is set) and its packets counted. Empty when the file has no readable video or
// once `cancel` is set.
std::optional<ClipInfo> probeClip(const fs::path& file, const std::atomic<bool>& cancel);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra; // width * height * 4 bytes, rows top to bottom
    bool empty() const { return bgra.empty(); }
};

// Each colour sample |a - b| * gain, clamped to 255, alpha opaque; empty when the sizes differ.
Picture differencePicture(const Picture& a, const Picture& b, int gain);
// PSNR of the colour samples (alpha left out) against the peak 255; kIdenticalPsnr for identical
// pictures; empty when either is empty or their sizes differ.
std::optional<double> picturePsnr(const Picture& a, const Picture& b);

class DecodedFrames;

// A file's frames decoded in order at one size and kept open between requests: a step forward decodes only
// the frames in between, a step back starts the file again.
class FrameCursor {
public:
    FrameCursor(fs::path file, int width, int height);
    ~FrameCursor();
    FrameCursor(const FrameCursor&) = delete;
    FrameCursor& operator=(const FrameCursor&) = delete;

    // Frame `index` (from 0) scaled to the cursor's size; empty with `why` set when the file cannot be
    // decoded or ends before it, or once `cancel` is set.
    Picture frame(int index, const std::atomic<bool>& cancel, std::string& why);
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    fs::path m_file;
    int m_width, m_height;
    std::unique_ptr<DecodedFrames> m_frames;
    int m_next = 0; // the index of the frame the decoder gives next
};

// The two files' cursors, kept by a window from one request to the next.
struct FrameCursors {
    std::unique_ptr<FrameCursor> a, b;
};

struct FramePair {
    ClipInfo infoA, infoB;
    int index = 0; // the frame decoded: the one asked for, within both files
    Picture a, b;  // b at a's size when the files' sizes differ
    bool cancelled = false;
    std::string why; // when a picture is missing: what went wrong, one sentence for the user
};

// The frame count both files have: the smaller of the two.
int pairedFrames(const ClipInfo& a, const ClipInfo& b);

// Probes both files unless their infos are given, then decodes frame `index` (brought within both) of each
// at once, through `cursors` when given (made or remade there at a's size) and otherwise through cursors
// of its own. Blocks until both are done or `cancel` is set.
FramePair decodeFramePair(const fs::path& a, const fs::path& b, int index,
                          const std::optional<std::pair<ClipInfo, ClipInfo>>& known, const std::atomic<bool>& cancel,
                          FrameCursors* cursors = nullptr);

// One decodeFramePair on a thread of its own, for a window that polls it.
class FramePairJob {
public:
    // `cursors`, when given, must outlive the job and serve one job at a time.
    FramePairJob(fs::path a, fs::path b, int index, std::optional<std::pair<ClipInfo, ClipInfo>> known,
                 FrameCursors* cursors = nullptr);
    ~FramePairJob(); // cancels a run still going and waits for it
    FramePairJob(const FramePairJob&) = delete;
    FramePairJob& operator=(const FramePairJob&) = delete;

    int index() const { return m_index; }
    void cancel() { m_cancel = true; }
    bool finished() const { return m_finished; }
    // Valid once finished() is true.
    const FramePair& result() const { return m_result; }

private:
    struct Thread;
    int m_index;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    FramePair m_result;
    std::unique_ptr<Thread> m_thread;
};

} // namespace quire::preview
