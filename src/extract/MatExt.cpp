// The Matrix Extraction window: its controls at fixed places, the lists of drives, folders and
// streams, and the Extract, Restore, Save and Exit actions handed to the extraction logic.
#include "extract/MatExt.h"

#include "app/Folders.h"
#include "app/IniManager.h"
#include "extract/MatExtLogic.h"
#include "extract/QuantDumpOutput.h"
#include "preview/WorkFolders.h"
#include "ui/GridColours.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyledItemDelegate>
#include <tuple>

namespace quire {

using namespace extract;

namespace {

constexpr int kBarMax = 5000;
constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;

// Draws each folder of the folder list indented by its depth, so that the names themselves stay
// plain and typing a name's first letters finds it.
class FolderIndent : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + 12 * index.data(kDepthRole).toInt());
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

template <class W>
W* named(W* widget, const char* name, QRect place) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(place);
    return widget;
}

QString native(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

std::filesystem::path pathOf(const QString& text) {
    return std::filesystem::path(text.toStdString());
}

void enable(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

// The root folders of the mounted volumes.
std::vector<std::filesystem::path> systemMountPoints() {
    std::vector<std::filesystem::path> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (QFileInfo(volume.rootPath()).isDir())
            roots.push_back(pathOf(volume.rootPath()));
    return roots;
}

// Gives a matrix display the largest fixed-pitch font, from 9 points down to 6, in which the 16
// rows of eight three-digit values (and the empty line after the last line break) fit its
// fixed size without scrolling, whatever the desktop's fonts and resolution.
void fitMatrixFont(QPlainTextEdit* display) {
    const QString widestRow = QStringLiteral("255 255 255 255 255 255 255 255");
    constexpr int kLines = 17;
    const qreal margins = 2 * (display->frameWidth() + display->document()->documentMargin());
    const QSizeF room = QSizeF(display->size()) - QSizeF(margins, margins);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (qreal points = 9; points >= 6; points -= 0.5) {
        font.setPointSizeF(points);
        const QFontMetricsF metrics(font);
        // A pixel to spare for the cursor and rounding.
        if (metrics.horizontalAdvance(widestRow) + 2 <= room.width() && metrics.lineSpacing() * kLines <= room.height())
            break;
    }
    display->setFont(font);
}

void paintBar(QProgressBar* bar, const char* chunk, const char* background) {
    bar->setStyleSheet(QStringLiteral("QProgressBar { background: %1; border: 1px solid gray; }"
                                      " QProgressBar::chunk { background: %2; }")
                           .arg(QLatin1String(background), QLatin1String(chunk)));
}

} // namespace

MatExt::MatExt(SharedState& state, Runner& runner, QWidget* parent)
    : MatExt(state, runner, systemMountPoints(), parent) {}

MatExt::MatExt(SharedState& state, Runner& runner, const std::vector<std::filesystem::path>& mountPoints,
               QWidget* parent)
    : QDialog(parent), m_state(state), m_runner(runner) {
    setObjectName(QStringLiteral("MatExt"));
    setWindowTitle(fromCp1252(kWindowTitle));
    setFixedSize(780, 540);
    buildControls();
    load(mountPoints);
}

void MatExt::buildControls() {
    named(new QLabel(QStringLiteral("DVD Folder Selection:"), this), "lblDrive", QRect(12, 10, 270, 18));
    m_drive1 = named(new QComboBox(this), "Drive1", QRect(12, 30, 270, 24));
    m_dir1 = named(new QListWidget(this), "Dir1", QRect(12, 60, 270, 190));
    m_dir1->setItemDelegate(new FolderIndent(m_dir1));
    named(new QLabel(QStringLiteral("Video Streams:"), this), "lblStreams", QRect(12, 258, 270, 18));
    m_lstVOB = named(new QListWidget(this), "lstVOB", QRect(12, 278, 270, 160));
    m_btnExtract =
        named(new ccXPButton(QStringLiteral("&Extract Matrices"), this), "btnExtract", QRect(12, 448, 270, 30));
    m_cmdRestore =
        named(new ccXPButton(QStringLiteral("&Restore Previous Scan"), this), "cmdRestore", QRect(12, 486, 270, 30));

    m_message = named(new QPlainTextEdit(this), "Message", QRect(296, 10, 472, 78));
    m_message->setReadOnly(true);
    m_lblExtraction = named(new QLabel(this), "lblExtraction", QRect(296, 94, 472, 20));
    m_lblExtraction->setAlignment(Qt::AlignCenter);
    m_lblExtraction->setAutoFillBackground(true);
    m_pb1 = named(new QProgressBar(this), "PB1", QRect(296, 118, 472, 12));
    m_pb1->setRange(0, kBarMax);
    m_pb1->setTextVisible(false);

    auto* frame = named(new QGroupBox(QStringLiteral(" Matrices "), this), "frmMatrices", QRect(296, 136, 472, 344));
    const auto column = [&](int x, const char* mat, const char* check, const char* name, const char* design) {
        auto* display = named(new QPlainTextEdit(frame), mat, QRect(x, 22, 226, 250));
        display->setReadOnly(true);
        display->setLineWrapMode(QPlainTextEdit::NoWrap);
        fitMatrixFont(display);
        auto* box = named(new QCheckBox(QStringLiteral("Save"), frame), check, QRect(x, 278, 226, 20));
        named(new QLabel(QStringLiteral("Name:"), frame), "lblName", QRect(x, 300, 226, 16));
        auto* field = named(new QLineEdit(QString::fromLatin1(design), frame), name, QRect(x, 316, 226, 22));
        return std::tuple{display, box, field};
    };
    std::tie(m_mat1, m_check1, m_text2) = column(8, "Mat1", "Check1", "Text2", "Matrix 1");
    std::tie(m_mat2, m_check2, m_text3) = column(238, "Mat2", "Check2", "Text3", "Matrix 2");
    // The colour scale on the two matrices, switched from their context menu.
    m_colourScale = gridcolours::makeSwitch(this, m_state.editorIni(), [this](bool on) {
        gridcolours::paintNumbers(m_mat1, on);
        gridcolours::paintNumbers(m_mat2, on);
    });
    gridcolours::offerSwitch(m_mat1, m_colourScale);
    gridcolours::offerSwitch(m_mat2, m_colourScale);

    m_cmdSave = named(new ccXPButton(QStringLiteral("&Save"), this), "cmdSave", QRect(296, 490, 231, 30));
    m_cmdExit = named(new ccXPButton(QStringLiteral("E&xit"), this), "cmdExit", QRect(537, 490, 231, 30));

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer2.setObjectName(QStringLiteral("Timer2"));
    for (QTimer* timer : {&Timer1, &Timer2})
        timer->setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, [this] { tick(Timer1, Timer2, true); });
    connect(&Timer2, &QTimer::timeout, this, [this] { tick(Timer2, Timer1, false); });

    connect(m_drive1, &QComboBox::currentIndexChanged, this, &MatExt::changeDrive);
    connect(m_dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setFolder(item->data(kPathRole).toString()); });
    connect(m_lstVOB, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            selectStream();
    });
    connect(m_lstVOB, &QListWidget::itemClicked, this, &MatExt::selectStream);
    connect(m_btnExtract, &ccXPButton::clicked, this, &MatExt::extract);
    connect(m_cmdRestore, &ccXPButton::clicked, this, &MatExt::restore);
    connect(m_cmdSave, &ccXPButton::clicked, this, &MatExt::save);
    connect(m_cmdExit, &ccXPButton::clicked, this, &MatExt::exitWindow);
}

void MatExt::applyColours() {
    const QColor back = colourOf(m_state.txtBackColor);
    const QColor fore = colourOf(m_state.txtTextColor);
    applyWindowColours(this, back, fore);
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::Base, back);
    palette.setColor(QPalette::Text, fore);
    m_message->setPalette(palette);
    for (ccXPButton* button : findChildren<ccXPButton*>())
        button->setForeColor(QString::fromStdString(m_state.txtButtonsColor));
}

void MatExt::load(const std::vector<std::filesystem::path>& mountPoints) {
    const auto& program = m_state.programFolder;
    const StartFolders folders = readStartFolders(m_state.editorIni());
    txtTesserapath = folders.txtTesserapath;
    applyColours();
    CreateFolderPath(*m_state.prompter, program / kTempMatrixFolder);
    const QuantDumpLookup lookup = findQuantDump(program);
    if (lookup.folderMissing)
        m_state.prompter->message(kNotFoundBox, kAppTitle, PromptButtons::Ok, PromptIcon::None);
    m_quantDumpFound = lookup.found;
    setMessage(kLocateMessage);
    if (!m_quantDumpFound) {
        setMessage(kNotFoundMessage);
        m_cmdRestore->setEnabled(false);
    }
    paintBar(m_pb1, "white", "black");

    txtLastDVD = folders.txtLastDVD;
    setStatus("");
    txtSourceFolder = folders.txtSourceFolder;

    enable({m_btnExtract, m_cmdSave, m_cmdExit}, false);
    setSaveControls(false);

    const std::vector<std::filesystem::path> volumes = volumeList(mountPoints);
    QStringList roots;
    for (const auto& root : volumes)
        roots << native(root);
    setVolumes(roots);

    const std::string& start = !txtLastDVD.empty() ? txtLastDVD : txtSourceFolder;
    const QString folder = start.empty() ? QDir::homePath() : native(fileio::textToPath(start));
    const auto volume = volumeOf(pathOf(folder), volumes);
    const int index = m_drive1->findData(native(volume));
    if (volume.empty() || index < 0 || !volumeReady(volume))
        return; // the drive cannot be set: the load ends here
    {
        const QSignalBlocker blocker(m_drive1);
        m_drive1->setCurrentIndex(index);
    }
    // A folder remembered from an earlier visit (or Tessera's source) becomes LastDVD again.
    setFolder(QFileInfo(folder).isDir() ? folder : native(volume), !start.empty());
}

void MatExt::setVolumes(const QStringList& roots) {
    const QSignalBlocker blocker(m_drive1);
    m_drive1->clear();
    for (const QString& root : roots) {
        const QString name = QStorageInfo(root).name();
        m_drive1->addItem(name.isEmpty() ? root : root + QStringLiteral(" [") + name + QStringLiteral("]"), root);
    }
    m_drive1->setCurrentIndex(-1);
}

void MatExt::changeDrive() {
    const QString root = m_drive1->currentData().toString();
    if (root.isEmpty())
        return;
    if (!volumeReady(pathOf(root))) {
        m_state.prompter->message(kDeviceNotReady, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        enable({m_dir1, m_lstVOB, m_btnExtract, m_cmdRestore}, false);
        return;
    }
    setFolder(root);
    m_dir1->setEnabled(true);
    m_lstVOB->setEnabled(true);
    m_btnExtract->setEnabled(false);
}

void MatExt::setFolder(const QString& folder, bool remember) {
    m_folder = QDir::cleanPath(folder);
    const QSignalBlocker blocker(m_dir1);
    m_dir1->clear();
    // The folder's parents from the drive's root down, the folder itself, then its subfolders.
    int depth = 0;
    const auto add = [this](const QString& path, const QString& text, int indent) {
        auto* item = new QListWidgetItem(text, m_dir1);
        item->setData(kPathRole, path);
        item->setData(kDepthRole, indent);
        return item;
    };
    for (const auto& path : folderChain(pathOf(m_folder), pathOf(m_drive1->currentData().toString()))) {
        const auto name = depth == 0 ? path : path.filename();
        m_dir1->setCurrentItem(add(native(path), native(name), depth++));
    }
    for (const std::string& sub : listSubfolders(pathOf(m_folder)))
        add(QDir(m_folder).filePath(QString::fromStdString(sub)), QString::fromStdString(sub), depth);
    changeFolder(remember);
}

void MatExt::changeFolder(bool remember) {
    {
        const QSignalBlocker blocker(m_lstVOB);
        m_lstVOB->clear();
        for (const std::string& stream : listStreams(pathOf(m_folder)))
            m_lstVOB->addItem(QString::fromStdString(stream));
    }
    const std::string folderText = fileio::pathToText(pathOf(m_folder));
    if (remember && !folderText.empty())
        ini::SetValue("Config", "LastDVD", folderText, m_state.editorIni());
    m_lstVOB->setEnabled(true);
    m_btnExtract->setEnabled(false);
    clearSaveControls();
}

QString MatExt::selectedStream() const {
    const QListWidgetItem* item = m_lstVOB->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void MatExt::selectStream() {
    const QString stream = selectedStream();
    if (stream.isEmpty())
        return;
    setMessage(kClickExtractMessage);
    const auto& program = m_state.programFolder;
    const auto file = pathOf(stream);
    txtCmdLine = quantDumpCommandLine(quantDumpProgram(program), pathOf(m_folder) / file, outputFileOf(program, file));
    setStatus("");
    if (!m_quantDumpFound) {
        setMessage(kNotFoundMessage);
    } else {
        m_btnExtract->setEnabled(true);
        m_cmdRestore->setEnabled(true);
    }
    clearSaveControls();
}

void MatExt::extract() {
    txtShellMode = kShellModeExtract;
    enable({m_drive1, m_dir1, m_lstVOB, m_btnExtract, m_cmdRestore, m_cmdExit, m_cmdSave}, false);
    setSaveControls(false);
    emptyMatrices();
    Timer1.start();
    setStatus(kInProgressStatus);
    setMessage(kInProgressMessage);

    const auto stream = pathOf(m_folder) / pathOf(selectedStream());
    m_running = true;
    const bool ran = runQuantDump(m_runner, *m_state.prompter, m_state.programFolder, stream, txtShellMode, txtCmdLine);
    m_running = false;

    enable({m_lstVOB, m_btnExtract, m_cmdExit, m_drive1, m_dir1}, true);
    Timer1.stop();
    Timer2.stop();
    m_pb1->setValue(0);
    // Nothing extracted: the status and the message say why, not that the run goes on.
    std::string problem(kNotStartedMessage);
    if (!ran || !readOutput(kNoOutput, &problem)) {
        setStatus(kNoneExtractedStatus);
        setMessage(problem);
        return;
    }
    loadMatrices();
    setStatus(kCompletedStatus);
    if (m_mat1->toPlainText().isEmpty()) {
        setStatus(kNoneExtractedStatus);
        setSaveControls(false);
        emptyMatrices();
        setMessage(kFailedMessage);
    } else {
        setSaveControls(true);
        m_cmdRestore->setEnabled(true);
        setMessage(kSuccessMessage);
    }
}

void MatExt::restore() {
    if (selectedStream().isEmpty()) {
        m_state.prompter->message(kNoStreamSelected, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        return;
    }
    if (!readOutput(kNotScanned))
        return;
    loadMatrices();
    if (m_mat1->toPlainText().isEmpty()) {
        m_state.prompter->message(kNotScanned, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        return;
    }
    setMessage(kSuccessMessage);
    setStatus(kCompletedStatus);
}

bool MatExt::readOutput(std::string_view missingText, std::string* problem) {
    const auto& program = m_state.programFolder;
    const ParsedOutput parsed = ParseQuantDumpOutput(*m_state.prompter, outputFileOf(program, pathOf(selectedStream())),
                                                     program / kTempMatrixFolder, missingText);
    noMatrix = parsed.noMatrix;
    if (!parsed.found()) {
        emptyMatrices();
        if (problem)
            *problem = parsed.problem;
        return false;
    }
    TempMat1 = parsed.TempMat1;
    TempMat2 = parsed.TempMat2;
    return true;
}

void MatExt::loadMatrices() {
    const std::string stream = selectedStream().toStdString();
    const std::tuple<const std::string&, QPlainTextEdit*, QCheckBox*, QLineEdit*, const char*> each[] = {
        {TempMat1, m_mat1, m_check1, m_text2, "_M1"}, {TempMat2, m_mat2, m_check2, m_text3, "_M2"}};
    for (const auto& [raw, display, check, name, suffix] : each) {
        const ExtractedMatrix matrix = LoadExtractedMatrices(raw, stream, suffix);
        display->setPlainText(fromCp1252(matrix.display).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        gridcolours::paintNumbers(display, m_colourScale->isChecked());
        check->setChecked(matrix.usable());
        check->setEnabled(matrix.usable());
        name->setEnabled(matrix.usable());
        if (matrix.usable())
            name->setText(QString::fromStdString(matrix.name));
        if (display == m_mat1)
            m_cmdSave->setEnabled(matrix.usable());
    }
}

void MatExt::emptyMatrices() {
    m_mat1->clear();
    m_mat2->clear();
}

void MatExt::setSaveControls(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{m_check1, m_check2, m_text2, m_text3, m_cmdSave})
        control->setEnabled(enabled);
}

void MatExt::clearSaveControls() {
    emptyMatrices();
    m_check1->setChecked(false);
    m_check2->setChecked(false);
    setSaveControls(false);
}

void MatExt::setMessage(std::string_view text) {
    m_message->setPlainText(fromCp1252(text));
}

void MatExt::setStatus(std::string_view text) {
    m_lblExtraction->setText(fromCp1252(text));
}

std::string MatExt::matrixText(const QPlainTextEdit* display) const {
    return toCp1252(display->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"))).value_or(std::string());
}

void MatExt::save() {
    const auto matrix = [this](QCheckBox* check, QLineEdit* name, QPlainTextEdit* display, std::string_view empty) {
        return MatrixToSave{check->isChecked(), name->text().toStdString(), matrixText(display), empty};
    };
    const SaveTexts texts{caption(m_state.programFolder, m_state.txtLang, "MESSAGES", "MatrixImport"),
                          caption(m_state.programFolder, m_state.txtLang, "MESSAGES", "MatrixImport2")};
    const SaveResult result = saveExtractedMatrices(
        *m_state.prompter, m_state.matrixFolder(), texts,
        {matrix(m_check1, m_text2, m_mat1, kMatrix1Empty), matrix(m_check2, m_text3, m_mat2, kMatrix2Empty)});
    if (result == SaveResult::Saved)
        setMessage(kSavedMessage);
    if (m_state.mainView)
        m_state.mainView->resetView();
}

void MatExt::exitWindow() {
    txtShellMode = kShellModeExit;
    Timer1.stop();
    Timer2.stop();
    if (m_state.mainView)
        m_state.mainView->refreshMatrixList();
    offerTempFilesDeletion(*m_state.prompter, m_state.programFolder,
                           caption(m_state.programFolder, m_state.txtLang, "MESSAGES", "DeletePreviewFiles"));
    if (m_state.mainView)
        m_state.mainView->resetView();
    accept();
}

void MatExt::tick(QTimer& self, QTimer& other, bool whiteOnBlack) {
    const char* bar = whiteOnBlack ? "white" : "black";
    const char* background = whiteOnBlack ? "black" : "white";
    paintBar(m_pb1, bar, background);
    setBackground(m_lblExtraction, QColor(QLatin1String(background)));
    setTextColour(m_lblExtraction, QColor(QLatin1String(bar)));
    // The bar is counted up to its end in one go; the next tick starts it again from 0.
    m_pb1->setValue(0);
    m_pb1->setValue(kBarMax);
    other.start();
    self.stop();
}

void MatExt::closeEvent(QCloseEvent* event) {
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void MatExt::reject() {
    if (!m_running)
        exitWindow();
}

} // namespace quire
