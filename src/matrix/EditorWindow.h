// What the new-matrix and edit windows share: the grid with its checks, name and description
// fields, the information text, Save and Exit, the decorative bands and the credit link, painted
// with the interface colours and captioned from the active language.
#pragma once

#include "app/SharedState.h"
#include "matrix/MatrixSave.h"

#include <QDialog>
#include <array>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;

namespace quire {

class ccXPButton;
class DescriptionBox;
class MatrixGrid;

class EditorWindow : public QDialog {
    Q_OBJECT
public:
    // The fields the saves read, as the window holds them.
    editor::SaveFields saveFields() const;
    MatrixGrid* grid() const { return m_grid; }
    // Text1: the mirror of description line 1 (UTF-8, CR LF line breaks).
    const std::string& text1() const { return m_text1; }
    // CCEvalue.
    const std::string& cceValue() const;

protected:
    // Builds the shared controls on a window of the given title and height; the part between
    // the information text and the buttons (from contentTop() down) is the subclass's.
    EditorWindow(SharedState& state, const QString& title, int height, QWidget* parent);

    static constexpr int kWidth = 720;
    static int contentTop() { return 300; }

    // The interface colours on the shared controls (the subclass paints its own).
    void applyColours();
    // The captions of section (lblTitle, lblName, lblDescription1/2, cmdSave, cmdExit) and the
    // information text of [MATRIX].
    void applyCaptions(std::string_view section);
    std::string text(std::string_view section, std::string_view key) const;

    // Runs a save on the window's fields, shows the fields as the save left them and puts the
    // focus into the field a refusal was about.
    template <class SaveFunction>
    void runSave(SaveFunction&& save) {
        editor::SaveFields fields = saveFields();
        showSaveResult(fields, save(fields));
    }
    void showSaveResult(const editor::SaveFields& fields, const editor::SaveOutcome& outcome);

    QColor backColour() const;
    QColor textColour() const;

    // Escape does not close an editor (typed values would be lost); Exit and the title bar do.
    void keyPressEvent(QKeyEvent* event) override;

    SharedState& m_state;
    MatrixGrid* m_grid = nullptr;
    QLineEdit* m_txtMatrixName = nullptr;
    DescriptionBox* m_txtCustomMatrix1 = nullptr;
    DescriptionBox* m_txtCustomMatrix2 = nullptr;
    ccXPButton* m_cmdSave = nullptr;
    ccXPButton* m_cmdExit = nullptr;

private:
    void buildControls(int height);

    std::string m_text1;
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblName = nullptr;
    QLabel* m_lblDescription1 = nullptr;
    QLabel* m_lblDescription2 = nullptr;
    QLabel* m_txtMatDialogInfo = nullptr;
    QLabel* m_lblCredit = nullptr;
    std::array<QWidget*, 6> m_stripes{};
};

} // namespace quire
