// The grid of the 128 value boxes TD of the matrix windows: frames "Intra" and "Non Intra", 8 x 8
// boxes each in index order, at most 3 characters typed into a box, Tab from box to box by index.
// With the editors' checks attached it runs them on every change, focus entry and focus exit.
#pragma once

#include "matrix/BoxChecks.h"
#include "matrix/MatrixFile.h"
#include "matrix/MatrixSave.h"

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class QAction;
class QGroupBox;
class QLineEdit;

namespace quire {

class MatrixGrid : public QWidget, public grid::BoxView {
    Q_OBJECT
public:
    // The grid's size in pixels: the two frames side by side.
    static constexpr int kWidth = 444;
    static constexpr int kHeight = 206;

    explicit MatrixGrid(QWidget* parent = nullptr);
    ~MatrixGrid() override;

    // Box 0-127, named "TD_<index>"; the frames are "frmIntra" and "frmNonIntra".
    QLineEdit* box(std::size_t index) const { return m_boxes[index]; }
    QLineEdit* firstBox() const { return m_boxes.front(); }
    QLineEdit* lastBox() const { return m_boxes.back(); }
    QGroupBox* intraFrame() const { return m_frames[0]; }
    QGroupBox* nonIntraFrame() const { return m_frames[1]; }

    // Read-only (the import window): the boxes are disabled, take no focus and run no checks.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    // The editors' checks: from now on every change, focus entry and focus exit of a box runs them,
    // with the prompter and the two messages given. Without them a box entered only turns pale
    // yellow with its text selected.
    void attachChecks(Prompter& prompter, grid::CheckTexts texts);
    // The attached checks (CCEvalue lives there); null without them.
    grid::BoxChecks* checks() const { return m_checks.get(); }

    QString boxText(std::size_t index) const;
    // The boxes as Windows-1252 text; a character that Windows-1252 cannot hold turns the box's
    // text into "?" (such a box holds no number). Keep parsed cells rather than reading them back.
    MatrixCells cells() const;
    // Sets boxes 0 .. count-1 from Windows-1252 cells, one after the other, as the program does
    // (each change runs the change check when the checks are attached).
    void setCells(const MatrixCells& cells, std::size_t count = kMatrixCells);

    // The colour scale: the boxes not focused or highlighted show their values' colours.
    void setColourScale(bool on);
    bool colourScale() const { return m_colourScale; }
    // A right-click on any box offers the switch below the box's own menu.
    void offerColourScale(QAction* colourScaleSwitch);

    // The frames' background and caption colours.
    void applyColours(const QColor& back, const QColor& text);

    // grid::BoxView: what the checks change; usable by the windows as well.
    void setBoxText(std::size_t box, const std::string& text) override;
    void setBoxBackground(std::size_t box, grid::BoxBackground colour) override;
    void setBoxTextColour(std::size_t box, grid::BoxTextColour colour) override;
    void focusBox(std::size_t box) override;
    // After a refused save: the focus into the field the save named (a box of this grid, or
    // one of the window's name and description fields).
    void focusRefused(const editor::SaveOutcome& outcome, QWidget* name, QWidget* description1, QWidget* description2);
    void selectBoxText(std::size_t box) override;
    void enableSave() override;

signals:
    // Every change of a box's text, typed or set by the program.
    void boxChanged(int index, const QString& text);
    // The focus entered or left a box (not when the window merely lost or regained activation).
    void boxEntered(int index);
    void boxLeft(int index);
    // A check accepted a value: the window enables Save.
    void saveEnabled();

private:
    void focusEntered(std::size_t index, Qt::FocusReason reason);
    void focusLeft(std::size_t index, Qt::FocusReason reason);
    void textChanged(std::size_t index, const QString& text);
    // Paints the box as its background state, text colour state and the colour scale say.
    void paintBox(std::size_t index);

    std::array<QGroupBox*, 2> m_frames{};
    std::array<QLineEdit*, kMatrixCells> m_boxes{};
    // Whether the box was entered and not yet left; a box leaves only once per entry.
    std::array<bool, kMatrixCells> m_entered{};
    std::unique_ptr<grid::BoxChecks> m_checks;
    bool m_readOnly = false;
    std::array<grid::BoxBackground, kMatrixCells> m_background{};
    std::array<grid::BoxTextColour, kMatrixCells> m_textColour{};
    bool m_colourScale = false;
};

} // namespace quire
