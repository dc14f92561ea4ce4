// The new-matrix window: the shared editor controls, its save and its Exit.
#include "matrix/MatrixWindow.h"

#include "matrix/MatrixGrid.h"
#include "ui/XPButton.h"

namespace quire {
namespace {

constexpr int kHeight = 350;

} // namespace

Matrix::Matrix(SharedState& state, QWidget* parent)
    : EditorWindow(state, QStringLiteral("    Quire - Matrix Creation"), kHeight, parent) {
    setObjectName(QStringLiteral("Matrix"));
    applyColours();
    applyCaptions("MATRIX");
    m_cmdSave->setEnabled(false);
    connect(m_cmdSave, &ccXPButton::clicked, this, &Matrix::save);
    connect(m_cmdExit, &ccXPButton::clicked, this, &Matrix::close);
}

void Matrix::save() {
    const MatrixCells boxes = m_grid->cells();
    runSave([&](editor::SaveFields& fields) { return editor::saveNewMatrix(m_state, fields, boxes); });
}

} // namespace quire
