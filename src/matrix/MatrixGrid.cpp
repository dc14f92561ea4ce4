// The value grid: its boxes at their places in twips, their colours, focus handling and checks.
#include "matrix/MatrixGrid.h"

#include "ui/GridColours.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QValidator>
#include <functional>

namespace quire {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int px(int twips) {
    return twips / kTwipsPerPixel;
}

// Inside each frame: column c at left 90 + 390c, row r at top 255 + 345r, boxes 360 x 315.
constexpr int kBoxLeft = 90;
constexpr int kBoxStepX = 390;
constexpr int kBoxTop = 255;
constexpr int kBoxStepY = 345;
constexpr int kBoxWidth = 360;
constexpr int kBoxHeight = 315;
constexpr int kFrameWidth = 3270;
constexpr int kFrameHeight = 3090;
constexpr int kFrameGap = 120;

constexpr int kMaxTyped = 3;
const QColor kPaleYellow(255, 255, 192);
const QColor kGreen(0, 128, 0);

// Typing stops at three characters; a longer text the program put in can still be shortened.
class TypedLength : public QValidator {
public:
    explicit TypedLength(QLineEdit* box) : QValidator(box), m_box(box) {}
    State validate(QString& input, int& /*pos*/) const override {
        return input.size() <= kMaxTyped || input.size() < m_box->text().size() ? Acceptable : Invalid;
    }

private:
    QLineEdit* m_box;
};

// A value box that reports its focus changes, and selects its whole text when a click gave it the focus.
class GridBox : public QLineEdit {
public:
    using FocusHandler = std::function<void(Qt::FocusReason)>;
    GridBox(QWidget* parent, FocusHandler onIn, FocusHandler onOut)
        : QLineEdit(parent), m_onIn(std::move(onIn)), m_onOut(std::move(onOut)) {}

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        m_selectAfterPress = event->reason() == Qt::MouseFocusReason;
        m_onIn(event->reason());
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        m_onOut(event->reason());
    }
    void mousePressEvent(QMouseEvent* event) override {
        QLineEdit::mousePressEvent(event);
        if (m_selectAfterPress && hasFocus())
            selectAll();
        m_selectAfterPress = false;
    }

private:
    FocusHandler m_onIn;
    FocusHandler m_onOut;
    bool m_selectAfterPress = false;
};

// Focus changes that only follow the window's activation or a pop-up leave the box where it was.
bool activationOnly(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

std::string boxCp1252(const QString& text) {
    return toCp1252(text).value_or("?");
}

} // namespace

MatrixGrid::MatrixGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MatrixGrid"));
    setFixedSize(kWidth, kHeight);
    QFont boxFont = font();
    boxFont.setPointSize(8);
    const char* const frameNames[2] = {"frmIntra", "frmNonIntra"};
    const char* const captions[2] = {"Intra", "Non Intra"};
    for (int f = 0; f < 2; ++f) {
        auto* frame = new QGroupBox(QString::fromLatin1(captions[f]), this);
        frame->setObjectName(QString::fromLatin1(frameNames[f]));
        frame->setGeometry(f * px(kFrameWidth + kFrameGap), 0, px(kFrameWidth), px(kFrameHeight));
        m_frames[static_cast<std::size_t>(f)] = frame;
    }
    for (std::size_t i = 0; i < kMatrixCells; ++i) {
        const int inTable = static_cast<int>(i % 64);
        const int row = inTable / 8;
        const int column = inTable % 8;
        auto* box = new GridBox(
            m_frames[i / 64], [this, i](Qt::FocusReason reason) { focusEntered(i, reason); },
            [this, i](Qt::FocusReason reason) { focusLeft(i, reason); });
        box->setObjectName(QStringLiteral("TD_%1").arg(i));
        box->setGeometry(px(kBoxLeft + kBoxStepX * column), px(kBoxTop + kBoxStepY * row), px(kBoxWidth),
                         px(kBoxHeight));
        box->setFont(boxFont);
        box->setAlignment(Qt::AlignCenter);
        // Three digits fill a box 24 pixels wide: no inner margin beside the frame.
        box->setTextMargins(-2, 0, -2, 0);
        box->setValidator(new TypedLength(box));
        connect(box, &QLineEdit::textChanged, this, [this, i](const QString& text) { textChanged(i, text); });
        m_boxes[i] = box;
        setBoxBackground(i, grid::BoxBackground::White);
        setBoxTextColour(i, grid::BoxTextColour::WindowText);
    }
    for (std::size_t i = 1; i < kMatrixCells; ++i)
        setTabOrder(m_boxes[i - 1], m_boxes[i]);
}

MatrixGrid::~MatrixGrid() = default;

void MatrixGrid::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    for (auto* box : m_boxes)
        box->setEnabled(!readOnly);
}

void MatrixGrid::attachChecks(Prompter& prompter, grid::CheckTexts texts) {
    m_checks = std::make_unique<grid::BoxChecks>(prompter, std::move(texts), *this);
}

QString MatrixGrid::boxText(std::size_t index) const {
    return m_boxes[index]->text();
}

MatrixCells MatrixGrid::cells() const {
    MatrixCells cells;
    for (std::size_t i = 0; i < kMatrixCells; ++i)
        cells[i] = boxCp1252(m_boxes[i]->text());
    return cells;
}

void MatrixGrid::setCells(const MatrixCells& cells, std::size_t count) {
    for (std::size_t i = 0; i < count && i < kMatrixCells; ++i)
        m_boxes[i]->setText(fromCp1252(cells[i]));
}

void MatrixGrid::applyColours(const QColor& back, const QColor& text) {
    for (auto* frame : m_frames) {
        setBackground(frame, back);
        // Only the caption: the boxes keep their own text colour.
        QPalette palette = frame->palette();
        palette.setColor(QPalette::WindowText, text);
        frame->setPalette(palette);
    }
}

void MatrixGrid::setBoxText(std::size_t box, const std::string& text) {
    m_boxes[box]->setText(fromCp1252(text));
}

void MatrixGrid::setBoxBackground(std::size_t box, grid::BoxBackground colour) {
    m_background[box] = colour;
    paintBox(box);
}

void MatrixGrid::setBoxTextColour(std::size_t box, grid::BoxTextColour colour) {
    m_textColour[box] = colour;
    paintBox(box);
}

void MatrixGrid::setColourScale(bool on) {
    m_colourScale = on;
    for (std::size_t i = 0; i < kMatrixCells; ++i)
        paintBox(i);
}

void MatrixGrid::offerColourScale(QAction* colourScaleSwitch) {
    for (auto* box : m_boxes)
        gridcolours::offerSwitch(box, colourScaleSwitch);
}

void MatrixGrid::paintBox(std::size_t index) {
    QColor shade = Qt::white;
    if (m_background[index] == grid::BoxBackground::Focus)
        shade = kPaleYellow;
    else if (m_background[index] == grid::BoxBackground::Highlight)
        shade = QApplication::palette().color(QPalette::Highlight);
    const QColor text =
        m_textColour[index] == grid::BoxTextColour::Green ? kGreen : QApplication::palette().color(QPalette::Text);
    // A focused or highlighted box keeps its state's colour, so that the checks stay visible.
    const bool scaled = m_colourScale && m_background[index] == grid::BoxBackground::White;
    gridcolours::paintValue(m_boxes[index], m_boxes[index]->text(), scaled, shade, text);
}

void MatrixGrid::focusBox(std::size_t box) {
    m_boxes[box]->setFocus(Qt::OtherFocusReason);
}

void MatrixGrid::focusRefused(const editor::SaveOutcome& outcome, QWidget* name, QWidget* description1,
                              QWidget* description2) {
    switch (outcome.refused) {
    case editor::SaveField::Name:
        name->setFocus(Qt::OtherFocusReason);
        break;
    case editor::SaveField::Description1:
        description1->setFocus(Qt::OtherFocusReason);
        break;
    case editor::SaveField::Description2:
        description2->setFocus(Qt::OtherFocusReason);
        break;
    case editor::SaveField::Box:
        focusBox(outcome.box);
        break;
    case editor::SaveField::None:
        break;
    }
}

void MatrixGrid::selectBoxText(std::size_t box) {
    m_boxes[box]->selectAll();
}

void MatrixGrid::enableSave() {
    emit saveEnabled();
}

void MatrixGrid::focusEntered(std::size_t index, Qt::FocusReason reason) {
    if (m_readOnly || (activationOnly(reason) && m_entered[index]))
        return;
    m_entered[index] = true;
    if (m_checks) {
        m_checks->entered(index);
    } else {
        setBoxBackground(index, grid::BoxBackground::Focus);
        selectBoxText(index);
    }
    emit boxEntered(static_cast<int>(index));
}

void MatrixGrid::focusLeft(std::size_t index, Qt::FocusReason reason) {
    if (m_readOnly || activationOnly(reason) || !m_entered[index])
        return;
    m_entered[index] = false;
    if (m_checks)
        m_checks->left(index, boxCp1252(m_boxes[index]->text()));
    else
        setBoxBackground(index, grid::BoxBackground::White);
    emit boxLeft(static_cast<int>(index));
}

void MatrixGrid::textChanged(std::size_t index, const QString& text) {
    if (m_colourScale)
        paintBox(index);
    if (m_checks && !m_readOnly)
        m_checks->changed(index, boxCp1252(text));
    emit boxChanged(static_cast<int>(index), text);
}

} // namespace quire
