// Matrix, the new-matrix window: an empty grid, a name and two description lines, saved into the
// matrix library as a new matrix or over an existing one.
#pragma once

#include "matrix/EditorWindow.h"

namespace quire {

class Matrix : public EditorWindow {
    Q_OBJECT
public:
    // Builds the window and loads it: the interface colours, the captions of [MATRIX], Save
    // disabled until a box passes a check.
    explicit Matrix(SharedState& state, QWidget* parent = nullptr);

private:
    void save();
};

} // namespace quire
