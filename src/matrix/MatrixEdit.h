// MatrixEdit, the edit window: the selected matrix loaded into the grid, its name and description,
// the Multiple Edit panel that shifts every value, saved over the matrix or as a new one.
#pragma once

#include "matrix/EditorWindow.h"

#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quire {

class MatrixEdit : public EditorWindow {
    Q_OBJECT
public:
    // Builds the window and loads it for the main window's selected matrix: the interface colours,
    // the captions of [MATRIXEdit] and [MATRIX], the values of the file (none when it has fewer
    // than 16 lines; each runs the change check), the name (the file name less its last four
    // characters) and the description lines info1 and info2 (Windows-1252, Info1 and Info2 of
    // Matrix_Info.ini). selectedFile is the native file name with its extension.
    MatrixEdit(SharedState& state, const std::string& selectedFile, const std::string& info1, const std::string& info2,
               QWidget* parent = nullptr);

private:
    void buildMultipleEdit();
    void applyMultipleEditLook();
    void loadValues();
    void multipleEdit();
    void save();
    void exitWindow();

    std::string m_selectedFile;
    QGroupBox* m_frmMultEdit = nullptr;
    QLabel* m_lblInfo = nullptr;
    QLineEdit* m_txtValue = nullptr;
    QRadioButton* m_subtract = nullptr; // Option1 index 0, "-"
    QRadioButton* m_add = nullptr;      // Option1 index 1, "+"
    QLabel* m_lblMinus = nullptr;
    QLabel* m_lblPlus = nullptr;
    ccXPButton* m_command1 = nullptr;
};

} // namespace quire
