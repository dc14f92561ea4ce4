// The shared part of the matrix editors: controls at fixed places, colours, captions, the save's
// round trip between the fields and the core.
#include "matrix/EditorWindow.h"

#include "matrix/DescriptionBox.h"
#include "matrix/MatrixGrid.h"
#include "ui/GridColours.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace quire {
namespace {

constexpr int kColumnLeft = 470;
constexpr int kColumnWidth = 238;
constexpr int kGridTop = 50;

} // namespace

EditorWindow::EditorWindow(SharedState& state, const QString& title, int height, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setWindowTitle(title);
    setFixedSize(kWidth, height);
    buildControls(height);
    m_grid->attachChecks(*m_state.prompter, {text("MESSAGES", "MatrixWarning1"), text("MESSAGES", "MatrixWarning2")});
    connect(m_grid, &MatrixGrid::saveEnabled, this, [this] { m_cmdSave->setEnabled(true); });
    // The colour scale, switched from the boxes' context menu.
    QAction* colourScale =
        gridcolours::makeSwitch(this, m_state.editorIni(), [this](bool on) { m_grid->setColourScale(on); });
    m_grid->setColourScale(colourScale->isChecked());
    m_grid->offerColourScale(colourScale);
    m_grid->firstBox()->setFocus();
}

void EditorWindow::buildControls(int height) {
    m_stripes = addFrameStripes(this, kWidth, height);
    m_lblTitle = addWindowTitle(this, kWidth);

    m_grid = new MatrixGrid(this);
    m_grid->move(12, kGridTop);

    m_lblName = placed(new QLabel(this), "lblName", QRect(kColumnLeft, 52, kColumnWidth, 16));
    m_txtMatrixName = placed(new QLineEdit(this), "txtMatrixName", QRect(kColumnLeft, 70, kColumnWidth, 22));
    // Two lines' room: some languages need them for this caption; a one-line caption sits on the field.
    m_lblDescription1 = placed(new QLabel(this), "lblDescription1", QRect(kColumnLeft, 96, kColumnWidth, 34));
    m_lblDescription1->setWordWrap(true);
    m_lblDescription1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_txtCustomMatrix1 =
        placed(new DescriptionBox(this), "txtCustomMatrix1", QRect(kColumnLeft, 132, kColumnWidth, 48));
    m_lblDescription2 = placed(new QLabel(this), "lblDescription2", QRect(kColumnLeft, 186, kColumnWidth, 16));
    m_txtCustomMatrix2 =
        placed(new DescriptionBox(this), "txtCustomMatrix2", QRect(kColumnLeft, 204, kColumnWidth, 52));
    connect(m_txtCustomMatrix1, &QPlainTextEdit::textChanged, this,
            [this] { m_text1 = m_txtCustomMatrix1->crLfText(); });

    m_txtMatDialogInfo = placed(new QLabel(this), "txtMatDialogInfo", QRect(12, 262, kWidth - 24, 32));
    m_txtMatDialogInfo->setWordWrap(true);

    m_lblCredit = placed(new QLabel(this), "lblCredit", QRect(14, height - 34, 300, 18));
    m_lblCredit->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(readmeUrl(m_state), tr("Tessera's home page")));
    m_lblCredit->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(m_lblCredit, &QLabel::linkActivated, this, [](const QString& url) { OpenWebPage(url); });

    m_cmdSave =
        placed(new ccXPButton(QStringLiteral("&Save"), this), "cmdSave", QRect(kWidth - 204, height - 40, 92, 28));
    m_cmdExit =
        placed(new ccXPButton(QStringLiteral("E&xit"), this), "cmdExit", QRect(kWidth - 104, height - 40, 92, 28));

    setTabOrder(m_grid->lastBox(), m_txtMatrixName);
    setTabOrder(m_txtMatrixName, m_txtCustomMatrix1);
    setTabOrder(m_txtCustomMatrix1, m_txtCustomMatrix2);
    setTabOrder(m_txtCustomMatrix2, m_cmdSave);
    setTabOrder(m_cmdSave, m_cmdExit);
}

std::string EditorWindow::text(std::string_view section, std::string_view key) const {
    return caption(m_state.programFolder, m_state.txtLang, section, key);
}

QColor EditorWindow::backColour() const {
    return colourOf(m_state.txtBackColor);
}

QColor EditorWindow::textColour() const {
    return colourOf(m_state.txtTextColor);
}

void EditorWindow::applyColours() {
    const QColor back = backColour();
    const QColor fore = textColour();
    setBackground(this, back);
    for (QLabel* label : {m_lblTitle, m_lblName, m_lblDescription1, m_lblDescription2, m_txtMatDialogInfo}) {
        setBackground(label, back);
        setTextColour(label, fore);
    }
    setTextColour(m_lblCredit, fore);
    m_grid->applyColours(back, fore);
    for (auto* band : m_stripes)
        setBackground(band, colourOf(m_state.txtStripesColor));
    for (auto* button : {m_cmdSave, m_cmdExit})
        button->setForeColor(QString::fromStdString(m_state.txtButtonsColor));
}

void EditorWindow::applyCaptions(std::string_view section) {
    m_lblTitle->setText(fromCp1252(text(section, "lblTitle")));
    m_lblName->setText(fromCp1252(text(section, "lblName")));
    m_lblDescription1->setText(fromCp1252(text(section, "lblDescription1")));
    m_lblDescription2->setText(fromCp1252(text(section, "lblDescription2")));
    m_cmdSave->setCaption(fromCp1252(text(section, "cmdSave")));
    m_cmdExit->setCaption(fromCp1252(text(section, "cmdExit")));
    m_txtMatDialogInfo->setText(fromCp1252(text("MATRIX", "txtMatDialogInfo")));
}

void EditorWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

const std::string& EditorWindow::cceValue() const {
    return m_grid->checks()->cceValue();
}

editor::SaveFields EditorWindow::saveFields() const {
    editor::SaveFields fields;
    fields.name = m_txtMatrixName->text().toStdString();
    fields.line1 = m_txtCustomMatrix1->crLfText();
    fields.line2 = m_txtCustomMatrix2->crLfText();
    fields.text1 = m_text1;
    fields.cceValue = cceValue();
    return fields;
}

void EditorWindow::showSaveResult(const editor::SaveFields& fields, const editor::SaveOutcome& outcome) {
    m_txtCustomMatrix1->setCrLfText(fields.line1);
    m_txtCustomMatrix2->setCrLfText(fields.line2);
    m_grid->checks()->setCceValue(fields.cceValue);
    m_grid->focusRefused(outcome, m_txtMatrixName, m_txtCustomMatrix1, m_txtCustomMatrix2);
}

} // namespace quire
