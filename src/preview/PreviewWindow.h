// The Preview/Test window: one segment of the Tessera project test-encoded with one library matrix.
// Its workings are the preview core's (the project load, the segment details, the scripts, the control
// files and the encoder runs); the window shows them and keeps the enabled state of every step.
#pragma once

#include "app/SharedState.h"
#include "platform/Runner.h"
#include "preview/EncodeMetrics.h"
#include "preview/HostProject.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QProgressBar;
class QRadioButton;
class QTableWidget;
class QTimer;

namespace quire {

class ABView;
class ccXPButton;
class PlayerView;

class Preview : public QDialog, public preview::PreviewView {
    Q_OBJECT
public:
    // Builds the window and loads it (the Open steps): the log's separator, the colours, the player and
    // Tessera's folder from Editor.ini, the Preview folder, the work folder, the segment and matrix
    // lists and the project. Outside programs (the encoders, the media player) run through the runner.
    Preview(SharedState& state, Runner& runner, QWidget* parent = nullptr);

    // False when Tessera's folder is not set: the user was told and must be sent to Setup; the window
    // is not to be shown.
    bool loaded() const { return m_loaded; }

    // The window's state fields that the core routines read and write, and its own.
    preview::PreviewState fields;
    std::string txtTesserapath;
    std::string txtWorkFolder;
    std::string Prepare = "0";
    std::string txtPlaySegment;
    std::string Text1, Text2;

    // PreviewView.
    void disableEncoderIndicators() override;
    void selectEncoder(preview::EncoderKind kind) override;
    void enableCceGroupLabel() override;
    void setActionCaptions(std::string_view text) override;
    void playIdleScript() override;
    void disableApplyOptions() override;
    void closeWindow() override;
    void setFilterBoxes(bool movie, bool extras) override;
    void showSegmentList(const std::vector<std::string>& lines) override;
    void showAspect(preview::AspectChoice choice) override;
    void setPlayerFile(const std::filesystem::path& file) override;
    void play() override;
    void enablePlayPause() override;
    void advanceProgress() override;
    void refreshEncodedFiles() override;
    void disableEncodedFiles() override;

private:
    void buildControls();
    void applyColours();
    void load();
    // Open steps 11 to 16; false at the first that fails.
    bool loadProject();
    void noScriptsFound();
    void resetProgressBar();

    void chooseSegment(QListWidgetItem* item);
    void chooseMatrix(QListWidgetItem* item);
    void chooseNoMatrix();
    void clearChoice();
    void prepareFiles();
    void encode();
    void playPreview();
    void pausePlayer();
    void continuePlayer();
    void viewEncoded(QListWidgetItem* item);
    void resetAll();
    void browseWorkFolder();
    void switchMode();
    void changeSegmentFilter();
    void changeVideoFormat();
    void applyToHost();
    void exitWindow();

    void enterBusyState();
    void enterIdleState();
    void stopPlayer();
    void refreshMatrixList();
    void setApplyOptions(bool enabled, bool deselect = false);
    void showSegmentDetails();
    bool isEncoder(preview::EncoderKind kind) const { return fields.encoder == kind; }
    std::filesystem::path previewFolder() const;

    // --- Matrix read-back, the proof that the matrix went in (PreviewCheck.cpp).
    // Makes room under the encoded-segments list for the label that says the selected file's verdict.
    void buildMatrixCheck();
    // After an Encode: reads back the matrices of the file it wrote and compares them with the choice.
    void checkEncodedFile();
    // Gives each listed file its kept verdict (icon and tool tip) and says the selected file's.
    void showMatrixChecks();
    void showCheckOf(const QListWidgetItem* item);
    QLabel* m_lblMatrixCheck = nullptr;

    // --- Measures of the encoded files against their source and the comparison table (PreviewCompare.cpp).
    // The "Compare..." and "Cancel" buttons under the progress bar, and the timer that polls a measure.
    void buildCompare();
    // After an Encode (after the read-back): keeps the encode script beside the file and measures it
    // off the window's thread, with the progress bar; a new Encode replaces a measure still going.
    void measureEncodedFile();
    void pollMeasure();
    void cancelMeasure();
    // The small window over this one with a row per encoded file of the selected segment.
    void showCompare();
    void fillCompareTable();
    void fitCompareTable();
    std::unique_ptr<preview::MeasureJob> m_measure;
    QTimer* m_measureTimer = nullptr;
    ccXPButton* m_cmdCompare = nullptr;
    ccXPButton* m_cmdCancelMeasure = nullptr;
    QDialog* m_frmCompare = nullptr;
    QTableWidget* m_tblCompare = nullptr;
    ccXPButton* m_cmdCompareAB = nullptr;
    // "A/B View...", enabled while exactly two encoded files are selected: the same frame of both.
    void updateABButton();
    void showABView();
    void showABViewOfRows();
    void openABView(const QString& a, const QString& b);
    ccXPButton* m_cmdAB = nullptr;
    QPointer<ABView> m_frmAB;

    SharedState& m_state;
    Runner& m_runner;
    preview::PreviewContext m_context;
    bool m_loaded = true;

    QListWidget* m_lstSegment2 = nullptr;
    std::array<QCheckBox*, 2> m_chkSegList{};
    QListWidget* m_lstMatrix = nullptr;
    QRadioButton* m_option3 = nullptr;
    QLineEdit* m_txtMatDes = nullptr;
    std::array<QRadioButton*, 4> m_optApply{};
    QButtonGroup* m_applyGroup = nullptr;
    ccXPButton* m_btnApply = nullptr;
    std::array<QRadioButton*, 8> m_option2{};
    QLabel* m_lblCCE = nullptr;
    std::array<QRadioButton*, 3> m_option1{};
    std::array<QRadioButton*, 2> m_optMode{};
    QGroupBox* m_frmMode = nullptr;
    QLineEdit* m_txtVTS = nullptr;
    QLineEdit* m_txtVob = nullptr;
    QLineEdit* m_txtSegment = nullptr;
    QLineEdit* m_txtTotalSize = nullptr;
    QLineEdit* m_txtVideoSize = nullptr;
    QLineEdit* m_txtAudioSize = nullptr;
    QLineEdit* m_txtDuration = nullptr;
    QLineEdit* m_txtVBR = nullptr;
    QLineEdit* m_txtFrameRate = nullptr;
    QLabel* m_lblAction1 = nullptr;
    QLabel* m_lblAction2 = nullptr;
    QLabel* m_lblWPath = nullptr;
    ccXPButton* m_cmdBrowse = nullptr;
    QListWidget* m_lstM2V = nullptr;
    QProgressBar* m_progressBar1 = nullptr;
    ccXPButton* m_btnPrepare = nullptr;
    ccXPButton* m_btnEncode = nullptr;
    ccXPButton* m_cmdPlay = nullptr;
    ccXPButton* m_cmdPause = nullptr;
    ccXPButton* m_cmdContinue = nullptr;
    ccXPButton* m_cmdReset = nullptr;
    ccXPButton* m_cmdClear = nullptr;
    ccXPButton* m_cmdExit = nullptr;
    ccXPButton* m_btnWorks = nullptr;

    // The filter panels: " Filters ", " Deen's Extra Options " and "AVS Script " (PreviewFilters.cpp).
    void buildFilterPanels();
    // Moves the filter and script frames into the window ("Filters" mode) or out of it ("Matrix").
    void placeFilterPanels(bool filtersMode);
    // The mode switch's part for the panels: their places, the Deen call reset, Encode held back.
    void switchFilterPanels();
    void enableFilterPanels(bool enabled);
    // The panel's state shown in its controls, and the Deen parameters read back from them.
    void showFilterPanel();
    void readDeenParameters();
    void tickFilter();
    void chooseAdvanced();
    void fillRadiusList();
    void checkRadius();
    void leaveDeenMode();
    void refreshDeenCall();
    void defaultDeenParameters();
    void clearFilters();
    void editScript();
    void applyScript();
    void applyFiltersToHost();
    QGroupBox* m_frmFilters = nullptr;
    QGroupBox* m_frmDeen = nullptr;
    QGroupBox* m_frame13 = nullptr;
    std::array<QCheckBox*, 2> m_chkFilter{};
    QRadioButton* m_option4 = nullptr;
    QComboBox* m_cmbDMethod = nullptr;
    QComboBox* m_cmbDMode = nullptr;
    QComboBox* m_cmbRad = nullptr;
    QLineEdit* m_thrY = nullptr;
    QLineEdit* m_thrUV = nullptr;
    QLineEdit* m_tthY = nullptr;
    QLineEdit* m_tthUV = nullptr;
    QLineEdit* m_min = nullptr;
    QPlainTextEdit* m_txtScript = nullptr;
    ccXPButton* m_cmdDeenRefresh = nullptr;
    ccXPButton* m_ccXPButton1 = nullptr;
    ccXPButton* m_cmdClearFilters = nullptr;
    ccXPButton* m_cmdApplyFilters = nullptr;
    ccXPButton* m_cmdApplyAVS = nullptr;
    // The embedded player (PreviewPlayer.cpp): quire-avs of the program folder plays the scripts in
    // MediaPlayer1; whatever closes the window stops it first, so no child outlives the window.
public:
    void done(int result) override;

private:
    void buildPlayer();
    PlayerView* m_mediaPlayer1 = nullptr;
};

} // namespace quire
