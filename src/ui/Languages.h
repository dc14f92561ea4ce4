// The Languages window: lists the language files of the program folder, switches the active
// language (captions of the main window, description index) and writes the built-in files anew.
#pragma once

#include "app/SharedState.h"

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;

namespace quire {

class ccXPButton;

class Languages : public QDialog {
    Q_OBJECT
public:
    // Builds the window with the state's colours, the list of language files (the first one
    // chosen), the language in use and the captions of the active language file.
    explicit Languages(SharedState& state, QWidget* parent = nullptr);

private:
    void buildControls();
    void applyColours();
    void applyCaptions();
    // Lists the folder again and chooses the entry named `keep`, or the first one when it is gone.
    void fillList(const std::string& keep);
    void chooseRow(int row);

    // OKButton: the chosen file becomes the active language, then the window closes.
    void apply();
    // cmdUpd: the built-in language files are written anew; the window stays open.
    void updateLanguages();

    SharedState& m_state;
    // The listed file names as Windows-1252 text, in list order.
    std::vector<std::string> m_files;

    QListWidget* m_list = nullptr;
    QLineEdit* m_current = nullptr;
    QLineEdit* m_chosen = nullptr;
    QLabel* m_lblCurrent = nullptr;
    QLabel* m_lblLanguages = nullptr;
    QWidget* m_stripeTop = nullptr;
    QWidget* m_stripeBottom = nullptr;
    ccXPButton* m_apply = nullptr;
    ccXPButton* m_update = nullptr;
    ccXPButton* m_close = nullptr;
};

} // namespace quire
