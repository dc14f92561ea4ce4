// The edit window: the shared editor controls, the loading of the selected matrix, Multiple Edit,
// its save and its Exit.
#include "matrix/MatrixEdit.h"

#include "matrix/DescriptionBox.h"
#include "matrix/MatrixGrid.h"
#include "platform/Text1252.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace quire {
namespace {

constexpr int kHeight = 420;

} // namespace

MatrixEdit::MatrixEdit(SharedState& state, const std::string& selectedFile, const std::string& info1,
                       const std::string& info2, QWidget* parent)
    : EditorWindow(state, QStringLiteral("   Quire -  Matrix Editing"), kHeight, parent), m_selectedFile(selectedFile) {
    setObjectName(QStringLiteral("MatrixEdit"));
    buildMultipleEdit();
    applyColours();
    applyMultipleEditLook();
    applyCaptions("MATRIXEdit");
    m_frmMultEdit->setTitle(fromCp1252(text("MATRIX", "frmMultEdit")));
    m_lblInfo->setText(fromCp1252(text("MATRIX", "txtMulEdit")));

    loadValues();
    QString name = QString::fromStdString(selectedFile);
    name.chop(4);
    m_txtMatrixName->setText(name);
    m_txtCustomMatrix1->setCrLfText(text::toUtf8(info1));
    m_txtCustomMatrix2->setCrLfText(text::toUtf8(info2));

    connect(m_cmdSave, &ccXPButton::clicked, this, &MatrixEdit::save);
    connect(m_cmdExit, &ccXPButton::clicked, this, &MatrixEdit::exitWindow);
}

void MatrixEdit::buildMultipleEdit() {
    m_frmMultEdit = placed(new QGroupBox(this), "frmMultEdit", QRect(12, contentTop(), kWidth - 24, 66));
    m_lblInfo = placed(new QLabel(m_frmMultEdit), "lblInfo", QRect(10, 18, 430, 44));
    m_lblInfo->setWordWrap(true);
    m_txtValue = placed(new QLineEdit(QStringLiteral("0"), m_frmMultEdit), "txtValue", QRect(450, 26, 56, 22));
    connect(m_txtValue, &QLineEdit::textChanged, this, [this](const QString& value) {
        if (value.isEmpty())
            m_txtValue->setText(QStringLiteral("0"));
    });
    m_subtract = placed(new QRadioButton(m_frmMultEdit), "Option1_0", QRect(516, 28, 18, 18));
    m_lblMinus = placed(new QLabel(QStringLiteral("-"), m_frmMultEdit), "lblMinus", QRect(536, 26, 12, 20));
    m_add = placed(new QRadioButton(m_frmMultEdit), "Option1_1", QRect(556, 28, 18, 18));
    m_lblPlus = placed(new QLabel(QStringLiteral("+"), m_frmMultEdit), "lblPlus", QRect(576, 26, 12, 20));
    m_subtract->setChecked(true);
    m_command1 = placed(new ccXPButton(m_frmMultEdit), "Command1", QRect(598, 22, 84, 28));
    connect(m_command1, &ccXPButton::clicked, this, &MatrixEdit::multipleEdit);

    setTabOrder(m_txtCustomMatrix2, m_txtValue);
    setTabOrder(m_txtValue, m_subtract);
    setTabOrder(m_subtract, m_add);
    setTabOrder(m_add, m_command1);
    setTabOrder(m_command1, m_cmdSave);
}

void MatrixEdit::applyMultipleEditLook() {
    const QColor back = backColour();
    const QColor fore = textColour();
    setBackground(m_frmMultEdit, back);
    // The frame's caption only: the amount field keeps its own text colour.
    QPalette framePalette = m_frmMultEdit->palette();
    framePalette.setColor(QPalette::WindowText, fore);
    m_frmMultEdit->setPalette(framePalette);
    for (QLabel* label : {m_lblInfo, m_lblMinus, m_lblPlus})
        setTextColour(label, fore);
    // The option buttons take the text colour as their background.
    for (QRadioButton* option : {m_subtract, m_add})
        setBackground(option, fore);
    m_command1->setForeColor(QString::fromStdString(m_state.txtButtonsColor));
}

void MatrixEdit::loadValues() {
    const auto loaded = editor::loadEditValues(m_state.matrixFolder() / std::filesystem::path(m_selectedFile));
    if (loaded)
        m_grid->setCells(loaded->cells, loaded->count);
}

void MatrixEdit::multipleEdit() {
    const std::string amount = toCp1252(m_txtValue->text()).value_or("?");
    const auto result = m_grid->checks()->multipleEdit(amount, m_subtract->isChecked(), m_grid->cells());
    if (result == grid::BoxChecks::EditResult::BadAmount) {
        m_txtValue->setFocus(Qt::OtherFocusReason);
        m_txtValue->selectAll();
    }
}

void MatrixEdit::save() {
    const MatrixCells boxes = m_grid->cells();
    runSave(
        [&](editor::SaveFields& fields) { return editor::saveEditedMatrix(m_state, fields, boxes, m_selectedFile); });
}

void MatrixEdit::exitWindow() {
    if (m_state.mainView)
        m_state.mainView->resetView();
    close();
}

} // namespace quire
