// The Setup window: the matrices, host and player paths, the four interface colours (swatches,
// red/green/blue bars, styles), the default-set restore and the version page. Its workings are
// SetupLogic's; the window shows them.
#pragma once

#include "app/SharedState.h"
#include "ui/SetupLogic.h"

#include <QDialog>
#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace quire {

class ccXPButton;

class Setup : public QDialog, private setup::SetupView {
    Q_OBJECT
public:
    // Builds the window and loads it: the paths, colours and captions of Editor.ini and the active
    // language, the custom descriptions, the bars set to the background colour; each step logged.
    explicit Setup(SharedState& state, QWidget* parent = nullptr);

    // The start-up readying for a missing matrix folder: the matrices path shown empty, Cancel
    // enabled, Apply disabled until a folder is chosen.
    void prepareForMissingFolder();

    // The window's hidden fields, read by other windows.
    const std::string& txtComColor() const { return m_logic.txtComColor(); }
    const std::string& txtCustomInfo() const { return m_logic.txtCustomInfo(); }
    // txtBackINI, txtTextINI, txtStripesINI, txtButtonsINI: the colours as read at load.
    const std::string& txtBackINI() const { return m_logic.loadColour(setup::ColourKind::Back); }
    const std::string& txtTextINI() const { return m_logic.loadColour(setup::ColourKind::Text); }
    const std::string& txtStripesINI() const { return m_logic.loadColour(setup::ColourKind::Stripes); }
    const std::string& txtButtonsINI() const { return m_logic.loadColour(setup::ColourKind::Buttons); }
    // txtCustom<Kind><part> as decimal text: part 2 red, 1 green, 0 blue.
    const std::string& customPart(setup::ColourKind kind, int part) const { return m_logic.customPart(kind, part); }
    const std::string& txtCustomBack2() const { return customPart(setup::ColourKind::Back, 2); }
    const std::string& txtCustomBack1() const { return customPart(setup::ColourKind::Back, 1); }
    const std::string& txtCustomBack0() const { return customPart(setup::ColourKind::Back, 0); }
    // The matrices folder the window shows (Windows-1252), where the default set is written.
    const std::string& matrixPath() const { return m_logic.lblMatPath(); }

    // Cancel: the colours as loaded and the host and player paths stored, the first-run folder
    // set up, the window closed. Escape and the close box come here too.
    void reject() override;

private:
    void buildControls();
    void buildColourFrame();
    void applyCaptions();
    void showPaths();
    void colourShown(setup::ColourKind kind) override;
    void barsShown() override;

    void browseMatrices();
    void apply();

    SharedState& m_state;
    setup::SetupLogic m_logic;

    QLabel* m_lblSetFolder = nullptr;
    QLabel* m_lblTesseraFolder = nullptr;
    QLabel* m_lblPlayer = nullptr;
    QLabel* m_lblMatPath = nullptr;
    QLabel* m_lblTesseraPath = nullptr;
    QLabel* m_lblPlayerPath = nullptr;
    QGroupBox* m_frmColors = nullptr;
    QGroupBox* m_frmExtras = nullptr;
    std::array<QRadioButton*, 4> m_options{};
    std::array<QLineEdit*, 4> m_hexFields{};
    std::array<QScrollBar*, 3> m_bars{};
    QLabel* m_lblCustomColor = nullptr;
    std::array<QWidget*, 6> m_stripes{};
    std::array<ccXPButton*, 4> m_styleButtons{};
    ccXPButton* m_cmdBrowse = nullptr;
    ccXPButton* m_cmdBrowse2 = nullptr;
    ccXPButton* m_cmdBrowse3 = nullptr;
    ccXPButton* m_okButton = nullptr;
    ccXPButton* m_cmdCancel = nullptr;
    ccXPButton* m_cmdRestore = nullptr;
    ccXPButton* m_cmdVersion = nullptr;
};

} // namespace quire
