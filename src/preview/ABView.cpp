// The A/B view's controls at fixed places, the slider's requests handed to one decoding job at a time,
// and the pictures scaled to the files' display aspect.
#include "preview/ABView.h"

#include "ui/WindowLook.h"

#include <QButtonGroup>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

namespace quire {

using namespace preview;
namespace fs = std::filesystem;

namespace {

constexpr int kPictureWidth = 480;
constexpr int kPictureHeight = 360;
constexpr int kWidth = 2 * kPictureWidth + 24;
constexpr int kHeight = 452;

QLabel* pictureLabel(QWidget* parent, const char* name, QRect place) {
    auto* label = placed(new QLabel(parent), name, place);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(colours);
    return label;
}

QLabel* captionLabel(QWidget* parent, const char* name, const QString& text, QRect place) {
    auto* label = placed(new QLabel(text, parent), name, place);
    label->setAlignment(Qt::AlignCenter);
    label->setToolTip(text);
    return label;
}

QString fileText(const fs::path& file) {
    return QString::fromStdString(file.filename().string());
}

} // namespace

ABView::ABView(fs::path a, fs::path b, QWidget* parent)
    : QDialog(parent), m_fileA(std::move(a)), m_fileB(std::move(b)) {
    setObjectName(QStringLiteral("frmAB"));
    setWindowTitle(QStringLiteral("A/B View of Two Test Encodes"));
    const int right = 16 + kPictureWidth;
    m_lblA = captionLabel(this, "lblA", QStringLiteral("A: ") + fileText(m_fileA), QRect(8, 6, kPictureWidth, 18));
    m_lblB = captionLabel(this, "lblB", QStringLiteral("B: ") + fileText(m_fileB), QRect(right, 6, kPictureWidth, 18));
    m_lblDiff = captionLabel(this, "lblDiff", QStringLiteral("Difference of A and B, amplified %1 times").arg(kGain),
                             QRect(8, 6, kWidth - 16, 18));
    m_picA = pictureLabel(this, "picA", QRect(8, 26, kPictureWidth, kPictureHeight));
    m_picB = pictureLabel(this, "picB", QRect(right, 26, kPictureWidth, kPictureHeight));
    m_picDiff = pictureLabel(this, "picDiff", QRect(8, 26, kWidth - 16, kPictureHeight));
    m_sldFrame = placed(new QSlider(Qt::Horizontal, this), "sldFrame", QRect(8, 394, kWidth - 16, 22));
    m_sldFrame->setEnabled(false);
    m_lblFrame = placed(new QLabel(this), "lblFrame", QRect(8, 424, 180, 20));
    auto* views = new QButtonGroup(this);
    const char* const captions[2] = {"Side by side", "Difference (x8)"};
    for (int i = 0; i < 2; ++i) {
        m_optView[i] = placed(new QRadioButton(QString::fromLatin1(captions[i]), this),
                              qPrintable(QStringLiteral("optView_%1").arg(i)), QRect(196 + 124 * i, 424, 120, 20));
        views->addButton(m_optView[i], i);
    }
    m_optView[0]->setChecked(true);
    m_lblPSNR = placed(new QLabel(this), "lblPSNR", QRect(448, 424, kWidth - 456, 20));
    m_lblPSNR->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFixedSize(kWidth, kHeight);
    switchView();

    m_poll.setInterval(30);
    connect(&m_poll, &QTimer::timeout, this, &ABView::pollJob);
    connect(m_sldFrame, &QSlider::valueChanged, this, &ABView::requestFrame);
    connect(views, &QButtonGroup::idClicked, this, &ABView::switchView);
    startJob(0);
}

ABView::~ABView() = default; // the job goes first: its destructor stops it, and then the files close

int ABView::frameCount() const {
    return m_infos ? pairedFrames(m_infos->first, m_infos->second) : 0;
}

void ABView::requestFrame(int index) {
    m_wanted = index;
    m_lblFrame->setText(QStringLiteral("Frame %1 of %2").arg(index + 1).arg(frameCount()));
    if (!m_job)
        startJob(index);
}

void ABView::startJob(int index) {
    m_wanted = index;
    m_job = std::make_unique<FramePairJob>(m_fileA, m_fileB, index, m_infos, &m_cursors);
    m_lblPSNR->setText(QStringLiteral("Decoding frame %1...").arg(index + 1));
    m_poll.start();
}

void ABView::pollJob() {
    if (!m_job || !m_job->finished())
        return;
    FramePair pair = m_job->result();
    const int asked = m_job->index();
    m_job.reset();
    m_poll.stop();
    if (!pair.why.empty()) {
        m_lblPSNR->setText(QString::fromStdString(pair.why));
        m_lblPSNR->setToolTip(m_lblPSNR->text());
        if (m_wanted != asked && m_infos)
            startJob(m_wanted);
        return;
    }
    takePair(std::move(pair));
    if (m_wanted != m_shown)
        startJob(m_wanted);
}

void ABView::takePair(FramePair pair) {
    if (!m_infos) {
        m_infos = std::pair{pair.infoA, pair.infoB};
        const QSignalBlocker quiet(m_sldFrame);
        m_sldFrame->setRange(0, std::max(0, frameCount() - 1));
        m_sldFrame->setPageStep(std::max(1, static_cast<int>(pair.infoA.rate + 0.5))); // a second
        m_sldFrame->setEnabled(frameCount() > 1);
        m_wanted = pair.index;
    }
    m_shown = pair.index;
    m_a = std::move(pair.a);
    m_b = std::move(pair.b);
    m_psnr = picturePsnr(m_a, m_b);
    m_lblFrame->setText(QStringLiteral("Frame %1 of %2").arg(m_wanted + 1).arg(frameCount()));
    m_lblPSNR->setText(m_psnr ? QStringLiteral("PSNR of the pair: %1 dB").arg(*m_psnr, 0, 'f', 2) : QString());
    m_lblPSNR->setToolTip(QString());
    showPair();
}

void ABView::showPair() {
    if (m_shown < 0)
        return;
    if (m_optView[1]->isChecked()) {
        showPicture(m_picDiff, differencePicture(m_a, m_b, kGain));
    } else {
        showPicture(m_picA, m_a);
        showPicture(m_picB, m_b);
    }
}

void ABView::showPicture(QLabel* label, const Picture& picture) {
    if (picture.empty()) {
        label->clear();
        return;
    }
    const QImage image(picture.bgra.data(), picture.width, picture.height, picture.width * 4, QImage::Format_RGB32);
    // The largest rectangle of the display aspect that fits the label.
    const double aspect =
        m_infos && m_infos->first.aspect > 0 ? m_infos->first.aspect : double(picture.width) / picture.height;
    QSize target(label->width(), int(label->width() / aspect + 0.5));
    if (target.height() > label->height())
        target = QSize(int(label->height() * aspect + 0.5), label->height());
    label->setPixmap(QPixmap::fromImage(image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void ABView::switchView() {
    const bool difference = m_optView[1]->isChecked();
    for (QLabel* side : {m_lblA, m_lblB, m_picA, m_picB})
        side->setVisible(!difference);
    m_lblDiff->setVisible(difference);
    m_picDiff->setVisible(difference);
    showPair();
}

} // namespace quire
