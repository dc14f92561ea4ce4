// The Setup window: its controls laid out at fixed places, painted with the interface colours and
// captioned from the active language; every action is handed to SetupLogic.
#include "ui/Setup.h"

#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <functional>

namespace quire {

using setup::ColourKind;

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 512;
constexpr std::string_view kSection = "SETUP";

// A preset swatch: a square of its colour that picks it when clicked.
class Swatch : public QLabel {
public:
    Swatch(QWidget* parent, std::function<void()> onClick) : QLabel(parent), m_onClick(std::move(onClick)) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
};

QColor rgbColour(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Sets only the role a label, frame or option button draws its background or text with (an option
// button's are the button roles), so that the colours do not reach the fields and bars in the frames.
void paintRole(QWidget* widget, QPalette::ColorRole role, QPalette::ColorRole buttonRole, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    if (qobject_cast<QRadioButton*>(widget))
        palette.setColor(buttonRole, colour);
    widget->setPalette(palette);
}

template <class W>
W* named(W* widget, const QString& name, QRect place) {
    widget->setObjectName(name);
    widget->setGeometry(place);
    return widget;
}

QLabel* pathLabel(QWidget* parent, const char* name, int y) {
    auto* label = named(new QLabel(parent), QString::fromLatin1(name), QRect(16, y, 488, 22));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

ccXPButton* button(QWidget* parent, const char* name, QRect place, const QString& caption = {}) {
    auto* made = named(new ccXPButton(parent), QString::fromLatin1(name), place);
    made->setCaption(caption);
    return made;
}

} // namespace

Setup::Setup(SharedState& state, QWidget* parent) : QDialog(parent), m_state(state), m_logic(state, this) {
    setObjectName(QStringLiteral("Setup"));
    setWindowTitle(QStringLiteral("    Quire - Setup"));
    setFixedSize(kWidth, kHeight);
    buildControls();
    m_logic.load();
    applyCaptions();
    showPaths();
}

void Setup::prepareForMissingFolder() {
    m_logic.clearMatrixPath();
    showPaths();
    m_cmdCancel->setEnabled(true);
    m_okButton->setEnabled(false);
}

void Setup::buildControls() {
    const std::array<QRect, 6> stripes = {QRect(0, 0, kWidth, 6),   QRect(0, 160, kWidth, 4),
                                          QRect(0, 394, kWidth, 4), QRect(0, kHeight - 6, kWidth, 6),
                                          QRect(0, 0, 4, kHeight),  QRect(kWidth - 4, 0, 4, kHeight)};
    for (std::size_t i = 0; i < stripes.size(); ++i)
        m_stripes[i] = named(new QWidget(this), QStringLiteral("Shape%1").arg(i + 1), stripes[i]);

    m_lblSetFolder = named(new QLabel(this), QStringLiteral("lblSetFolder"), QRect(16, 14, 480, 18));
    m_lblMatPath = pathLabel(this, "lblMatPath", 34);
    m_cmdBrowse = button(this, "cmdBrowse", QRect(512, 34, 32, 22), QStringLiteral("..."));
    m_lblTesseraFolder = named(new QLabel(this), QStringLiteral("lblTesseraFolder"), QRect(16, 62, 480, 18));
    m_lblTesseraPath = pathLabel(this, "lblTesseraPath", 82);
    m_cmdBrowse2 = button(this, "cmdBrowse2", QRect(512, 82, 32, 22), QStringLiteral("..."));
    m_lblPlayer = named(new QLabel(this), QStringLiteral("lblPlayer"), QRect(16, 110, 480, 18));
    m_lblPlayer->setText(QStringLiteral("Set the Path to your favourite media player:"));
    m_lblPlayerPath = pathLabel(this, "lblPlayerPath", 130);
    m_cmdBrowse3 = button(this, "cmdBrowse3", QRect(512, 130, 32, 22), QStringLiteral("..."));

    buildColourFrame();

    m_frmExtras = named(new QGroupBox(this), QStringLiteral("frmExtras"), QRect(16, 404, 528, 58));
    m_cmdRestore = button(m_frmExtras, "cmdRestoreMatrices", QRect(12, 22, 230, 28));
    m_cmdVersion = button(m_frmExtras, "cmdVersion", QRect(254, 22, 180, 28), QStringLiteral("Check Newest Version"));
    m_okButton = button(this, "OKButton", QRect(336, 470, 100, 28));
    m_cmdCancel = button(this, "cmdCancel", QRect(444, 470, 100, 28));

    connect(m_cmdBrowse, &ccXPButton::clicked, this, &Setup::browseMatrices);
    connect(m_cmdBrowse2, &ccXPButton::clicked, this, [this] {
        m_logic.browseTesseraFolder();
        showPaths();
    });
    connect(m_cmdBrowse3, &ccXPButton::clicked, this, [this] {
        m_logic.browsePlayer();
        showPaths();
    });
    connect(m_okButton, &ccXPButton::clicked, this, &Setup::apply);
    connect(m_cmdCancel, &ccXPButton::clicked, this, &Setup::reject);
    connect(m_cmdRestore, &ccXPButton::clicked, this, [this] { m_logic.restoreDefaultMatrices(); });
    connect(m_cmdVersion, &ccXPButton::clicked, this, [this] { OpenWebPage(readmeUrl(m_state)); });
}

void Setup::buildColourFrame() {
    m_frmColors = named(new QGroupBox(this), QStringLiteral("frmColors"), QRect(16, 170, 528, 218));
    for (int i = 0; i < 4; ++i) {
        const auto kind = setup::kColourKinds[static_cast<std::size_t>(i)];
        auto* option = named(new QRadioButton(m_frmColors), QStringLiteral("Option%1").arg(i + 1),
                             QRect(12, 24 + i * 26, 214, 22));
        option->setChecked(i == 0); // Background is edited at open
        connect(option, &QRadioButton::toggled, this, [this, kind](bool checked) {
            if (checked)
                m_logic.chooseColour(kind);
        });
        m_options[static_cast<std::size_t>(i)] = option;
        auto* hex =
            named(new QLineEdit(m_frmColors), QStringLiteral("Text%1").arg(i + 2), QRect(230, 24 + i * 26, 62, 22));
        hex->setReadOnly(true);
        m_hexFields[static_cast<std::size_t>(i)] = hex;
    }

    for (int i = 0; i < 3; ++i) {
        auto* bar = named(new QScrollBar(Qt::Horizontal, m_frmColors), QStringLiteral("Slider1_%1").arg(i),
                          QRect(300, 28 + i * 26, 134, 18));
        bar->setRange(setup::kBarMin, setup::kBarMax);
        bar->setPageStep(16);
        // A change and a drag run the same handler; an unchanged bar runs nothing.
        const auto handler = [this, i](int value) { m_logic.setBar(i, value); };
        connect(bar, &QScrollBar::valueChanged, this, handler);
        connect(bar, &QScrollBar::sliderMoved, this, handler);
        m_bars[static_cast<std::size_t>(i)] = bar;
    }
    m_lblCustomColor = named(new QLabel(m_frmColors), QStringLiteral("lblCustomColor"), QRect(444, 24, 72, 76));
    m_lblCustomColor->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    for (int i = 0; i < static_cast<int>(setup::kSwatches.size()); ++i) {
        auto* swatch = named(new Swatch(m_frmColors, [this, i] { m_logic.pickSwatch(i); }),
                             QStringLiteral("Label%1").arg(i + 1), QRect(12 + i * 25, 136, 22, 22));
        setBackground(swatch, rgbColour(setup::kSwatches[static_cast<std::size_t>(i)]));
    }

    for (int i = 0; i < 4; ++i) {
        const setup::Style& style = setup::kStyles[static_cast<std::size_t>(i)];
        auto* styleButton = button(m_frmColors, style.button.data(), QRect(12 + i * 126, 176, 118, 28),
                                   fromCp1252(style.builtinCaption));
        connect(styleButton, &ccXPButton::clicked, this, [this, i] { m_logic.applyStyle(i); });
        m_styleButtons[static_cast<std::size_t>(i)] = styleButton;
    }
}

void Setup::applyCaptions() {
    const auto text = [this](std::string_view key) {
        return fromCp1252(caption(m_state.programFolder, m_logic.language(), kSection, key));
    };
    m_lblSetFolder->setText(text("lblSetFolder"));
    m_lblTesseraFolder->setText(text("lblTesseraFolder"));
    m_okButton->setCaption(text("OKButton"));
    m_cmdCancel->setCaption(text("cmdCancel"));
    m_frmColors->setTitle(text("frmColors"));
    for (int i = 0; i < 4; ++i)
        m_options[static_cast<std::size_t>(i)]->setText(text("Option" + std::to_string(i + 1)));
    for (std::size_t i = 0; i < m_styleButtons.size(); ++i)
        if (!setup::kStyles[i].captionKey.empty())
            m_styleButtons[i]->setCaption(text(setup::kStyles[i].captionKey));
    m_frmExtras->setTitle(text("frmExtras"));
    m_cmdRestore->setCaption(text("cmdRestore"));
    m_cmdRestore->setToolTip(fromCp1252(caption(m_state.programFolder, m_logic.language(), "HELP", "cmdRestore")));
}

void Setup::showPaths() {
    m_lblMatPath->setText(fromCp1252(m_logic.lblMatPath()));
    m_lblTesseraPath->setText(fromCp1252(m_logic.lblTesseraPath()));
    m_lblPlayerPath->setText(fromCp1252(m_logic.lblPlayerPath()));
}

void Setup::colourShown(ColourKind kind) {
    const auto k = static_cast<std::size_t>(kind);
    const QColor colour = colourOf(m_logic.colour(kind));
    QWidget* const painted[] = {m_lblSetFolder,   m_lblTesseraFolder, m_lblPlayer,  m_lblMatPath,
                                m_lblTesseraPath, m_lblPlayerPath,    m_frmColors,  m_frmExtras,
                                m_options[0],     m_options[1],       m_options[2], m_options[3]};
    switch (kind) {
    case ColourKind::Back:
        setBackground(this, colour);
        for (QWidget* widget : painted)
            paintRole(widget, QPalette::Window, QPalette::Button, colour);
        break;
    case ColourKind::Text:
        for (QWidget* widget : painted)
            paintRole(widget, QPalette::WindowText, QPalette::ButtonText, colour);
        break;
    case ColourKind::Stripes:
        for (QWidget* stripe : m_stripes)
            setBackground(stripe, colour);
        break;
    case ColourKind::Buttons:
        for (ccXPButton* each : findChildren<ccXPButton*>())
            each->setForeColor(QString::fromStdString(m_logic.colour(kind)));
        break;
    }
    m_hexFields[k]->setText(QString::fromStdString(m_logic.hex(kind)));
}

void Setup::barsShown() {
    for (std::size_t i = 0; i < m_bars.size(); ++i) {
        const QSignalBlocker blocker(m_bars[i]);
        m_bars[i]->setValue(m_logic.bars()[i]);
    }
    setBackground(m_lblCustomColor, rgbColour(m_logic.customColour()));
}

void Setup::browseMatrices() {
    if (m_logic.browseMatrixFolder()) {
        showPaths();
        m_okButton->setEnabled(true);
    }
}

void Setup::apply() {
    m_logic.apply();
    accept();
}

void Setup::reject() {
    m_logic.cancel();
    showPaths();
    QDialog::reject();
}

} // namespace quire
