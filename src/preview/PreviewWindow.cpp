// The Preview/Test window: its controls at fixed places, the Open sequence, the user's steps handed to
// the preview core, and the busy and idle states that decide what may be clicked.
#include "preview/PreviewWindow.h"

#include "app/Folders.h"
#include "app/IniManager.h"
#include "extract/MatExtLogic.h"
#include "platform/Text1252.h"
#include "preview/ControlList.h"
#include "preview/Filters.h"
#include "preview/MatrixCodes.h"
#include "preview/PlayerView.h"
#include "preview/PreviewScripts.h"
#include "preview/RunAndWait.h"
#include "preview/SegmentDetails.h"
#include "preview/WorkFolders.h"
#include "ui/BrowseForFolder.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>

namespace quire {

using namespace preview;
namespace fs = std::filesystem;

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kWidth = 11940 / kTwipsPerPixel;
constexpr int kHeight = 9230 / kTwipsPerPixel;

constexpr std::string_view kWindowTitle = "  Quire -  Preview/Test Window";
constexpr std::string_view kPrepareCaption =
    "Press the 'Prepare' button to create the necessary script files.\r\n\r\nAfter pressing the Button, please, "
    "wait a few seconds until you get the next message.";
constexpr std::string_view kEncodeCaption = "Press the 'Encode' button to Encode the selected segment.";
constexpr std::string_view kNoScripts =
    "No '.avs' Files found on Work Folder!\r\nPlease, run PREPARE phase on Tessera before using this feature.";
constexpr std::string_view kNoEcl =
    "The file 'Tessera.ecl' doesn't exist!\r\nPlease run Tessera's Prepare phase before running this feature.";

const char* const kEncoderCaptions[8] = {"Basic", "2.50", "SP", "2.70", "QuEnc", "HC Encoder", "ProCoder", "ReJig"};
const char* const kApplyCaptions[4] = {"Main Feature", "Low Bitrate (<3Mbs)", "Very Low Bitrate (<2Mbs)", "Extras"};
const char* const kApplyKeys[4] = {"MainMatrix", "LowMatrix", "VLowMatrix", "ExtraMatrix"};

void enable(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

QLineEdit* field(QWidget* parent, const char* name, QRect place) {
    auto* edit = placed(new QLineEdit(parent), name, place);
    edit->setReadOnly(true);
    // A text longer than the field shows its start, and the whole of it as the field's tool tip.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
        edit->setCursorPosition(0);
        edit->setToolTip(text);
    });
    return edit;
}

// The names of the folder's files that match the pattern, as a list shows them.
void fillFileList(QListWidget* list, const fs::path& folder, std::string_view pattern) {
    list->clear();
    for (const std::string& name : listMatching(folder, pattern))
        list->addItem(fromCp1252(name));
}

std::string textOf(const QListWidgetItem* item) {
    return item ? toCp1252(item->text()).value_or(std::string()) : std::string();
}

} // namespace

Preview::Preview(SharedState& state, Runner& runner, QWidget* parent)
    : QDialog(parent), m_state(state),
      m_runner(runner), m_context{state.programFolder, {}, {}, *state.prompter, state.log, *this} {
    setObjectName(QStringLiteral("Preview"));
    setWindowTitle(fromCp1252(kWindowTitle));
    buildControls();
    load();
}

void Preview::buildControls() {
    // Left: the segments, the matrices and the host assignment.
    placed(new QLabel(QStringLiteral("Movie's Segments List:"), this), "lblSegments", QRect(8, 5, 138, 20));
    m_chkSegList[0] = placed(new QCheckBox(QStringLiteral("Movie"), this), "chkSegList_0", QRect(146, 5, 62, 20));
    m_chkSegList[1] = placed(new QCheckBox(QStringLiteral("Extras"), this), "chkSegList_1", QRect(208, 5, 64, 20));
    m_lstSegment2 = placed(new QListWidget(this), "lstSegment2", QRect(8, 26, 256, 170));

    auto* matrices =
        placed(new QGroupBox(QStringLiteral(" Custom Matrices List "), this), "frmMatrices", QRect(8, 200, 256, 212));
    m_lstMatrix = placed(new QListWidget(matrices), "lstMatrix", QRect(8, 20, 240, 126));
    m_option3 = placed(new QRadioButton(QStringLiteral("No Matrix"), matrices), "Option3", QRect(8, 150, 240, 20));
    m_option3->setAutoExclusive(false);
    m_txtMatDes = field(matrices, "txtMatDes", QRect(8, 174, 240, 28));

    placed(new QLabel(QStringLiteral("Apply the selected matrix to:"), this), "lblApply", QRect(8, 418, 256, 18));
    m_applyGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        m_optApply[i] = placed(new QRadioButton(QString::fromLatin1(kApplyCaptions[i]), this),
                               qPrintable(QStringLiteral("optApply_%1").arg(i)), QRect(8, 438 + 20 * i, 256, 20));
        m_applyGroup->addButton(m_optApply[i], i);
    }
    m_btnApply =
        placed(new ccXPButton(QStringLiteral("&Update DVD Tessera"), this), "btnApply", QRect(8, 522, 256, 30));

    // Middle: the encoder, the format, the mode, the segment's details and the instructions.
    auto* encoders = placed(new QGroupBox(QStringLiteral(" Encoders "), this), "frmEncoders", QRect(272, 4, 256, 118));
    m_lblCCE = placed(new QLabel(QStringLiteral("Cinema Craft Encoder"), encoders), "lblCCE", QRect(8, 18, 240, 16));
    auto* encoderGroup = new QButtonGroup(this);
    for (int i = 0; i < 8; ++i) {
        const QRect place = i < 4 ? QRect(8 + 60 * i, 36, 60, 20) : QRect(8 + 60 * (i - 4), 64 + 0, 60, 20);
        m_option2[i] = placed(new QRadioButton(QString::fromLatin1(kEncoderCaptions[i]), encoders),
                              qPrintable(QStringLiteral("Option2_%1").arg(i)), place);
        encoderGroup->addButton(m_option2[i], i);
        m_option2[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_option2[4]->setGeometry(8, 64, 66, 20);
    m_option2[5]->setGeometry(74, 64, 98, 20);
    m_option2[6]->setGeometry(172, 64, 80, 20);
    m_option2[7]->setGeometry(8, 88, 80, 20);

    auto* format = placed(new QGroupBox(QStringLiteral(" Video Format "), this), "frmFormat", QRect(272, 124, 256, 44));
    const char* formats[3] = {"16:9", "4:3", "2.21:1"};
    for (int i = 0; i < 3; ++i)
        m_option1[i] = placed(new QRadioButton(QString::fromLatin1(formats[i]), format),
                              qPrintable(QStringLiteral("Option1_%1").arg(i)), QRect(8 + 80 * i, 18, 76, 20));

    m_frmMode = placed(new QGroupBox(QStringLiteral(" Mode "), this), "frmMode", QRect(272, 170, 256, 44));
    m_optMode[0] = placed(new QRadioButton(QStringLiteral("Matrix"), m_frmMode), "optMode_0", QRect(8, 18, 100, 20));
    m_optMode[1] = placed(new QRadioButton(QStringLiteral("Filters"), m_frmMode), "optMode_1", QRect(120, 18, 100, 20));
    m_optMode[0]->setChecked(true);

    auto* info = placed(new QGroupBox(QStringLiteral(" Segment Info "), this), "frmInfo", QRect(272, 216, 256, 204));
    QLineEdit** infoFields[9] = {&m_txtVTS,       &m_txtVob,      &m_txtSegment, &m_txtTotalSize, &m_txtVideoSize,
                                 &m_txtAudioSize, &m_txtDuration, &m_txtVBR,     &m_txtFrameRate};
    const char* infoNames[9] = {"txtVTS",       "txtVob",      "txtSegment", "txtTotalSize", "txtVideoSize",
                                "txtAudioSize", "txtDuration", "txtVBR",     "txtFrameRate"};
    const char* infoLabels[9] = {
        "VTS:",      "Vob:",     "Segment:",   "Total Size:", "Video Size:", "Audio and Subitles Size:",
        "Duration:", "Bitrate:", "Frame Rate:"};
    QFont labelFont = font();
    labelFont.setPointSizeF(labelFont.pointSizeF() - 1);
    for (int i = 0; i < 9; ++i) {
        auto* label = placed(new QLabel(QString::fromLatin1(infoLabels[i]), info),
                             qPrintable(QStringLiteral("lblInfo_%1").arg(i)), QRect(8, 18 + 20 * i, 134, 20));
        label->setFont(labelFont);
        *infoFields[i] = field(info, infoNames[i], QRect(142, 18 + 20 * i, 106, 20));
    }

    auto* instructions =
        placed(new QGroupBox(QStringLiteral(" Instructions "), this), "frmInstructions", QRect(272, 422, 256, 140));
    m_lblAction1 = placed(new QLabel(instructions), "lblAction1", QRect(8, 18, 240, 116));
    m_lblAction1->setWordWrap(true);
    m_lblAction1->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    // Right: the player, the encoded files and the work folder.
    buildPlayer();
    m_cmdPlay = placed(new ccXPButton(QStringLiteral("Pl&ay"), this), "cmdPlay", QRect(536, 184, 124, 26));
    m_cmdPause = placed(new ccXPButton(QStringLiteral("Pa&use"), this), "cmdPause", QRect(664, 184, 124, 26));
    m_cmdContinue = placed(new ccXPButton(QStringLiteral("&Continue"), this), "cmdContinue", QRect(664, 184, 124, 26));
    m_cmdContinue->hide();
    m_progressBar1 = placed(new QProgressBar(this), "ProgressBar1", QRect(536, 214, 252, 12));
    m_progressBar1->setTextVisible(false);
    m_lblAction2 = placed(new QLabel(this), "lblAction2", QRect(536, 230, 252, 86));
    m_lblAction2->setWordWrap(true);
    m_lblAction2->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    auto* encoded = placed(new QGroupBox(QStringLiteral(" Encoded Segments (Double Click to View) "), this),
                           "frmEncoded", QRect(536, 318, 252, 176));
    // The frame's long caption in a point smaller type; its list keeps the window's.
    QFont captionFont = encoded->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() - 1);
    encoded->setFont(captionFont);
    m_lstM2V = placed(new QListWidget(encoded), "lstM2V", QRect(8, 20, 236, 148));
    buildMatrixCheck();
    buildCompare();
    for (QWidget* inside : encoded->findChildren<QWidget*>())
        inside->setFont(font());
    placed(new QLabel(QStringLiteral("Working Path:"), this), "lblWP", QRect(536, 498, 252, 16));
    m_lblWPath = placed(new QLabel(this), "lblWPath", QRect(536, 516, 216, 34));
    m_lblWPath->setWordWrap(true);
    m_cmdBrowse = placed(new ccXPButton(QStringLiteral("..."), this), "cmdBrowse", QRect(756, 520, 32, 26));

    // Bottom: the steps.
    const std::pair<ccXPButton**, std::pair<const char*, const char*>> buttons[6] = {
        {&m_btnPrepare, {"btnPrepare", "&Prepare"}}, {&m_btnEncode, {"btnEncode", "&Encode"}},
        {&m_cmdReset, {"cmdReset", "&Reset All"}},   {&m_cmdClear, {"cmdClear", "C&lear"}},
        {&m_btnWorks, {"btnWorks", "CCE &Works"}},   {&m_cmdExit, {"cmdExit", "E&xit"}}};
    for (int i = 0; i < 6; ++i)
        *buttons[i].first = placed(new ccXPButton(QString::fromLatin1(buttons[i].second.second), this),
                                   buttons[i].second.first, QRect(8 + 130 * i, kHeight - 44, 124, 34));

    buildFilterPanels();
    setFixedSize(kWidth, kHeight);

    connect(m_lstSegment2, &QListWidget::itemClicked, this, &Preview::chooseSegment);
    connect(m_lstMatrix, &QListWidget::itemClicked, this, &Preview::chooseMatrix);
    connect(m_option3, &QRadioButton::clicked, this, [this](bool checked) {
        if (checked)
            chooseNoMatrix();
    });
    connect(m_cmdClear, &ccXPButton::clicked, this, &Preview::clearChoice);
    connect(m_btnPrepare, &ccXPButton::clicked, this, &Preview::prepareFiles);
    connect(m_btnEncode, &ccXPButton::clicked, this, &Preview::encode);
    connect(m_cmdPlay, &ccXPButton::clicked, this, &Preview::playPreview);
    connect(m_cmdPause, &ccXPButton::clicked, this, &Preview::pausePlayer);
    connect(m_cmdContinue, &ccXPButton::clicked, this, &Preview::continuePlayer);
    connect(m_lstM2V, &QListWidget::itemDoubleClicked, this, &Preview::viewEncoded);
    connect(m_cmdReset, &ccXPButton::clicked, this, &Preview::resetAll);
    connect(m_cmdBrowse, &ccXPButton::clicked, this, &Preview::browseWorkFolder);
    for (QRadioButton* mode : m_optMode)
        connect(mode, &QRadioButton::clicked, this, &Preview::switchMode);
    for (QCheckBox* box : m_chkSegList)
        connect(box, &QCheckBox::clicked, this, &Preview::changeSegmentFilter);
    for (QRadioButton* option : m_option1)
        connect(option, &QRadioButton::clicked, this, &Preview::changeVideoFormat);
    connect(m_applyGroup, &QButtonGroup::idClicked, this, [this] { m_btnApply->setEnabled(true); });
    connect(m_btnApply, &ccXPButton::clicked, this, &Preview::applyToHost);
    connect(m_btnWorks, &ccXPButton::clicked, this, [this] { fields.CCEWorks = "1"; });
    connect(m_cmdExit, &ccXPButton::clicked, this, &Preview::exitWindow);
}

void Preview::applyColours() {
    const QColor back = colourOf(m_state.txtBackColor);
    const QColor fore = colourOf(m_state.txtTextColor);
    applyWindowColours(this, back, fore);
    for (ccXPButton* button : findChildren<ccXPButton*>())
        button->setForeColor(QString::fromStdString(m_state.txtButtonsColor));
    if (!m_state.txtBackColor.empty())
        fields.backColor = m_state.txtBackColor;
}

fs::path Preview::previewFolder() const {
    return m_state.programFolder / kPreviewFolder;
}

void Preview::load() {
    const BugTrack& log = m_state.log;
    const fs::path editorIni = m_state.editorIni();
    log.separator();
    log.BugLog("PREVIEW: Form Dimensioning - Success!");
    applyColours();
    log.BugLog("PREVIEW: Colors read with success");
    fields.txtPlayer = ini::GetValue("Config", "Player", editorIni);
    fields.txtLang = m_state.txtLang.empty() ? fields.txtLang : m_state.txtLang;
    log.BugLog("Player Defined");
    txtTesserapath = extract::readStartFolders(editorIni).txtTesserapath;
    log.BugLog("PREVIEW: Tessera Folder read");
    if (txtTesserapath.empty()) {
        log.BugLog("WARNING: Tessera Folder NOT VALID!!!");
        m_loaded = false;
        m_state.prompter->message(caption(m_state.programFolder, m_state.txtLang, "Messages", "NoTessera"), kAppTitle,
                                  PromptButtons::Ok, PromptIcon::None);
        log.BugLog("PREVIEW: Setup Launched");
        return;
    }
    if (fields.txtPlayer.empty()) {
        m_lstM2V->setEnabled(false);
        log.BugLog("WARNING: No Player defined!!!");
    }
    CreateFolderPath(*m_state.prompter, previewFolder());
    log.BugLog("PREVIEW: 'Preview' folder created");
    m_context.tesseraFolder = fileio::textToPath(txtTesserapath);
    m_context.workFolder = projectFolder(m_context.tesseraFolder);
    txtWorkFolder = fileio::pathToText(m_context.workFolder) + "/";
    m_lblWPath->setText(fromCp1252(txtWorkFolder));
    log.BugLog("PREVIEW: Tessera's Work Folder read and defined as " + txtWorkFolder);

    // Opened: only Reset and the folder choice wait for the user.
    enable({m_btnPrepare, m_btnEncode, m_cmdClear, m_btnApply, m_cmdExit, m_cmdPlay, m_cmdPause}, false);
    m_lstMatrix->setEnabled(false);
    m_optMode[1]->setEnabled(false);
    setApplyOptions(false);
    {
        const QSignalBlocker movie(m_chkSegList[0]), extras(m_chkSegList[1]);
        m_chkSegList[0]->setChecked(fields.movie);
        m_chkSegList[1]->setChecked(fields.extras);
    }
    if (!loadProject())
        return;
    enable({m_cmdPlay, m_cmdPause}, false);
}

bool Preview::loadProject() {
    const BugTrack& log = m_state.log;
    if (listMatching(m_context.workFolder, "*.avs").empty()) {
        noScriptsFound();
        return false;
    }
    RefreshSegmentList(m_context, fields);
    fields.matrixFolder = m_state.matrixFolder();
    if (const std::string folder = ini::GetValue("Config", "MatrixFolder", m_state.editorIni()); !folder.empty())
        fields.matrixFolder = fileio::textToPath(folder);
    refreshMatrixList();
    log.BugLog("PREVIEW: Matrices path read OK");
    refreshEncodedFiles();
    log.BugLog("PREVIEW: M2V Folder definition OK");
    if (!LoadPreview(m_context, fields))
        return false;
    log.BugLog("PREVIEW: All DATA collected with success.");
    resetProgressBar();
    log.BugLog("PREVIEW: Progress bar values reset");
    return true;
}

void Preview::noScriptsFound() {
    m_state.prompter->message(kNoScripts, kAppTitle, PromptButtons::Ok, PromptIcon::None);
    m_state.log.BugLog("WARNING: No '.avs' Files found on Work Folder!");
}

void Preview::resetProgressBar() {
    m_progressBar1->setRange(0, std::max(1, std::atoi(fields.project.txtNumKeys.c_str())));
    m_progressBar1->setValue(0);
    m_progressBar1->setStyleSheet(QStringLiteral("QProgressBar { background: black; border: 1px solid gray; }"
                                                 " QProgressBar::chunk { background: white; }"));
}

// --- The view the core routines talk to.

void Preview::disableEncoderIndicators() {
    for (QRadioButton* option : m_option2) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
        option->setEnabled(false);
    }
    m_lblCCE->setEnabled(false);
}

void Preview::selectEncoder(EncoderKind kind) {
    QRadioButton* option = m_option2[static_cast<int>(kind)];
    option->setEnabled(true);
    option->setChecked(true);
    fields.encoder = kind;
}

void Preview::enableCceGroupLabel() {
    m_lblCCE->setEnabled(true);
}

void Preview::setActionCaptions(std::string_view text) {
    const QString shown = fromCp1252(text);
    m_lblAction1->setText(shown);
    m_lblAction2->setText(shown);
}

void Preview::playIdleScript() {
    WriteEditorScript(m_context, fields);
}

void Preview::disableApplyOptions() {
    setApplyOptions(false);
    m_btnApply->setEnabled(false);
}

void Preview::closeWindow() {
    m_loaded = false;
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void Preview::setFilterBoxes(bool movie, bool extras) {
    m_chkSegList[0]->setChecked(movie);
    m_chkSegList[1]->setChecked(extras);
}

void Preview::showSegmentList(const std::vector<std::string>& lines) {
    m_lstSegment2->clear();
    for (const std::string& line : lines)
        m_lstSegment2->addItem(fromCp1252(line));
}

void Preview::showAspect(AspectChoice choice) {
    const int chosen = choice == AspectChoice::Wide ? 0 : 1;
    m_option1[chosen]->setEnabled(true);
    m_option1[chosen]->setChecked(true);
    m_option1[1 - chosen]->setEnabled(false);
    fields.videoFormat = chosen;
}

void Preview::setPlayerFile(const fs::path& file) {
    m_mediaPlayer1->setFile(file);
}

void Preview::play() {
    m_mediaPlayer1->play();
}

void Preview::enablePlayPause() {
    enable({m_cmdPlay, m_cmdPause}, true);
}

void Preview::advanceProgress() {
    m_progressBar1->setValue(std::min(m_progressBar1->maximum(), m_progressBar1->value() + 1));
}

void Preview::refreshEncodedFiles() {
    fillFileList(m_lstM2V, previewFolder(), "*.m2v");
    showMatrixChecks();
    updateABButton();
}

void Preview::disableEncodedFiles() {
    m_lstM2V->setEnabled(false);
}

// --- The user's steps.

void Preview::stopPlayer() {
    m_mediaPlayer1->stop();
}

void Preview::refreshMatrixList() {
    fillFileList(m_lstMatrix, fields.matrixFolder, "*.mtx");
}

void Preview::setApplyOptions(bool enabled, bool deselect) {
    if (deselect) {
        m_applyGroup->setExclusive(false);
        for (QRadioButton* option : m_optApply)
            option->setChecked(false);
        m_applyGroup->setExclusive(true);
    }
    for (QRadioButton* option : m_optApply)
        option->setEnabled(enabled);
}

void Preview::showSegmentDetails() {
    const HostProject& p = fields.project;
    const std::pair<QLineEdit*, const std::string*> shown[9] = {{m_txtVTS, &p.txtVTS},
                                                                {m_txtVob, &p.txtVob},
                                                                {m_txtSegment, &p.txtSegment},
                                                                {m_txtTotalSize, &p.txtTotalSize},
                                                                {m_txtVideoSize, &p.txtVideoSize},
                                                                {m_txtAudioSize, &p.txtAudioSize},
                                                                {m_txtDuration, &p.txtDuration},
                                                                {m_txtVBR, &p.txtVBR},
                                                                {m_txtFrameRate, &p.txtFrameRate}};
    for (const auto& [edit, value] : shown)
        edit->setText(fromCp1252(*value));
}

void Preview::chooseSegment(QListWidgetItem* item) {
    const std::string name = textOf(item);
    if (name.size() < 4 || text::toLower(name.substr(name.size() - 4)) != ".avs")
        return; // a notice line of the list, no segment
    fields.txtTempMat.clear();
    fields.segment = name;
    if (m_tblCompare)
        fillCompareTable(); // the comparison shows the selected segment's files
    ShowSegmentDetails(m_context, fields, name);
    showSegmentDetails();
    WritePreviewScript(m_context, fields);
    WriteEncodeScript(m_context, fields);
    enable({m_btnPrepare, m_btnEncode}, false);
    refreshMatrixList();
    if (!isEncoder(EncoderKind::ProCoder)) {
        m_lstMatrix->setEnabled(true);
    } else {
        m_option3->setChecked(true);
        fields.noMatrix = true;
    }
    m_txtMatDes->clear();
    m_cmdContinue->hide();
    m_cmdPause->show();
    if (m_option3->isChecked())
        m_btnPrepare->setEnabled(true);
    if (isEncoder(EncoderKind::QuEnc)) {
        m_btnPrepare->setEnabled(false);
        m_btnEncode->setEnabled(true);
    }
    if (fields.project.ILVU == "1")
        m_lstMatrix->setEnabled(false);
    if (fields.project.ActionInf == "1" || fields.project.ActionInf == "2")
        enable({m_btnPrepare, m_btnEncode}, false);
    disableApplyOptions();
    m_optMode[1]->setEnabled(true);
    Prepare = "0";
    if (m_optMode[1]->isChecked() && fields.filters.applyAvsEnabled)
        m_btnEncode->setEnabled(false);
}

void Preview::chooseMatrix(QListWidgetItem* item) {
    const std::string file = textOf(item);
    if (file.empty())
        return;
    const fs::path index = fields.matrixFolder / "Matrix_Info.ini";
    Text1 = ini::GetValue(file, "Info1", index);
    Text2 = ini::GetValue(file, "Info2", index);
    fields.matrixFile = file;
    fields.matrixName = file.substr(0, file.size() >= 4 ? file.size() - 4 : 0);
    m_option3->setChecked(false);
    fields.noMatrix = false;
    m_txtMatDes->setText(fromCp1252(Text1 + " " + Text2));
    enable({m_cmdClear, m_btnPrepare}, true);
    m_btnEncode->setEnabled(false);
    m_progressBar1->setValue(0);
    if (file == fields.txtTempMat)
        m_btnEncode->setEnabled(true);
    setActionCaptions(kPrepareCaption);
    if (isEncoder(EncoderKind::QuEnc)) {
        writeTempCqm(*m_state.prompter, m_state.programFolder, fields.matrixFolder, file);
        m_btnPrepare->setEnabled(false);
        m_btnEncode->setEnabled(true);
        setActionCaptions(kEncodeCaption);
    }
    if (fields.project.ActionInf == "1" || fields.project.ActionInf == "2")
        enable({m_btnPrepare, m_btnEncode}, false);
    setApplyOptions(true);
}

void Preview::chooseNoMatrix() {
    refreshMatrixList();
    fields.matrixFile.clear();
    fields.noMatrix = true;
    m_txtMatDes->clear();
    m_cmdClear->setEnabled(false);
    m_btnPrepare->setEnabled(true);
    m_btnEncode->setEnabled(false);
    if (isEncoder(EncoderKind::QuEnc)) {
        m_btnPrepare->setEnabled(false);
        m_btnEncode->setEnabled(true);
    }
    fields.matrixName = "No_Matrix";
    disableApplyOptions();
}

void Preview::clearChoice() {
    refreshMatrixList();
    fields.matrixName = "No_Matrix";
    fields.FilterName = "No_Filter";
    if (!m_option3->isChecked())
        m_cmdClear->setEnabled(false);
    enable({m_btnPrepare, m_btnEncode}, false);
    setApplyOptions(false, true);
    m_btnApply->setEnabled(false);
}

void Preview::enterBusyState() {
    m_progressBar1->setValue(0);
    m_cmdPause->show();
    m_cmdContinue->hide();
    enable({m_cmdPlay, m_btnPrepare, m_btnEncode, m_cmdExit, m_cmdPause, m_lstSegment2, m_lstMatrix, m_lstM2V,
            m_cmdReset, m_cmdClear, m_frmMode},
           false);
    enableFilterPanels(false);
}

void Preview::enterIdleState() {
    enable({m_btnEncode, m_cmdPlay, m_cmdExit, m_lstSegment2, m_lstM2V, m_cmdReset, m_cmdClear, m_frmMode}, true);
    m_cmdPause->setEnabled(false);
    m_btnPrepare->setEnabled(!isEncoder(EncoderKind::QuEnc));
    m_lstMatrix->setEnabled(!isEncoder(EncoderKind::ProCoder));
    enableFilterPanels(true);
}

void Preview::prepareFiles() {
    enterBusyState();
    fields.txtTempMat = textOf(m_lstMatrix->currentItem());
    stopPlayer();
    if (!CopySegmentSection(m_context, fields) || !CopyFileSection(m_context, fields)) {
        m_state.prompter->message(kNoEcl, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        enterIdleState();
        reject();
        return;
    }
    setActionCaptions(kFilesReadyCaption);
    enterIdleState();
    if (fields.txtPlayer.empty())
        m_lstM2V->setEnabled(false);
    Prepare = "1";
    if (m_optMode[1]->isChecked() && fields.filters.Filters == "0")
        m_btnEncode->setEnabled(false);
    m_btnPrepare->setEnabled(false);
}

void Preview::encode() {
    const bool procoder = isEncoder(EncoderKind::ProCoder);
    fields.txtShellMode = isEncoder(EncoderKind::QuEnc) || isEncoder(EncoderKind::Hc) || procoder ? "1" : "2";
    const fs::path procoderIni = fileio::textToPath(fields.project.ProcoderPath);
    if (procoder)
        ini::SetValue("Options", "Minimize", "0", procoderIni);
    m_btnPrepare->setEnabled(false);
    enterBusyState();
    stopPlayer();
    if (isEncoder(EncoderKind::QuEnc))
        EncodeWithQuEnc(m_context, fields, m_runner);
    else
        EncodeWithControlList(m_context, fields, m_runner);
    checkEncodedFile();
    enterIdleState();
    measureEncodedFile();
    if (fields.txtPlayer.empty())
        m_lstM2V->setEnabled(false);
    fields.txtShellMode = "5";
    if (procoder)
        ini::SetValue("Options", "Minimize", "1", procoderIni);
}

void Preview::playPreview() {
    m_cmdContinue->hide();
    m_cmdPause->show();
    m_cmdPause->setEnabled(true);
    setPlayerFile(previewFolder() / "preview.avs");
    play();
}

void Preview::pausePlayer() {
    m_mediaPlayer1->pause();
    m_cmdContinue->show();
    m_cmdPause->hide();
}

void Preview::continuePlayer() {
    m_mediaPlayer1->resume();
    m_cmdContinue->hide();
    m_cmdPause->show();
}

void Preview::viewEncoded(QListWidgetItem* item) {
    if (!item || !m_lstM2V->isEnabled())
        return;
    stopPlayer();
    fields.txtShellMode = "1";
    txtPlaySegment = "\"" + fileio::pathToText(m_state.programFolder) + "/preview/" + textOf(item) + "\"";
    const std::string& q = fields.project.txtAspas;
    RunAndWait(m_runner, q + fields.txtPlayer + q + " " + txtPlaySegment, {}, fields.txtShellMode);
}

void Preview::resetAll() {
    RefreshSegmentList(m_context, fields);
    refreshMatrixList();
    m_lstMatrix->setEnabled(false);
    m_txtMatDes->clear();
    enable({m_btnPrepare, m_btnEncode}, false);
    WriteEditorScript(m_context, fields);
    setActionCaptions(kSelectSegmentCaption);
    disableApplyOptions();
    m_optMode[0]->setChecked(true);
    placeFilterPanels(false);
    m_optMode[1]->setEnabled(false);
    Prepare = "0";
    fields.movie = fields.extras = true;
    setFilterBoxes(true, true);
    // Ticking the boxes applies them to the list, as a click on them does.
    RefreshSegmentList(m_context, fields);
}

void Preview::browseWorkFolder() {
    stopPlayer();
    enable({m_btnEncode, m_btnPrepare}, false);
    const std::string chosen = BrowseForFolder(*m_state.prompter, "Select the your Work Folder");
    std::string folder = fileio::pathToText(m_context.workFolder) + "/";
    if (!chosen.empty())
        folder = chosen == "/" ? chosen : chosen + "/";
    if (folder == "/" || chosen.empty())
        folder = chosen.empty() ? folder : txtWorkFolder;
    m_lblWPath->setText(fromCp1252(folder));
    m_context.workFolder = fileio::textToPath(folder);
    LoadPreview(m_context, fields);
    RefreshSegmentList(m_context, fields);
    refreshMatrixList();
    refreshEncodedFiles();
    resetProgressBar();
}

void Preview::switchMode() {
    switchFilterPanels();
    if (m_optMode[0]->isChecked() && !fields.segment.empty()) {
        m_btnEncode->setEnabled(true);
        WriteEncodeScript(m_context, fields);
    }
    if (Prepare == "0")
        m_btnEncode->setEnabled(false);
}

void Preview::changeSegmentFilter() {
    fields.movie = m_chkSegList[0]->isChecked();
    fields.extras = m_chkSegList[1]->isChecked();
    RefreshSegmentList(m_context, fields);
}

void Preview::changeVideoFormat() {
    for (int i = 0; i < 3; ++i)
        if (m_option1[i]->isChecked())
            fields.videoFormat = i;
    if (!fields.segment.empty())
        WritePreviewScript(m_context, fields);
}

void Preview::applyToHost() {
    const std::string file = textOf(m_lstMatrix->currentItem());
    const std::string name = file.substr(0, file.size() >= 4 ? file.size() - 4 : 0);
    for (int i = 0; i < 4; ++i)
        if (m_optApply[i]->isChecked())
            ini::SetValue("options", kApplyKeys[i], name, m_context.tesseraIni());
}

void Preview::exitWindow() {
    stopPlayer();
    m_measure.reset(); // a measure still going is cancelled before its folder may go
    if (m_lstM2V->count() > 0 || !fields.segment.empty()) {
        const std::string question = caption(m_state.programFolder, m_state.txtLang, "MESSAGES", "DeletePreviewFiles");
        if (m_state.prompter->message(question, kAppTitle, PromptButtons::OkCancel, PromptIcon::Question) ==
            PromptAnswer::Ok)
            DeleteWorkFolders(*m_state.prompter, m_state.programFolder, previewFolder());
    }
    accept();
}

} // namespace quire
