// The A/B view of two test encodes: the same frame of both side by side, or their difference amplified,
// with a frame slider and the PSNR of the pair shown. The frames are decoded off the window's thread by a
// FramePairJob that a timer polls; a slider move during a decode waits for it, and only the frame last
// asked for is decoded next, so dragging the slider never piles up work.
#pragma once

#include "preview/FramePair.h"

#include <QDialog>
#include <QTimer>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>

class QLabel;
class QRadioButton;
class QSlider;

namespace quire {

class ABView : public QDialog {
    Q_OBJECT
public:
    // How much the difference picture amplifies each colour sample's difference.
    static constexpr int kGain = 8;

    // Opens on frame 0 of both files; the decoding starts at once.
    ABView(std::filesystem::path a, std::filesystem::path b, QWidget* parent = nullptr);
    ~ABView() override;

    // The frame of the pair on show (from 0), -1 before the first has been decoded.
    int shownFrame() const { return m_shown; }
    // The frames both files have; 0 until the files have been read.
    int frameCount() const;
    bool decoding() const { return m_job != nullptr; }

private:
    void requestFrame(int index);
    void startJob(int index);
    void pollJob();
    void takePair(preview::FramePair pair);
    void showPair();
    void showPicture(QLabel* label, const preview::Picture& picture);
    void switchView();

    std::filesystem::path m_fileA, m_fileB;
    preview::FrameCursors m_cursors; // the files kept open between frames; only the one job uses them
    std::unique_ptr<preview::FramePairJob> m_job;
    std::optional<std::pair<preview::ClipInfo, preview::ClipInfo>> m_infos;
    QTimer m_poll;
    int m_wanted = 0;
    int m_shown = -1;
    preview::Picture m_a, m_b;
    std::optional<double> m_psnr;

    QLabel* m_lblA = nullptr;
    QLabel* m_lblB = nullptr;
    QLabel* m_lblDiff = nullptr;
    QLabel* m_picA = nullptr;
    QLabel* m_picB = nullptr;
    QLabel* m_picDiff = nullptr;
    QSlider* m_sldFrame = nullptr;
    QLabel* m_lblFrame = nullptr;
    std::array<QRadioButton*, 2> m_optView{};
    QLabel* m_lblPSNR = nullptr;
};

} // namespace quire
