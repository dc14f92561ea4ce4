// The compare window: two library matrices, A and B, picked from the library, and their difference
// B - A, cell by cell. A and B are painted on the colour scale (the switch of the grids is for the
// windows where the numbers come first), the difference on its own ramp, white where the two agree.
#pragma once

#include "app/SharedState.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;

namespace quire {

class MatrixCompare : public QDialog {
    Q_OBJECT
public:
    // Opens with matrix A = first and B = the library's next matrix after it (or the first one).
    MatrixCompare(SharedState& state, const QString& first, QWidget* parent = nullptr);

    // Box i (0-127) of grid 0 (A), 1 (B) or 2 (B - A), named "A_i", "B_i" and "D_i".
    QLineEdit* box(int grid, std::size_t index) const { return m_boxes[static_cast<std::size_t>(grid)][index]; }

private:
    void showComparison();

    SharedState& m_state;
    QComboBox* m_cboA = nullptr;
    QComboBox* m_cboB = nullptr;
    QLabel* m_lblProblem = nullptr;
    std::array<std::array<QLineEdit*, 128>, 3> m_boxes{};
};

} // namespace quire
