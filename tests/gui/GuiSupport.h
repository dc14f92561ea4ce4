// Support for window tests: a scripted prompter that reports to Qt Test, a program folder with the
// shared state a window gets, and finding, reading and clicking widgets by their object names.
#pragma once

#include "app/SharedState.h"
#include "platform/Text1252.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <initializer_list>
#include <string>

namespace quire::test {

// Reports prompter failures to the running Qt Test function.
inline ScriptedPrompter::Reporter qtReporter() {
    return [](const std::string& what) { QTest::qFail(what.c_str(), __FILE__, __LINE__); };
}

// The named child of a window; fails the test when there is none.
template <class T = QWidget>
T* child(const QObject* root, const QString& name) {
    T* found = root->findChild<T*>(name);
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no widget named ") + name), __FILE__, __LINE__);
    return found;
}

// Grid box 0-63 (Intra) or 64-127 (Non Intra) of an editor or the main window.
inline QLineEdit* box(const QObject* window, int index) {
    return child<QLineEdit>(window, QStringLiteral("TD_%1").arg(index));
}

// What a widget shows: a button's caption, a frame's title, a box's or a label's text.
inline QString textOf(const QObject* root, const QString& name) {
    QWidget* widget = child(root, name);
    if (auto* button = qobject_cast<ccXPButton*>(widget))
        return button->caption();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
        return edit->toPlainText();
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        return frame->title();
    return widget ? widget->property("text").toString() : QString();
}

// Each named widget shows its text: pairs of object name and text, in one flat list.
inline void checkTexts(const QObject* root, std::initializer_list<QString> namesAndTexts) {
    for (auto it = namesAndTexts.begin(); it != namesAndTexts.end(); it += 2)
        QVERIFY2(textOf(root, *it) == it[1], qPrintable(*it + QStringLiteral(" shows: ") + textOf(root, *it)));
}

// Each caption of a section of a built-in language file that names a widget of the window (the
// name's case aside, or with "cmd" before it) is what the widget shows; so many are checked.
inline void checkCaptions(const QObject* window, std::string_view section, int count,
                          std::string_view language = "English.lng") {
    int checked = 0;
    bool inSection = false;
    for (const std::string& line : text::splitLines(builtinLanguageText(language).value_or(""))) {
        if (line.starts_with("["))
            inSection = text::toLower(line) == "[" + text::toLower(std::string(section)) + "]";
        const auto eq = line.find('=');
        if (!inSection || eq == std::string::npos)
            continue;
        const QString key = QString::fromStdString(line.substr(0, eq));
        for (const QWidget* widget : window->findChildren<QWidget*>())
            if (!widget->objectName().compare(key, Qt::CaseInsensitive) || widget->objectName() == "cmd" + key) {
                const QString shown = textOf(window, widget->objectName());
                QVERIFY2(shown == fromCp1252(text::trimBlanks(line.substr(eq + 1))),
                         qPrintable(key + " shows: " + shown));
                ++checked;
            }
    }
    QCOMPARE(checked, count);
}

// Each named widget is enabled (or not).
inline void checkEnabled(const QObject* root, std::initializer_list<const char*> names, bool enabled) {
    for (const char* name : names)
        QVERIFY2(child(root, name)->isEnabled() == enabled, name);
}

inline QColor backOf(const QObject* root, const char* name) {
    return child(root, name)->palette().color(QPalette::Window);
}
inline QColor foreOf(const QObject* root, const char* name) {
    return child(root, name)->palette().color(QPalette::WindowText);
}

// The window wears the program folder's colours: its background, a label's text, the stripes and every
// button's caption.
inline void checkColours(const QWidget* window, const char* label, std::initializer_list<const char*> stripes) {
    QCOMPARE(window->palette().color(QPalette::Window), colourOf("16737808"));
    QCOMPARE(foreOf(window, label), colourOf("16777215"));
    for (const char* stripe : stripes)
        QCOMPARE(backOf(window, stripe), colourOf("14306832"));
    for (const ccXPButton* button : window->findChildren<ccXPButton*>())
        QCOMPARE(button->foreColor(), colourOf("4210752"));
}

// Shows the window and waits until it is active, so that its buttons take clicks.
inline bool showActive(QWidget& window) {
    window.show();
    return QTest::qWaitForWindowActive(&window);
}

inline void click(const QObject* root, const char* name) {
    QTest::mouseClick(child(root, name), Qt::LeftButton);
}

inline QStringList itemsOf(const QObject* root, const char* list) {
    QStringList names;
    for (auto* l = child<QListWidget>(root, list); l && names.size() < l->count();)
        names << l->item(int(names.size()))->text();
    return names;
}

// Clicks the list entry shown with this text.
inline void clickItem(const QObject* root, const char* list, const QString& text) {
    auto* l = child<QListWidget>(root, list);
    const auto found = l->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    l->setCurrentItem(found.first());
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(found.first()).center());
}

// Right-clicks the widget and picks the entry of the context menu that opens.
inline void chooseFromContextMenu(QWidget* widget, const QString& entry) {
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == entry)
                chosen = action;
        menu->close();
        if (chosen)
            chosen->trigger();
    });
    const QPoint at = widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
}

// True once no process of the child's group is left, not even a zombie.
inline bool groupGone(long pid) {
    return ::kill(-pid_t(pid), 0) != 0 && errno == ESRCH;
}

// A program folder: the language files, the matrix folder "Lib" with an index holding one
// description and an empty custom index, and the shared state with the default colours.
struct Program {
    static constexpr const char* kInfo = "[1-high_high(4000+).mtx]\r\nInfo1=High\r\nInfo2=More\r\n";
    static constexpr const char* kColours =
        "[Colors]\r\nBackColor=16737808\r\nTextColor=16777215\r\nStripesColor=14306832\r\nButtonsColor=4210752\r\n";

    Program() {
        ScriptedPrompter quiet;
        WriteLanguageFiles(quiet, folder.path());
        folder.write("Lib/Matrix_Info.ini", kInfo);
        folder.write("Lib/Matrix_Info_Custom.ini", "");
        state.txtLang = "English.lng";
        state.txtPath = (folder / "Lib").string();
        state.txtBackColor = "16737808";
        state.txtTextColor = "16777215";
        state.txtStripesColor = "14306832";
        state.txtButtonsColor = "4210752";
        state.mainView = &mainView;
    }
    // Editor.ini as a finished first start leaves it, for the main window.
    void writeEditorIni(const std::string& more = "") const {
        folder.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=" + state.txtPath +
                                       "\r\nInterfaceVersion=7\r\n" + more + kColours);
    }
    // A file of the matrix folder.
    std::string read(const std::string& name) const { return folder.read("Lib/" + name); }
    std::filesystem::path lib(const std::string& name) const { return folder / "Lib" / name; }

    TempFolder folder;
    ScriptedPrompter prompter{qtReporter()};
    RecordingMainView mainView;
    SharedState state{folder.path(), prompter};
};

} // namespace quire::test
