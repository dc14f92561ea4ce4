// The Matrix Extraction window: the drive, folder and stream lists, QuantDump's run with its
// activity display, the two extracted matrices with their names, Save and Exit. Its workings are
// MatExtLogic's and QuantDumpOutput's; the window shows them.
#pragma once

#include "app/SharedState.h"
#include "platform/Runner.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QProgressBar;

namespace quire {

class ccXPButton;

class MatExt : public QDialog {
    Q_OBJECT
public:
    // Builds the window and loads it: creates TempMatrix, looks for QuantDump (showing the not-found
    // box when its folder is missing), reads LastDVD and Tessera's source folder, and shows that
    // folder's drive, folders and streams. QuantDump is run through the runner. The drive list holds
    // the mounted volumes (volumeList of the mount points given, or else of the system's mounts).
    MatExt(SharedState& state, Runner& runner, QWidget* parent = nullptr);
    MatExt(SharedState& state, Runner& runner, const std::vector<std::filesystem::path>& mountPoints,
           QWidget* parent = nullptr);

    // Replaces the drive list (the mounted volumes read at open) with these root folders; the
    // current folder stays shown.
    void setVolumes(const QStringList& roots);

    // The window's state fields (Windows-1252 text, as in the settings files, except the command line,
    // which holds native paths).
    std::string txtTesserapath;
    std::string txtLastDVD;
    std::string txtSourceFolder;
    std::string txtCmdLine;
    std::string txtAspas = "\"";
    std::string txtShellMode = "4";
    std::string noMatrix;
    std::string TempMat1;
    std::string TempMat2;
    QTimer Timer1;
    QTimer Timer2;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape and the close box: the Exit sequence (nothing while QuantDump runs).
    void reject() override;

private:
    void buildControls();
    void applyColours();
    void load(const std::vector<std::filesystem::path>& mountPoints);
    void changeDrive();
    // Dir1 := folder (its parents, itself, its subfolders), then what a change of folder does; the
    // folder is written as LastDVD when remember is set.
    void setFolder(const QString& folder, bool remember = true);
    void changeFolder(bool remember);
    void selectStream();
    void extract();
    void restore();
    void save();
    void exitWindow();
    void tick(QTimer& self, QTimer& other, bool whiteOnBlack);

    QString selectedStream() const;
    // ParseQuantDumpOutput for the selected stream (missingText when it has no output); on failure
    // both displays are emptied and the box's text is returned in problem.
    bool readOutput(std::string_view missingText, std::string* problem = nullptr);
    // LoadExtractedMatrices for both matrices.
    void loadMatrices();
    void emptyMatrices();
    void setSaveControls(bool enabled);
    // Both displays emptied, both boxes unticked, the save controls disabled.
    void clearSaveControls();
    void setMessage(std::string_view text);
    void setStatus(std::string_view text);
    std::string matrixText(const QPlainTextEdit* display) const;

    SharedState& m_state;
    Runner& m_runner;
    bool m_quantDumpFound = false;
    bool m_running = false;

    QComboBox* m_drive1 = nullptr;
    QListWidget* m_dir1 = nullptr;
    QListWidget* m_lstVOB = nullptr;
    ccXPButton* m_btnExtract = nullptr;
    ccXPButton* m_cmdRestore = nullptr;
    ccXPButton* m_cmdSave = nullptr;
    ccXPButton* m_cmdExit = nullptr;
    QPlainTextEdit* m_message = nullptr;
    QLabel* m_lblExtraction = nullptr;
    QProgressBar* m_pb1 = nullptr;
    QPlainTextEdit* m_mat1 = nullptr;
    QPlainTextEdit* m_mat2 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QLineEdit* m_text3 = nullptr;
    QString m_folder; // the folder Dir1 shows
    // The colour scale's switch ("actColourScale").
    QAction* m_colourScale = nullptr;
};

} // namespace quire
