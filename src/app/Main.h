// The main window: the matrix list, the 128-cell viewer, the description, the ten buttons.
// Loading it runs the start-up; every other window opens from its buttons.
#pragma once

#include "app/SharedState.h"
#include "app/Startup.h"
#include "matrix/MatrixFile.h"
#include "platform/Runner.h"
#include "ui/Setup.h"

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <array>
#include <initializer_list>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QFrame;

namespace quire {

class ccXPButton;

// The font of every window: DejaVu Sans, the Verdana-like face Debian always ships, at 9 points.
// The windows are laid out at fixed places, and their controls are sized for their captions in
// this font; a desktop's own font would cut them or leave them lost in their controls.
QFont programFont();

class Main : public QWidget, public StartupHooks {
    Q_OBJECT
public:
    Main(const std::filesystem::path& programFolder, Prompter& prompter, QWidget* parent = nullptr);
    ~Main() override;

    // Runs the start-up; emits started() when it is over (after the Setup window, if start-up
    // needed it, has closed).
    void start();

    SharedState& state() { return m_state; }
    // The matrix the grid and description show (native file name), the one Edit and Delete act on;
    // empty when none.
    QString selectedMatrix() const;
    // The Setup window while it is open or loaded by start-up.
    Setup* setupWindow() const { return m_setup; }

    // MainView
    void resetView() override;
    void resetViewKeepGrid() override;
    void refreshMatrixList() override;
    void applyMainColours() override;
    void applyMainCaptions() override;
    void setTranslator() override;
    // StartupHooks
    std::string previewButtonCaption() override;
    void prepareSetupForMissingFolder() override;
    void unloadSetup() override;

    void ClearMatrixGrid();

signals:
    void started();

private slots:
    void selectMatrix(QListWidgetItem* item);
    void deleteSelected();
    void openMatrixNew();
    void openMatrixEdit();
    void openMatrixImport();
    void openExtraction();
    void openPreview();
    void openSetup();
    void openLanguages();
    void openAbout();
    void exitProgram();
    // The selected matrix for other tools: the compare window, FFmpeg's options on the clipboard, a .cqm.
    void openCompare();
    void copyFfmpegOptions();
    void exportCqm();

private:
    void buildControls();
    ccXPButton* addButton(const char* name, const char* designCaption);
    // Spreads a row of buttons, equally wide, across the grid's width.
    void layOutRow(std::initializer_list<ccXPButton*> row, int y);
    std::string text(std::string_view section, std::string_view key) const;
    void showGrid();

    SharedState m_state;
    Startup m_startup;
    MatrixCells m_cells = emptyGrid();
    QString m_shownMatrix;
    std::string m_text1; // Info1 of the selected matrix
    std::string m_text2; // Info2 of the selected matrix

    QListWidget* m_lstMatrix = nullptr;
    QPlainTextEdit* m_txtMatrix = nullptr;
    std::array<QLineEdit*, kMatrixCells> m_td{};
    QLabel* m_lblTitle1 = nullptr;
    QLabel* m_lblTitle2 = nullptr;
    QLabel* m_lblMatrices = nullptr;
    QLabel* m_lblMatDescription = nullptr;
    QLabel* m_lblMatValues = nullptr;
    QLabel* m_lblTranslator = nullptr;
    std::vector<QLabel*> m_links;
    std::vector<QFrame*> m_stripes;
    std::vector<ccXPButton*> m_buttons;
    ccXPButton* m_cmdEdit = nullptr;
    ccXPButton* m_cmdDelete = nullptr;
    ccXPButton* m_cmdPreview = nullptr;
    QPointer<Setup> m_setup;
    QPointer<QDialog> m_matExt;
    std::unique_ptr<Runner> m_runner; // runs QuantDump for the extraction window

    // The matrix pictures and exports: the colour scale's switch (in the grid's and the list's context
    // menus) and the list's context menu entries for the selected matrix.
    void buildMatrixMenu();
    QAction* m_colourScale = nullptr;
    QAction* m_actCompare = nullptr;
    QAction* m_actCopyFfmpeg = nullptr;
    QAction* m_actExportCqm = nullptr;
};

} // namespace quire
