// The import window: controls at fixed places, colours and captions, the browse and the save handed
// to the core, the fields shown as the core left them.
#include "matrix/MatrixImport.h"

#include "matrix/DescriptionBox.h"
#include "matrix/MatrixGrid.h"
#include "matrix/MatrixSave.h"
#include "ui/ColourScale.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace quire {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 370;
constexpr int kGridTop = 50;
constexpr int kColumnLeft = 470;
constexpr int kColumnWidth = 238;
constexpr std::string_view kSection = "MATRIXImport";

} // namespace

MatrixImport::MatrixImport(SharedState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setObjectName(QStringLiteral("MatrixImport"));
    setWindowTitle(QStringLiteral("    Quire - Matrix Import"));
    setFixedSize(kWidth, kHeight);
    buildControls();
    applyColours();
    applyCaptions();
    showFields();
}

void MatrixImport::buildControls() {
    m_stripes = addFrameStripes(this, kWidth, kHeight);
    m_lblTitle = addWindowTitle(this, kWidth);

    m_grid = new MatrixGrid(this);
    m_grid->move(12, kGridTop);
    m_grid->setReadOnly(true);
    m_grid->setColourScale(scale::isOn(m_state.editorIni()));

    m_frmFileType = placed(new QGroupBox(QStringLiteral("File Type"), this), "frmFileType",
                           QRect(12, kGridTop + MatrixGrid::kHeight + 8, MatrixGrid::kWidth, 50));
    const char* const optionNames[2] = {"Option1_0", "Option1_1"};
    const char* const labelNames[2] = {"lblTextFile", "lblBinaryFile"};
    const QString labels[2] = {QStringLiteral("Text file"), QStringLiteral(".XCM and/or .CQM Files")};
    for (std::size_t i = 0; i < 2; ++i) {
        const int left = 12 + static_cast<int>(i) * 200;
        m_option1[i] = placed(new QRadioButton(m_frmFileType), optionNames[i], QRect(left, 22, 18, 18));
        m_optionLabels[i] = placed(new QLabel(labels[i], m_frmFileType), labelNames[i], QRect(left + 22, 20, 170, 22));
    }
    m_option1[0]->setChecked(true);

    m_lblPath = placed(new QLabel(this), "lblPath", QRect(kColumnLeft, 52, kColumnWidth, 16));
    m_txtPath = placed(new QLineEdit(this), "txtPath", QRect(kColumnLeft, 70, kColumnWidth - 40, 22));
    m_txtPath->setReadOnly(true);
    m_command1 = placed(new ccXPButton(QStringLiteral("..."), this), "Command1",
                        QRect(kColumnLeft + kColumnWidth - 34, 70, 34, 22));
    m_lblName = placed(new QLabel(this), "lblName", QRect(kColumnLeft, 100, kColumnWidth, 16));
    m_txtMatrixName = placed(new QLineEdit(this), "txtMatrixName", QRect(kColumnLeft, 118, kColumnWidth, 22));
    // Two lines' room: some languages need them for this caption; a one-line caption sits on the field.
    m_lblDescription1 = placed(new QLabel(this), "lblDescription1", QRect(kColumnLeft, 144, kColumnWidth, 34));
    m_lblDescription1->setWordWrap(true);
    m_lblDescription1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_txtCustomMatrix1 =
        placed(new DescriptionBox(this), "txtCustomMatrix1", QRect(kColumnLeft, 180, kColumnWidth, 46));
    m_lblDescription2 = placed(new QLabel(this), "lblDescription2", QRect(kColumnLeft, 234, kColumnWidth, 16));
    m_txtCustomMatrix2 =
        placed(new DescriptionBox(this), "txtCustomMatrix2", QRect(kColumnLeft, 252, kColumnWidth, 56));

    m_cmdSave =
        placed(new ccXPButton(QStringLiteral("&Save"), this), "cmdSave", QRect(kWidth - 204, kHeight - 40, 92, 28));
    m_cmdExit =
        placed(new ccXPButton(QStringLiteral("E&xit"), this), "cmdExit", QRect(kWidth - 104, kHeight - 40, 92, 28));

    connect(m_command1, &ccXPButton::clicked, this, &MatrixImport::browseFile);
    connect(m_cmdSave, &ccXPButton::clicked, this, &MatrixImport::save);
    connect(m_cmdExit, &ccXPButton::clicked, this, &MatrixImport::close);

    setTabOrder(m_option1[0], m_option1[1]);
    setTabOrder(m_option1[1], m_command1);
    setTabOrder(m_command1, m_txtMatrixName);
    setTabOrder(m_txtMatrixName, m_txtCustomMatrix1);
    setTabOrder(m_txtCustomMatrix1, m_txtCustomMatrix2);
    setTabOrder(m_txtCustomMatrix2, m_cmdSave);
    setTabOrder(m_cmdSave, m_cmdExit);
    m_command1->setFocus();
}

void MatrixImport::applyColours() {
    const QColor back = colourOf(m_state.txtBackColor);
    const QColor fore = colourOf(m_state.txtTextColor);
    setBackground(this, back);
    for (QLabel* label : {m_lblTitle, m_lblPath, m_lblName, m_lblDescription1, m_lblDescription2, m_optionLabels[0],
                          m_optionLabels[1]}) {
        setBackground(label, back);
        setTextColour(label, fore);
    }
    m_grid->applyColours(back, fore);
    setBackground(m_frmFileType, back);
    // The frame's caption only.
    QPalette framePalette = m_frmFileType->palette();
    framePalette.setColor(QPalette::WindowText, fore);
    m_frmFileType->setPalette(framePalette);
    // The option buttons take the text colour as their background, as in the edit window.
    for (QRadioButton* option : m_option1)
        setBackground(option, fore);
    for (auto* band : m_stripes)
        setBackground(band, colourOf(m_state.txtStripesColor));
    for (auto* button : {m_command1, m_cmdSave, m_cmdExit})
        button->setForeColor(QString::fromStdString(m_state.txtButtonsColor));
}

void MatrixImport::applyCaptions() {
    const auto text = [this](std::string_view key) {
        return fromCp1252(caption(m_state.programFolder, m_state.txtLang, kSection, key));
    };
    m_lblTitle->setText(text("lblTitle"));
    m_lblPath->setText(text("lblPath"));
    m_lblName->setText(text("lblName"));
    m_lblDescription1->setText(text("lblDescription1"));
    m_lblDescription2->setText(text("lblDescription2"));
    m_cmdSave->setCaption(text("cmdSave"));
    m_cmdExit->setCaption(text("cmdExit"));
}

void MatrixImport::showFields() {
    m_txtPath->setText(QString::fromStdString(m_fields.txtPath));
    m_txtMatrixName->setText(QString::fromStdString(m_fields.txtMatrixName));
    m_grid->setCells(m_fields.cells);
}

void MatrixImport::browseFile() {
    const auto kind = m_option1[1]->isChecked() ? importing::SourceKind::Binary : importing::SourceKind::Text;
    // A name typed since the last browse stays unless the browse sets another.
    m_fields.txtMatrixName = m_txtMatrixName->text().toStdString();
    importing::browse(*m_state.prompter, kind, m_fields);
    showFields();
}

void MatrixImport::save() {
    editor::SaveFields fields;
    fields.name = m_txtMatrixName->text().toStdString();
    fields.line1 = m_txtCustomMatrix1->crLfText();
    fields.line2 = m_txtCustomMatrix2->crLfText();
    fields.text1 = fields.line1;
    const auto outcome = editor::saveImportedMatrix(m_state, fields, m_fields.cells);
    m_txtCustomMatrix1->setCrLfText(fields.line1);
    m_txtCustomMatrix2->setCrLfText(fields.line2);
    m_grid->focusRefused(outcome, m_txtMatrixName, m_txtCustomMatrix1, m_txtCustomMatrix2);
}

} // namespace quire
