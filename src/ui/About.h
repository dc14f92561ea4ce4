// The About box: the program's name and version, the shipped read-me on request, and a link.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace quire {

class ccXPButton;

class About : public QDialog {
    Q_OBJECT
public:
    // Builds the box with the state's colours; the read-me text stays empty until asked for.
    explicit About(SharedState& state, QWidget* parent = nullptr);

private:
    void buildControls();
    void applyColours();
    // ccXPButton1: programFolder/readme.txt into Text1; a missing file leaves Text1 as it is.
    void showReadme();
    // Command1: the link. Quire has no web site or donation page of its own, so the link opens
    // the read-me shipped in the program folder with the desktop's opener.
    void openLink();

    SharedState& m_state;
    QLabel* m_lblName = nullptr;
    QLabel* m_lblVersion = nullptr;
    QPlainTextEdit* m_text = nullptr;
    ccXPButton* m_readme = nullptr;
    ccXPButton* m_link = nullptr;
    ccXPButton* m_ok = nullptr;
};

} // namespace quire
