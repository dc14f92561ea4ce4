// The Languages window: its controls, colours and captions, and the Apply and Update actions.
#include "ui/Languages.h"

#include "ui/LanguagesLogic.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace quire {

namespace {

constexpr std::string_view kSection = "Languages";

QWidget* makeStripe(QWidget* parent, const char* name) {
    auto* stripe = new QWidget(parent);
    stripe->setObjectName(QString::fromLatin1(name));
    stripe->setFixedHeight(6);
    return stripe;
}

} // namespace

Languages::Languages(SharedState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setObjectName(QStringLiteral("Languages"));
    setWindowTitle(QStringLiteral("    Quire - Languages"));
    buildControls();
    applyColours();
    m_current->setText(fromCp1252(languages::currentLanguage(m_state.programFolder)));
    fillList({});
    applyCaptions();
}

void Languages::buildControls() {
    m_stripeTop = makeStripe(this, "Shape1");
    m_stripeBottom = makeStripe(this, "Shape2");

    m_lblCurrent = new QLabel(this);
    m_lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    m_current = new QLineEdit(this);
    m_current->setObjectName(QStringLiteral("txtCurrent"));
    m_current->setReadOnly(true);

    m_lblLanguages = new QLabel(this);
    m_lblLanguages->setObjectName(QStringLiteral("lblLanguages"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstLanguagesList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_chosen = new QLineEdit(this);
    m_chosen->setObjectName(QStringLiteral("txtCurrent2"));
    m_chosen->setReadOnly(true);

    m_apply = new ccXPButton(this);
    m_apply->setObjectName(QStringLiteral("OKButton"));
    m_update = new ccXPButton(this);
    m_update->setObjectName(QStringLiteral("cmdUpd"));
    m_close = new ccXPButton(QStringLiteral("X"), this);
    m_close->setObjectName(QStringLiteral("cmdX"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_apply);
    buttons->addWidget(m_update);
    buttons->addStretch();
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_stripeTop);
    layout->addWidget(m_lblCurrent);
    layout->addWidget(m_current);
    layout->addSpacing(8);
    layout->addWidget(m_lblLanguages);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_chosen);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->addWidget(m_stripeBottom);
    resize(340, 360);

    connect(m_list, &QListWidget::currentRowChanged, this, &Languages::chooseRow);
    connect(m_apply, &ccXPButton::clicked, this, &Languages::apply);
    connect(m_update, &ccXPButton::clicked, this, &Languages::updateLanguages);
    connect(m_close, &ccXPButton::clicked, this, &Languages::reject);
}

void Languages::applyColours() {
    setBackground(this, colourOf(m_state.txtBackColor));
    setBackground(m_stripeTop, colourOf(m_state.txtStripesColor));
    setBackground(m_stripeBottom, colourOf(m_state.txtStripesColor));
    setTextColour(m_lblCurrent, colourOf(m_state.txtTextColor));
    setTextColour(m_lblLanguages, colourOf(m_state.txtTextColor));
    for (ccXPButton* button : {m_apply, m_update, m_close})
        button->setForeColor(QString::fromStdString(m_state.txtButtonsColor));
}

void Languages::applyCaptions() {
    const auto text = [this](std::string_view key) {
        return fromCp1252(caption(m_state.programFolder, m_state.txtLang, kSection, key));
    };
    m_lblCurrent->setText(text("lblCurrent"));
    m_lblLanguages->setText(text("lblLanguages"));
    m_apply->setCaption(text("OKButton"));
    m_update->setCaption(text("cmdUpd"));
}

void Languages::fillList(const std::string& keep) {
    m_files = languages::listLanguageFiles(m_state.languagesFolder());
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    int row = 0;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        m_list->addItem(fromCp1252(m_files[i]));
        if (!keep.empty() && m_files[i] == keep)
            row = static_cast<int>(i);
    }
    if (m_files.empty()) {
        m_chosen->clear();
        return;
    }
    m_list->setCurrentRow(row);
    chooseRow(row);
}

void Languages::chooseRow(int row) {
    if (row >= 0 && row < static_cast<int>(m_files.size()))
        m_chosen->setText(fromCp1252(m_files[static_cast<std::size_t>(row)]));
}

void Languages::apply() {
    const int row = m_list->currentRow();
    // With an empty Languages folder there is nothing to switch to.
    if (row < 0 || row >= static_cast<int>(m_files.size())) {
        reject();
        return;
    }
    const std::string chosen = m_files[static_cast<std::size_t>(row)];
    languages::setLanguage(m_state.programFolder, chosen);
    m_state.txtLang = languages::currentLanguage(m_state.programFolder);
    MainView* view = m_state.mainView;
    if (view) {
        view->applyMainCaptions();
        view->setTranslator();
    }
    const languages::IndexRebuild rebuilt = languages::rebuildIndexFor(m_state.matrixFolder(), chosen);
    if (view) {
        if (rebuilt == languages::IndexRebuild::Done)
            view->refreshMatrixList();
        view->resetViewKeepGrid();
    }
    accept();
}

void Languages::updateLanguages() {
    if (const auto language = WriteLanguageFiles(*m_state.prompter, m_state.programFolder))
        m_state.txtLang = *language;
    m_current->setText(fromCp1252(languages::currentLanguage(m_state.programFolder)));
    const int row = m_list->currentRow();
    fillList(row >= 0 && row < static_cast<int>(m_files.size()) ? m_files[static_cast<std::size_t>(row)]
                                                                : std::string());
    if (m_state.mainView)
        m_state.mainView->resetViewKeepGrid();
    update();
}

} // namespace quire
