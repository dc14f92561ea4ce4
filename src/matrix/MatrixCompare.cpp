// The compare window: the two pickers, three grids at fixed places, the comparison from the core.
#include "matrix/MatrixCompare.h"

#include "matrix/Library.h"
#include "matrix/MatrixExport.h"
#include "ui/GridColours.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace quire {
namespace {

constexpr int kCellWidth = 26;
constexpr int kCellHeight = 18;
constexpr int kLeft = 10;
constexpr int kTableGap = 12;
constexpr int kGridTop = 44;
constexpr int kGridPitch = 16 + 8 * kCellHeight + 8;
constexpr int kWidth = 2 * kLeft + 16 * kCellWidth + kTableGap;

} // namespace

MatrixCompare::MatrixCompare(SharedState& state, const QString& first, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setObjectName(QStringLiteral("MatrixCompare"));
    setWindowTitle(QStringLiteral("Compare matrices"));
    setFixedSize(kWidth, kGridTop + 3 * kGridPitch + 30);
    const int half = (kWidth - 2 * kLeft - kTableGap) / 2;
    m_cboA = placed(new QComboBox(this), "cboMatrixA", QRect(kLeft, 10, half, 24));
    m_cboB = placed(new QComboBox(this), "cboMatrixB", QRect(kLeft + half + kTableGap, 10, half, 24));
    QStringList names;
    for (const auto& name : library::listMatrixFiles(m_state.matrixFolder()))
        names << QString::fromStdString(name);
    m_cboA->addItems(names);
    m_cboB->addItems(names);
    const int at = std::max(0, static_cast<int>(names.indexOf(first)));
    m_cboA->setCurrentIndex(at);
    m_cboB->setCurrentIndex(names.isEmpty() ? -1 : (at + 1) % static_cast<int>(names.size()));

    QFont cellFont = font();
    cellFont.setPointSize(8);
    const char* const captions[3] = {"A", "B", "B - A"};
    const char* const prefixes[3] = {"A_%1", "B_%1", "D_%1"};
    for (int g = 0; g < 3; ++g) {
        const int top = kGridTop + g * kGridPitch;
        for (int t = 0; t < 2; ++t) {
            const QString caption = QStringLiteral("%1: %2").arg(
                QLatin1String(captions[g]), t == 0 ? QStringLiteral("Intra") : QStringLiteral("Non Intra"));
            placed(new QLabel(caption, this), "lblGrid", QRect(kLeft + t * (8 * kCellWidth + kTableGap), top, 200, 16));
        }
        for (std::size_t i = 0; i < 128; ++i) {
            const int table = static_cast<int>(i / 64);
            const int row = static_cast<int>(i % 64) / 8;
            const int col = static_cast<int>(i % 8);
            auto* cell = new QLineEdit(this);
            cell->setObjectName(QString::fromLatin1(prefixes[g]).arg(i));
            cell->setReadOnly(true);
            cell->setFocusPolicy(Qt::NoFocus);
            cell->setAlignment(Qt::AlignCenter);
            cell->setFont(cellFont);
            cell->setTextMargins(-2, 0, -2, 0);
            cell->setGeometry(kLeft + table * (8 * kCellWidth + kTableGap) + col * kCellWidth,
                              top + 16 + row * kCellHeight, kCellWidth, kCellHeight);
            m_boxes[static_cast<std::size_t>(g)][i] = cell;
        }
    }
    m_lblProblem = placed(new QLabel(this), "lblProblem", QRect(kLeft, kGridTop + 3 * kGridPitch, kWidth - 20, 20));
    connect(m_cboA, &QComboBox::currentIndexChanged, this, &MatrixCompare::showComparison);
    connect(m_cboB, &QComboBox::currentIndexChanged, this, &MatrixCompare::showComparison);
    showComparison();
}

void MatrixCompare::showComparison() {
    const QColor white = Qt::white;
    const QColor text = QApplication::palette().color(QPalette::Text);
    const auto a = library::usableValues(m_state.matrixFolder(), m_cboA->currentText().toStdString());
    const auto b = library::usableValues(m_state.matrixFolder(), m_cboB->currentText().toStdString());
    QString problem;
    for (const auto& [values, combo] : {std::pair{&a, m_cboA}, std::pair{&b, m_cboB}})
        if (!*values && !combo->currentText().isEmpty())
            problem = fromCp1252(library::unusableMessage(combo->currentText().toStdString()));
    m_lblProblem->setText(problem);
    const library::Comparison shown = library::compare(a.value_or(MatrixValues{}), b.value_or(MatrixValues{}));
    for (std::size_t i = 0; i < 128; ++i) {
        const std::array<QString, 3> texts{a ? QString::number(shown.a[i]) : QString(),
                                           b ? QString::number(shown.b[i]) : QString(),
                                           a && b ? QString::number(shown.difference[i]) : QString()};
        for (std::size_t g = 0; g < 2; ++g) {
            m_boxes[g][i]->setText(texts[g]);
            gridcolours::paintValue(m_boxes[g][i], texts[g], true, white, text);
        }
        m_boxes[2][i]->setText(texts[2]);
        if (a && b)
            gridcolours::paintDifference(m_boxes[2][i], shown.difference[i]);
        else
            gridcolours::paintValue(m_boxes[2][i], {}, false, white, text);
    }
}

} // namespace quire
