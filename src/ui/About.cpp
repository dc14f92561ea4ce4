// The About box: its controls and colours, the read-me button and the link.
#include "ui/About.h"

#include "ui/AboutLogic.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quire {

About::About(SharedState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About ") + fromCp1252(kAppTitle));
    buildControls();
    applyColours();
    m_lblVersion->setText(fromCp1252(about::versionLine()));
}

void About::buildControls() {
    m_lblName = new QLabel(fromCp1252(kAppTitle), this);
    m_lblName->setObjectName(QStringLiteral("lblName"));
    QFont big = m_lblName->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    m_lblName->setFont(big);

    m_lblVersion = new QLabel(this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_readme = new ccXPButton(QStringLiteral("&Read-me"), this);
    m_readme->setObjectName(QStringLiteral("ccXPButton1"));
    m_link = new ccXPButton(QStringLiteral("&Open Read-me"), this);
    m_link->setObjectName(QStringLiteral("Command1"));
    m_link->setToolTip(QStringLiteral("Opens the read-me with the desktop's viewer."));
    m_ok = new ccXPButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_readme);
    buttons->addWidget(m_link);
    buttons->addStretch();
    buttons->addWidget(m_ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblName);
    layout->addWidget(m_lblVersion);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    resize(620, 460);

    connect(m_readme, &ccXPButton::clicked, this, &About::showReadme);
    connect(m_link, &ccXPButton::clicked, this, &About::openLink);
    connect(m_ok, &ccXPButton::clicked, this, &About::accept);
}

void About::applyColours() {
    setBackground(this, colourOf(m_state.txtBackColor));
    setTextColour(m_lblName, colourOf(m_state.txtTextColor));
    setTextColour(m_lblVersion, colourOf(m_state.txtTextColor));
    for (ccXPButton* button : {m_readme, m_link, m_ok})
        button->setForeColor(QString::fromStdString(m_state.txtButtonsColor));
}

void About::showReadme() {
    if (const auto text = about::readReadme(m_state.programFolder))
        m_text->setPlainText(fromCp1252(*text));
}

void About::openLink() {
    OpenWebPage(readmeUrl(m_state));
}

} // namespace quire
