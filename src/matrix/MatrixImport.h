// The import window: the kind of source file, the browse button and the file's name, the 128 values
// in a read-only grid, name and descriptions, Save and Exit. Reading and saving are the core's.
#pragma once

#include "app/SharedState.h"
#include "matrix/ImportBrowse.h"

#include <QDialog>
#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quire {

class ccXPButton;
class DescriptionBox;
class MatrixGrid;

class MatrixImport : public QDialog {
    Q_OBJECT
public:
    // Builds the window and loads it: interface colours, captions of [MATRIXImport], the text-file
    // kind chosen, the boxes empty.
    explicit MatrixImport(SharedState& state, QWidget* parent = nullptr);

    // The values the boxes show and Save writes (Windows-1252), as the last browse left them.
    const MatrixCells& cells() const { return m_fields.cells; }
    // Text1: the working text of the last browse, as cleaned up (Windows-1252).
    const std::string& text1() const { return m_fields.text1; }

private:
    void buildControls();
    void applyColours();
    void applyCaptions();
    void browseFile();
    void save();
    void showFields();

    SharedState& m_state;
    importing::BrowseFields m_fields;

    MatrixGrid* m_grid = nullptr;
    QGroupBox* m_frmFileType = nullptr;
    std::array<QRadioButton*, 2> m_option1{};
    std::array<QLabel*, 2> m_optionLabels{};
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblPath = nullptr;
    QLineEdit* m_txtPath = nullptr;
    ccXPButton* m_command1 = nullptr;
    QLabel* m_lblName = nullptr;
    QLineEdit* m_txtMatrixName = nullptr;
    QLabel* m_lblDescription1 = nullptr;
    DescriptionBox* m_txtCustomMatrix1 = nullptr;
    QLabel* m_lblDescription2 = nullptr;
    DescriptionBox* m_txtCustomMatrix2 = nullptr;
    ccXPButton* m_cmdSave = nullptr;
    ccXPButton* m_cmdExit = nullptr;
    std::array<QWidget*, 6> m_stripes{};
};

} // namespace quire
