// The filter panels of the Preview/Test window: the filter choice (" Filters "), Deen's parameters
// (" Deen's Extra Options ") and the editable filter text ("AVS Script "), handed to the filter
// routines of the preview core, which build the text, the encode script and Tessera's filter keys.
#include "preview/Filters.h"
#include "preview/PreviewWindow.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include <functional>

namespace quire {

using namespace preview;

namespace {

constexpr std::string_view kRadiusMessage = "'RADIUS' value must be between 1 and 4!!!";
constexpr std::string_view kHostFiltersFailed = "The filters could not be written into Tessera.ini!";

// Places in pixels of the two frames that move with the mode: out of sight to the right of the
// 11940-twip window in "Matrix" mode (12135 and 11940 twips), and in "Filters" mode in the place of the
// player and the encoded files, the right-hand column, leaving the segment's details and the instructions
// in sight.
constexpr int kColumnLeft = 536, kColumnWidth = 252;
constexpr int kScriptWidth = kColumnWidth;
constexpr int kScriptHeight = 212;
const QRect kFiltersHidden(12135 / 15, 3630 / 15, kColumnWidth, 342);
const QRect kFiltersShown(kColumnLeft, 4, kColumnWidth, 342);
const QRect kScriptHidden(11940 / 15, 5265 / 15, kScriptWidth, kScriptHeight);
const QRect kScriptShown(kColumnLeft, 5265 / 15, kScriptWidth, kScriptHeight);

// Calls back when the watched widget gains or loses the keyboard focus.
class FocusWatch : public QObject {
public:
    FocusWatch(QWidget* watched, std::function<void()> gained, std::function<void()> lost)
        : QObject(watched), m_gained(std::move(gained)), m_lost(std::move(lost)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && m_gained)
            m_gained();
        else if (event->type() == QEvent::FocusOut && m_lost)
            m_lost();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_gained;
    std::function<void()> m_lost;
};

std::string textOf(const QString& text) {
    return toCp1252(text).value_or(std::string());
}

QComboBox* list(QWidget* parent, const char* name, QRect place, QStringList items) {
    auto* box = placed(new QComboBox(parent), name, place);
    box->setEditable(true);
    box->addItems(items);
    return box;
}

// The script text as the core keeps it (CRLF line ends) and as the edit box holds it.
std::string fromEditor(const QString& text) {
    std::string lines = textOf(text);
    std::string crlf;
    for (char c : lines) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

QString toEditor(const std::string& text) {
    QString shown = fromCp1252(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

} // namespace

void Preview::buildFilterPanels() {
    m_frmFilters = placed(new QGroupBox(QStringLiteral(" Filters "), this), "frmFilters", kFiltersHidden);
    placed(new QLabel(QStringLiteral("Custom filters (All)"), m_frmFilters), "Label11", QRect(8, 20, 200, 18));
    m_chkFilter[0] = placed(new QCheckBox(QStringLiteral("Undot"), m_frmFilters), "chkFilter_0", QRect(8, 42, 96, 20));
    m_chkFilter[1] = placed(new QCheckBox(QStringLiteral("Deen"), m_frmFilters), "chkFilter_1", QRect(108, 42, 96, 20));
    m_option4 = placed(new QRadioButton(QStringLiteral("Advanced"), m_frmFilters), "Option4", QRect(8, 66, 200, 20));
    m_option4->setAutoExclusive(false);
    m_cmdClearFilters =
        placed(new ccXPButton(QStringLiteral("C&lear"), m_frmFilters), "cmdClearFilters", QRect(8, 236, 200, 30));
    m_cmdApplyFilters = placed(new ccXPButton(QStringLiteral("&Update DVD Tessera"), m_frmFilters), "cmdApplyFilters",
                               QRect(8, 274, 200, 32));

    // Deen's parameters, over the segment details while "Advanced" is chosen.
    m_frmDeen =
        placed(new QGroupBox(QStringLiteral(" Deen's Extra Options "), this), "frmDeen", QRect(272, 216, 256, 200));
    const std::pair<const char*, QRect> labels[8] = {
        {"Method:", QRect(8, 20, 50, 20)},
        {"Mode:", QRect(130, 20, 40, 20)},
        {"Radius:", QRect(8, 46, 50, 20)},
        {"Min:", QRect(130, 46, 40, 20)},
        {"Y -  Threshold:", QRect(8, 72, 170, 20)},
        {"UV -  thresholds:", QRect(8, 96, 170, 20)},
        {"Y -  Temporal Tresholds:", QRect(8, 120, 170, 20)},
        {"UV - Temporal Tresholds:", QRect(8, 144, 170, 20)},
    };
    for (const auto& [caption, place] : labels)
        placed(new QLabel(QString::fromLatin1(caption), m_frmDeen), "lblDeen", place);
    m_cmbDMethod = list(m_frmDeen, "cmbDMethod", QRect(58, 18, 64, 22), {" c", " w", " a"});
    m_cmbDMode = list(m_frmDeen, "cmbDMode", QRect(172, 18, 76, 22), {"2d", "3d"});
    m_cmbRad = list(m_frmDeen, "cmbRad", QRect(58, 44, 64, 22), {"1", "2", "3", "4"});
    m_min = placed(new QLineEdit(m_frmDeen), "min", QRect(172, 44, 76, 22));
    m_min->setToolTip(QStringLiteral("1 = not any reduction.  0 = reduce max"));
    m_thrY = placed(new QLineEdit(m_frmDeen), "thrY", QRect(180, 70, 68, 22));
    m_thrUV = placed(new QLineEdit(m_frmDeen), "thrUV", QRect(180, 94, 68, 22));
    m_tthY = placed(new QLineEdit(m_frmDeen), "tthY", QRect(180, 118, 68, 22));
    m_tthUV = placed(new QLineEdit(m_frmDeen), "tthUV", QRect(180, 142, 68, 22));
    m_cmdDeenRefresh =
        placed(new ccXPButton(QStringLiteral("Update"), m_frmDeen), "cmdDeenRefresh", QRect(8, 168, 116, 26));
    m_ccXPButton1 =
        placed(new ccXPButton(QStringLiteral("&Default"), m_frmDeen), "ccXPButton1", QRect(132, 168, 116, 26));
    m_frmDeen->hide();

    m_frame13 = placed(new QGroupBox(QStringLiteral("AVS Script "), this), "Frame13", kScriptHidden);
    m_txtScript = placed(new QPlainTextEdit(m_frame13), "txtScript", QRect(8, 20, kScriptWidth - 16, 150));
    m_cmdApplyAVS =
        placed(new ccXPButton(QStringLiteral("Apply"), m_frame13), "cmdApplyAVS", QRect(8, 176, kScriptWidth - 16, 28));

    showFilterPanel();

    for (QCheckBox* box : m_chkFilter)
        connect(box, &QCheckBox::clicked, this, &Preview::tickFilter);
    connect(m_option4, &QRadioButton::clicked, this, &Preview::chooseAdvanced);
    new FocusWatch(
        m_cmbRad, [this] { fillRadiusList(); }, [this] { checkRadius(); });
    new FocusWatch(m_cmbDMode, {}, [this] { leaveDeenMode(); });
    connect(m_cmdDeenRefresh, &ccXPButton::clicked, this, &Preview::refreshDeenCall);
    connect(m_ccXPButton1, &ccXPButton::clicked, this, &Preview::defaultDeenParameters);
    connect(m_cmdClearFilters, &ccXPButton::clicked, this, &Preview::clearFilters);
    connect(m_txtScript, &QPlainTextEdit::textChanged, this, &Preview::editScript);
    connect(m_cmdApplyAVS, &ccXPButton::clicked, this, &Preview::applyScript);
    connect(m_cmdApplyFilters, &ccXPButton::clicked, this, &Preview::applyFiltersToHost);
}

void Preview::placeFilterPanels(bool filtersMode) {
    m_frmFilters->setGeometry(filtersMode ? kFiltersShown : kFiltersHidden);
    m_frame13->setGeometry(filtersMode ? kScriptShown : kScriptHidden);
    m_frmDeen->setVisible(filtersMode && fields.filters.deenPanelVisible);
    if (filtersMode) {
        m_frmFilters->raise();
        m_frame13->raise();
        m_frmDeen->raise();
    }
}

void Preview::switchFilterPanels() {
    placeFilterPanels(m_optMode[1]->isChecked());
    fields.filters.DeenData = kDeenDefault;
    if (fields.filters.applyAvsEnabled)
        m_btnEncode->setEnabled(false);
}

void Preview::enableFilterPanels(bool enabled) {
    for (QWidget* frame :
         {static_cast<QWidget*>(m_frmFilters), static_cast<QWidget*>(m_frmDeen), static_cast<QWidget*>(m_frame13)})
        frame->setEnabled(enabled);
}

void Preview::showFilterPanel() {
    const FilterPanel& f = fields.filters;
    const QSignalBlocker script(m_txtScript);
    if (toEditor(f.txtScript) != m_txtScript->toPlainText())
        m_txtScript->setPlainText(toEditor(f.txtScript));
    m_chkFilter[0]->setChecked(f.undot);
    m_chkFilter[1]->setChecked(f.deen);
    m_option4->setChecked(f.advanced);
    m_option4->setEnabled(f.advancedEnabled);
    m_frmDeen->setVisible(f.deenPanelVisible && m_optMode[1]->isChecked());
    m_cmbDMethod->setEditText(fromCp1252(f.method));
    m_cmbDMode->setEditText(fromCp1252(f.mode));
    m_cmbRad->setEditText(fromCp1252(f.radius));
    const std::pair<QLineEdit*, const std::string*> values[5] = {
        {m_thrY, &f.thrY}, {m_thrUV, &f.thrUV}, {m_tthY, &f.tthY}, {m_tthUV, &f.tthUV}, {m_min, &f.min}};
    for (const auto& [edit, value] : values)
        edit->setText(fromCp1252(*value));
    m_cmdApplyAVS->setEnabled(f.applyAvsEnabled);
    m_cmdApplyFilters->setEnabled(f.applyFiltersEnabled);
    m_cmdClearFilters->setEnabled(f.clearFiltersEnabled);
}

void Preview::readDeenParameters() {
    FilterPanel& f = fields.filters;
    f.method = textOf(m_cmbDMethod->currentText());
    f.mode = textOf(m_cmbDMode->currentText());
    f.radius = textOf(m_cmbRad->currentText());
    f.thrY = textOf(m_thrY->text());
    f.thrUV = textOf(m_thrUV->text());
    f.tthY = textOf(m_tthY->text());
    f.tthUV = textOf(m_tthUV->text());
    f.min = textOf(m_min->text());
}

void Preview::tickFilter() {
    fields.filters.undot = m_chkFilter[0]->isChecked();
    fields.filters.deen = m_chkFilter[1]->isChecked();
    UpdateFilterChoice(fields);
    showFilterPanel();
    m_btnEncode->setEnabled(false);
}

void Preview::chooseAdvanced() {
    FilterPanel& f = fields.filters;
    f.advanced = m_option4->isChecked();
    f.deenPanelVisible = f.advanced;
    m_frmDeen->setVisible(f.advanced && m_optMode[1]->isChecked());
    m_frmDeen->raise();
    const QString radius = m_cmbRad->currentText();
    m_cmbRad->clear();
    m_cmbRad->addItems({"1", "2", "3", "4"});
    m_cmbRad->setEditText(radius);
}

void Preview::fillRadiusList() {
    const bool threeD = m_cmbDMode->currentText() == QStringLiteral("3d");
    m_cmbRad->clear();
    m_cmbRad->setEditText(QStringLiteral("1"));
    if (threeD)
        m_cmbRad->addItems({"1", "2", "3", "4", "", "", ""});
    else
        m_cmbRad->addItems({"1", "2", "3", "4", "5", "6", "7"});
    m_cmbRad->setEditText(QStringLiteral("1"));
}

void Preview::checkRadius() {
    const bool empty = m_cmbRad->currentText().isEmpty();
    if (empty)
        m_state.prompter->message(kRadiusMessage, kAppTitle, PromptButtons::Ok, PromptIcon::None);
    setBackground(m_cmbRad, empty ? QColor(255, 0, 0) : QColor(Qt::white));
    m_cmbRad->setAutoFillBackground(true);
}

void Preview::leaveDeenMode() {
    const bool twoD = m_cmbDMode->currentText() == QStringLiteral("2d");
    m_tthY->setEnabled(!twoD);
    m_tthUV->setEnabled(!twoD);
}

void Preview::refreshDeenCall() {
    readDeenParameters();
    BuildDeenCall(fields.filters);
    UpdateFilterChoice(fields);
    showFilterPanel();
}

void Preview::defaultDeenParameters() {
    resetDeenParameters(fields.filters);
    UpdateFilterChoice(fields);
    showFilterPanel();
}

void Preview::clearFilters() {
    FilterPanel& f = fields.filters;
    f.txtScript.clear();
    // Unticking the filters and the "Advanced" option updates the choice as a click on them would.
    f.undot = f.deen = f.advanced = false;
    f.deenPanelVisible = false;
    resetDeenParameters(f);
    UpdateFilterChoice(fields);
    showFilterPanel();
}

void Preview::editScript() {
    FilterPanel& f = fields.filters;
    f.txtScript = fromEditor(m_txtScript->toPlainText());
    f.Filters = "0";
    f.applyAvsEnabled = true;
    m_cmdApplyAVS->setEnabled(true);
}

void Preview::applyScript() {
    WriteEncodeScript(m_context, fields);
    m_btnEncode->setEnabled(Prepare == "1" || isEncoder(EncoderKind::QuEnc));
    FilterPanel& f = fields.filters;
    f.Filters = "1";
    f.applyAvsEnabled = false;
    f.applyFiltersEnabled = true;
    m_cmdApplyAVS->setEnabled(false);
    m_cmdApplyFilters->setEnabled(true);
}

void Preview::applyFiltersToHost() {
    if (!WriteHostFilters(m_context, fields))
        m_state.prompter->message(kHostFiltersFailed, kAppTitle, PromptButtons::Ok, PromptIcon::Exclamation);
    fields.filters.applyFiltersEnabled = false;
    m_cmdApplyFilters->setEnabled(false);
}

} // namespace quire
