// The main window: builds its controls, runs the start-up through the core, shows the library.
#include "Main.h"

#include "app/IniManager.h"
#include "extract/MatExt.h"
#include "matrix/Library.h"
#include "matrix/MatrixCompare.h"
#include "matrix/MatrixEdit.h"
#include "matrix/MatrixExport.h"
#include "matrix/MatrixImport.h"
#include "matrix/MatrixWindow.h"
#include "platform/QtRunner.h"
#include "preview/PreviewWindow.h"
#include "ui/About.h"
#include "ui/GridColours.h"
#include "ui/Languages.h"
#include "ui/Localisation.h"
#include "ui/Setup.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace quire {
namespace {

constexpr int kCellWidth = 26;
constexpr int kCellHeight = 18;
constexpr int kGridLeft = 276;
constexpr int kGridTop = 70;
constexpr int kBlockGap = 12;
constexpr int kGridWidth = 16 * kCellWidth + kBlockGap;
constexpr int kButtonsTop = 228;
constexpr int kButtonHeight = 26;
constexpr int kButtonPitch = 32;
constexpr int kButtonGap = 4;

constexpr int kListHeight = 214;

// Draws the entries as the style does, and around the current entry of the focused list a dotted
// focus rectangle, so that the list shows where the keyboard is.
class FocusFrameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!(option.state & QStyle::State_HasFocus))
            return;
        const bool selected = option.state & QStyle::State_Selected;
        QPen dotted(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 0);
        dotted.setDashPattern({1, 1});
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(dotted);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
};

// Makes the list as tall as whole rows allow within the given height, with the horizontal scroll
// bar always in place, so that no row is ever half hidden under the scroll bar.
void fitWholeRows(QListWidget* list, int height) {
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->addItem(QStringLiteral("M"));
    const int row = std::max(1, list->sizeHintForRow(0));
    list->clear();
    const int chrome = 2 * list->frameWidth() + list->horizontalScrollBar()->sizeHint().height();
    list->setFixedHeight(chrome + (height - chrome) / row * row);
}

template <class Dialog>
Dialog* openModal(Dialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

QString translatorCredit(const std::string& language) {
    if (language == "Portugues.lng")
        return QStringLiteral("Tradução: equipa do Quire");
    if (language == "Francais.lng")
        return QStringLiteral("Traduction : l'équipe de Quire");
    if (language == "Deutch.lng")
        return QStringLiteral("Übersetzung: das Quire-Team");
    if (language == "Italiano.lng")
        return QStringLiteral("Traduzione: il team di Quire");
    if (language == "English.lng")
        return QStringLiteral("English texts: the Quire team");
    return {};
}

} // namespace

QFont programFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    return font;
}

Main::Main(const std::filesystem::path& programFolder, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_state(programFolder, prompter), m_startup(m_state, *this) {
    m_state.mainView = this;
    setObjectName("Main");
    setWindowTitle(QStringLiteral("  Q.U.I.R.E. %1.%2.0.%3")
                       .arg(QUIRE_VERSION_MAJOR)
                       .arg(QUIRE_VERSION_MINOR)
                       .arg(QUIRE_VERSION_REVISION));
    // 10810 x 6660 twips at 15 twips to the pixel.
    setFixedSize(10810 / 15, 6660 / 15);
    buildControls();
}

Main::~Main() {
    m_state.mainView = nullptr;
}

ccXPButton* Main::addButton(const char* name, const char* designCaption) {
    auto* button = new ccXPButton(QString::fromUtf8(designCaption), this);
    button->setObjectName(name);
    m_buttons.push_back(button);
    return button;
}

void Main::layOutRow(std::initializer_list<ccXPButton*> row, int y) {
    const int count = static_cast<int>(row.size());
    const int width = (kGridWidth - (count - 1) * kButtonGap) / count;
    int x = kGridLeft;
    for (ccXPButton* button : row) {
        button->setGeometry(x, y, width, kButtonHeight);
        x += width + kButtonGap;
    }
}

void Main::buildControls() {
    // Decorative stripes: a band at the top and bottom, thin rules beside the title.
    const int stripes[9][4] = {{0, 0, 720, 6},    {0, 438, 720, 6},  {0, 52, 720, 2},
                               {0, 392, 720, 2},  {262, 60, 2, 322}, {10, 44, 250, 1},
                               {276, 44, 434, 1}, {0, 8, 4, 40},     {716, 8, 4, 40}};
    for (const auto& s : stripes) {
        auto* band = new QFrame(this);
        band->setGeometry(s[0], s[1], s[2], s[3]);
        m_stripes.push_back(band);
    }
    m_stripes[4]->setObjectName("shpTextStripe");

    QFont titleFont = font();
    titleFont.setPointSize(16);
    titleFont.setBold(true);
    m_lblTitle2 = new QLabel(this);
    m_lblTitle2->setObjectName("lblTitle2");
    m_lblTitle2->setGeometry(12, 12, 700, 32);
    m_lblTitle2->setFont(titleFont);
    m_lblTitle1 = new QLabel(this);
    m_lblTitle1->setObjectName("lblTitle1");
    m_lblTitle1->setGeometry(10, 10, 700, 32);
    m_lblTitle1->setFont(titleFont);

    m_lblMatrices = new QLabel(this);
    m_lblMatrices->setObjectName("lblMatrices");
    m_lblMatrices->setGeometry(10, 56, 250, 16);
    m_lstMatrix = new QListWidget(this);
    m_lstMatrix->setObjectName("lstMatrix");
    m_lstMatrix->setGeometry(10, 74, 250, kListHeight);
    m_lstMatrix->setItemDelegate(new FocusFrameDelegate(m_lstMatrix));
    fitWholeRows(m_lstMatrix, kListHeight);
    // Every change of the selected entry runs Select, whether the mouse, an arrow key, Home, End or
    // type-ahead made it; a click on the shown entry reads it again.
    connect(m_lstMatrix, &QListWidget::itemSelectionChanged, this, [this] {
        const auto selected = m_lstMatrix->selectedItems();
        if (!selected.isEmpty())
            selectMatrix(selected.first());
    });
    connect(m_lstMatrix, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item->isSelected())
            selectMatrix(item);
    });
    connect(m_lstMatrix, &QListWidget::itemDoubleClicked, this, [this] { openMatrixEdit(); });

    m_lblMatDescription = new QLabel(this);
    m_lblMatDescription->setObjectName("lblMatDescription");
    m_lblMatDescription->setGeometry(10, 294, 250, 16);
    m_txtMatrix = new QPlainTextEdit(this);
    m_txtMatrix->setObjectName("txtMatrix");
    m_txtMatrix->setReadOnly(true);
    m_txtMatrix->setGeometry(10, 312, 250, 74);

    m_lblMatValues = new QLabel(this);
    m_lblMatValues->setObjectName("lblMatValues");
    m_lblMatValues->setGeometry(kGridLeft, 56, 430, 14);
    QFont cellFont = font();
    cellFont.setPointSize(8);
    for (std::size_t i = 0; i < kMatrixCells; ++i) {
        const int block = static_cast<int>(i / 64);
        const int row = static_cast<int>(i % 64) / 8;
        const int col = static_cast<int>(i % 8);
        auto* cell = new QLineEdit(this);
        cell->setObjectName(QStringLiteral("TD_%1").arg(i));
        cell->setReadOnly(true);
        cell->setAlignment(Qt::AlignCenter);
        cell->setFont(cellFont);
        cell->setFocusPolicy(Qt::NoFocus);
        cell->setGeometry(kGridLeft + block * (8 * kCellWidth + kBlockGap) + col * kCellWidth,
                          kGridTop + row * kCellHeight, kCellWidth, kCellHeight);
        m_td[i] = cell;
    }

    // The buttons, with their built-in captions until the language file's are applied, in three rows
    // across the grid's width, each wide enough for the longest caption of the built-in languages.
    auto* cmdNew = addButton("cmdNew", "&New");
    m_cmdEdit = addButton("cmdEdit", "&Edit");
    m_cmdDelete = addButton("cmdDelete", "&Delete");
    auto* cmdImport = addButton("cmdImport", "&Import");
    auto* cmdExtract = addButton("cmdExtract", "Ex&tract");
    m_cmdPreview = addButton("cmdPreview", "&Preview/Test");
    auto* cmdSetup = addButton("cmdSetup", "&Setup");
    auto* cmdLanguages = addButton("cmdLanguages", "&Languages");
    auto* cmdAbout = addButton("cmdAbout", "&About");
    auto* cmdExit = addButton("cmdExit", "E&xit");
    layOutRow({cmdNew, m_cmdEdit, m_cmdDelete, cmdImport}, kButtonsTop);
    layOutRow({cmdExtract, m_cmdPreview, cmdSetup}, kButtonsTop + kButtonPitch);
    layOutRow({cmdLanguages, cmdAbout, cmdExit}, kButtonsTop + 2 * kButtonPitch);
    connect(cmdNew, &QAbstractButton::clicked, this, &Main::openMatrixNew);
    connect(m_cmdEdit, &QAbstractButton::clicked, this, &Main::openMatrixEdit);
    connect(m_cmdDelete, &QAbstractButton::clicked, this, &Main::deleteSelected);
    connect(cmdImport, &QAbstractButton::clicked, this, &Main::openMatrixImport);
    connect(cmdExtract, &QAbstractButton::clicked, this, &Main::openExtraction);
    connect(m_cmdPreview, &QAbstractButton::clicked, this, &Main::openPreview);
    connect(cmdSetup, &QAbstractButton::clicked, this, &Main::openSetup);
    connect(cmdLanguages, &QAbstractButton::clicked, this, &Main::openLanguages);
    connect(cmdAbout, &QAbstractButton::clicked, this, &Main::openAbout);
    connect(cmdExit, &QAbstractButton::clicked, this, &Main::exitProgram);
    m_cmdEdit->setEnabled(false);
    m_cmdDelete->setEnabled(false);

    // The host program's web links; Quire has no site of its own, so they open the read-me.
    const char* linkNames[2] = {"lblLink1", "lblLink2"};
    const QString linkTexts[2] = {tr("Tessera's home page"), tr("Tessera's forum")};
    for (int i = 0; i < 2; ++i) {
        auto* link = new QLabel(this);
        link->setObjectName(linkNames[i]);
        link->setGeometry(kGridLeft + i * 150, 332, 140, 16);
        link->setProperty("caption", linkTexts[i]);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        connect(link, &QLabel::linkActivated, this, [](const QString& url) { OpenWebPage(url); });
        m_links.push_back(link);
    }
    m_lblTranslator = new QLabel(this);
    m_lblTranslator->setObjectName("lblTranslator");
    m_lblTranslator->setGeometry(kGridLeft, 360, kGridWidth, 16);
    buildMatrixMenu();
    ClearMatrixGrid();
}

void Main::buildMatrixMenu() {
    m_colourScale = gridcolours::makeSwitch(this, m_state.editorIni(), [this](bool) { showGrid(); });
    for (auto* cell : m_td)
        gridcolours::offerSwitch(cell, m_colourScale);
    const auto entry = [this](const char* name, const char* caption, void (Main::*run)()) {
        auto* action = new QAction(QString::fromLatin1(caption), this);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    m_actCompare = entry("actCompare", "Compare with...", &Main::openCompare);
    m_actCopyFfmpeg = entry("actCopyFfmpeg", "Copy as FFmpeg options", &Main::copyFfmpegOptions);
    m_actExportCqm = entry("actExportCqm", "Export as .cqm...", &Main::exportCqm);
    m_lstMatrix->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_lstMatrix, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        menu.addActions({m_actCompare, m_actCopyFfmpeg, m_actExportCqm});
        menu.addSeparator();
        menu.addAction(m_colourScale);
        menu.exec(m_lstMatrix->viewport()->mapToGlobal(at));
    });
}

void Main::start() {
    if (m_startup.begin() && m_setup) {
        connect(m_setup, &QDialog::finished, this, [this] {
            m_startup.finish();
            emit started();
        });
        m_setup->open();
        return;
    }
    m_startup.finish();
    emit started();
}

std::string Main::text(std::string_view section, std::string_view key) const {
    return caption(m_state.programFolder, m_state.txtLang, section, key);
}

QString Main::selectedMatrix() const {
    return m_shownMatrix;
}

void Main::ClearMatrixGrid() {
    m_cells = emptyGrid();
    showGrid();
}

void Main::showGrid() {
    const bool scaled = m_colourScale && m_colourScale->isChecked();
    const QColor back = QApplication::palette().color(QPalette::Base);
    const QColor text = QApplication::palette().color(QPalette::Text);
    for (std::size_t i = 0; i < kMatrixCells; ++i) {
        m_td[i]->setText(fromCp1252(m_cells[i]));
        gridcolours::paintValue(m_td[i], m_td[i]->text(), scaled, back, text);
    }
}

void Main::refreshMatrixList() {
    m_lstMatrix->clear();
    for (const auto& name : library::listMatrixFiles(m_state.matrixFolder()))
        m_lstMatrix->addItem(QString::fromStdString(name));
    m_lstMatrix->setCurrentItem(nullptr);
}

void Main::resetViewKeepGrid() {
    refreshMatrixList();
    m_shownMatrix.clear();
    m_txtMatrix->clear();
    m_cmdEdit->setEnabled(false);
    m_cmdDelete->setEnabled(false);
    for (auto* action : {m_actCompare, m_actCopyFfmpeg, m_actExportCqm})
        action->setEnabled(false);
}

void Main::resetView() {
    ClearMatrixGrid();
    resetViewKeepGrid();
}

void Main::applyMainColours() {
    const auto ini = m_state.editorIni();
    m_state.txtBackColor = ini::GetValue("Colors", "BackColor", ini);
    m_state.txtTextColor = ini::GetValue("Colors", "TextColor", ini);
    m_state.txtButtonsColor = ini::GetValue("Colors", "ButtonsColor", ini);
    m_state.txtStripesColor = ini::GetValue("Colors", "StripesColor", ini);
    const QColor back = colourOf(m_state.txtBackColor);
    const QColor textColour = colourOf(m_state.txtTextColor);
    const QColor stripes = colourOf(m_state.txtStripesColor);
    setBackground(this, back);
    for (auto* band : m_stripes)
        setBackground(band, band->objectName() == "shpTextStripe" ? textColour : stripes);
    for (auto* label : {m_lblMatrices, m_lblMatDescription, m_lblMatValues, m_lblTranslator, m_lblTitle1})
        setTextColour(label, textColour);
    setTextColour(m_lblTitle2, stripes);
    for (auto* link : m_links)
        link->setText(linkHtml(readmeUrl(m_state), link->property("caption").toString(), textColour));
    for (auto* button : m_buttons)
        button->setForeColor(QString::fromStdString(m_state.txtButtonsColor));
}

void Main::applyMainCaptions() {
    m_state.txtLang = ini::GetValue("Config", "Language", m_state.editorIni());
    const QString title = fromCp1252(text("MAIN", "lblTitle"));
    m_lblTitle1->setText(title);
    m_lblTitle2->setText(title);
    m_lblMatrices->setText(fromCp1252(text("MAIN", "lblMatrices")));
    m_lblMatDescription->setText(fromCp1252(text("MAIN", "lblMatDescription")));
    m_lblMatValues->setText(fromCp1252(text("MAIN", "lblMatValues")));
    static const char* const captioned[] = {"cmdExit", "cmdLanguages", "cmdSetup",  "cmdPreview", "cmdNew",
                                            "cmdEdit", "cmdDelete",    "cmdImport", "cmdExtract"};
    static const char* const tipped[] = {"cmdNew", "cmdEdit", "cmdDelete", "cmdSetup", "cmdLanguages", "cmdExtract"};
    for (const char* name : captioned)
        findChild<ccXPButton*>(name)->setCaption(fromCp1252(text("MAIN", name)));
    for (const char* name : tipped)
        findChild<ccXPButton*>(name)->setToolTip(fromCp1252(text("HELP", name)));
}

void Main::setTranslator() {
    m_lblTranslator->setText(translatorCredit(m_state.txtLang));
}

std::string Main::previewButtonCaption() {
    return m_cmdPreview->caption().toStdString();
}

void Main::prepareSetupForMissingFolder() {
    if (!m_setup)
        m_setup = new Setup(m_state, this);
    m_setup->prepareForMissingFolder();
}

void Main::unloadSetup() {
    // Start-up calls this from the Setup window's own finished signal: let the signal return first.
    if (m_setup && !m_setup->isVisible())
        m_setup->deleteLater();
}

void Main::selectMatrix(QListWidgetItem* item) {
    if (!item)
        return;
    m_cmdDelete->setEnabled(true);
    m_cmdEdit->setEnabled(true);
    for (auto* action : {m_actCompare, m_actCopyFfmpeg, m_actExportCqm})
        action->setEnabled(true);
    m_shownMatrix = item->text();
    const auto description = library::select(m_state.matrixFolder(), m_shownMatrix.toStdString(), m_cells);
    m_text1 = description.info1;
    m_text2 = description.info2;
    m_txtMatrix->setPlainText(fromCp1252(description.shown()));
    showGrid();
}

void Main::deleteSelected() {
    const QString name = selectedMatrix();
    if (name.isEmpty())
        return;
    const library::DeleteTexts texts{text("MESSAGES", "DelMatrixMsg1L1"), text("MESSAGES", "DelMatrixMsg1L2"),
                                     text("MESSAGES", "DelMatTitle")};
    if (library::deleteMatrix(*m_state.prompter, texts, m_state.matrixFolder(), name.toStdString()))
        resetView();
}

// The windows of the buttons below open here, each from this one place, modal and deleted on close.
void Main::openMatrixNew() {
    openModal(new Matrix(m_state, this));
}

void Main::openMatrixEdit() {
    const QString selected = selectedMatrix();
    if (!selected.isEmpty())
        openModal(new MatrixEdit(m_state, selected.toStdString(), m_text1, m_text2, this));
}

void Main::openMatrixImport() {
    openModal(new MatrixImport(m_state, this));
}

void Main::openExtraction() {
    if (!m_runner)
        m_runner = std::make_unique<QtRunner>();
    m_matExt = openModal(new MatExt(m_state, *m_runner, this));
}

void Main::openPreview() {
    if (m_matExt)
        m_matExt->close();
    if (!m_runner)
        m_runner = std::make_unique<QtRunner>();
    auto* preview = new Preview(m_state, *m_runner, this);
    if (!preview->loaded()) {
        // Tessera's folder is not set: the user was told, and Setup opens instead.
        delete preview;
        openSetup();
        return;
    }
    openModal(preview);
}

void Main::openCompare() {
    if (!m_shownMatrix.isEmpty())
        openModal(new MatrixCompare(m_state, m_shownMatrix, this));
}

void Main::copyFfmpegOptions() {
    if (m_shownMatrix.isEmpty())
        return;
    const std::string options =
        library::ffmpegOptionsOf(*m_state.prompter, m_state.matrixFolder(), m_shownMatrix.toStdString());
    if (!options.empty())
        QGuiApplication::clipboard()->setText(QString::fromLatin1(options));
}

void Main::exportCqm() {
    if (!m_shownMatrix.isEmpty())
        library::exportCqm(*m_state.prompter, m_state.matrixFolder(), m_shownMatrix.toStdString());
}

void Main::openSetup() {
    m_setup = openModal(new Setup(m_state, this));
}

void Main::openLanguages() {
    openModal(new Languages(m_state, this));
}

void Main::openAbout() {
    openModal(new About(m_state, this));
}

void Main::exitProgram() {
    if (m_setup)
        m_setup->close();
    close();
    QApplication::quit();
}

} // namespace quire
