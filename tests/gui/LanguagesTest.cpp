// The Languages window driven headless in a temporary program folder, with a main view that
// records what the window asked of it.
#include "GuiSupport.h"
#include "support/RecordingMainView.h"

#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "platform/Text1252.h"
#include "ui/Languages.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

const std::string kCustom = "[my matrix.mtx]\r\nInfo1=Mine\r\nInfo2=For cartoons\r\n";
const std::string kOldIndex = "[old.mtx]\r\nInfo1=as it was\r\n";
const std::string kEditorIni = "[Config]\r\nLanguage=English.lng\r\n";

// Records every call, with what Editor.ini and Matrix_Info.ini held at that moment.
class RecordingView : public quire::test::RecordingMainView {
public:
    RecordingView(fs::path program, fs::path library) {
        onCall = [this, program = std::move(program), library = std::move(library)](const std::string& name) {
            if (name == "refreshMatrixList")
                indexAtRefresh = readBytes(library / "Matrix_Info.ini");
            if (name == "applyMainCaptions")
                languageAtCaptions = ini::GetValue("Config", "Language", program / "Editor.ini");
        };
    }
    std::string indexAtRefresh;
    std::string languageAtCaptions;
};

std::vector<std::string> sectionLines(std::string_view text) {
    std::vector<std::string> sections;
    for (const std::string& line : quire::text::splitLines(text))
        if (line.starts_with("["))
            sections.push_back(line);
    return sections;
}

} // namespace

class LanguagesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadShowsFilesLanguageAndCaptions();
    void captionsComeFromTheActiveLanguage();
    void clickingAnEntryChoosesIt();
    void applyItalianoRebuildsTheIndex();
    void applyUserFileLeavesTheIndexAlone();
    void updateRestoresBuiltInFilesAndKeepsUserFiles();
    void closeChangesNothing();
    void emptyLanguagesFolderAppliesNothing();

private:
    // Opens the window and waits until it takes input.
    Languages* open();
    void choose(const QString& name);
    void press(const char* button);
    QStringList listed();
    QString field(const char* name) { return child<QLineEdit>(m_window.get(), name)->text(); }

    std::unique_ptr<TempFolder> m_program;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<SharedState> m_state;
    std::unique_ptr<RecordingView> m_view;
    std::unique_ptr<Languages> m_window;
};

void LanguagesTest::init() {
    m_program = std::make_unique<TempFolder>();
    m_prompter = std::make_unique<ScriptedPrompter>(qtReporter());
    QVERIFY(WriteLanguageFiles(*m_prompter, m_program->path()).has_value());
    m_program->write("Editor.ini", kEditorIni);
    m_program->write("Lib/Matrix_Info.ini", kOldIndex);
    m_program->write("Lib/Matrix_Info_Custom.ini", kCustom);

    m_state = std::make_unique<SharedState>(m_program->path(), *m_prompter);
    m_state->txtLang = "English.lng";
    m_state->txtPath = (*m_program / "Lib").string();
    m_state->txtBackColor = "16737808";
    m_state->txtTextColor = "16777215";
    m_state->txtStripesColor = "14306832";
    m_state->txtButtonsColor = "4210752";
    m_view = std::make_unique<RecordingView>(m_program->path(), *m_program / "Lib");
    m_state->mainView = m_view.get();
}

void LanguagesTest::cleanup() {
    m_window.reset();
    m_view.reset();
    m_state.reset();
    m_prompter.reset();
    m_program.reset();
}

Languages* LanguagesTest::open() {
    m_window = std::make_unique<Languages>(*m_state);
    m_window->show();
    if (!QTest::qWaitForWindowActive(m_window.get()))
        QTest::qFail("the Languages window did not become active", __FILE__, __LINE__);
    return m_window.get();
}

void LanguagesTest::choose(const QString& name) {
    auto* list = child<QListWidget>(m_window.get(), "lstLanguagesList");
    const auto items = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(name));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

void LanguagesTest::press(const char* button) {
    QTest::mouseClick(child<QWidget>(m_window.get(), button), Qt::LeftButton);
}

QStringList LanguagesTest::listed() {
    QStringList names;
    auto* list = child<QListWidget>(m_window.get(), "lstLanguagesList");
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

void LanguagesTest::loadShowsFilesLanguageAndCaptions() {
    m_program->write("Languages/zz_mine.LNG", "Mine\r\n");
    m_program->write("Languages/notes.txt", "not a language");
    Languages* window = open();
    QCOMPARE(window->windowTitle(), QStringLiteral("    Quire - Languages"));
    QCOMPARE(listed(), QStringList({"Deutch.lng", "English.lng", "Francais.lng", "Italiano.lng", "Portugues.lng",
                                    "zz_mine.LNG"}));
    QCOMPARE(child<QListWidget>(window, "lstLanguagesList")->currentRow(), 0);
    QCOMPARE(field("txtCurrent"), QStringLiteral("English.lng"));
    QCOMPARE(field("txtCurrent2"), QStringLiteral("Deutch.lng"));

    QCOMPARE(child<QLabel>(window, "lblCurrent")->text(), QStringLiteral("Language in Use"));
    QCOMPARE(child<ccXPButton>(window, "OKButton")->caption(), QStringLiteral("&Apply"));
    QVERIFY(child<ccXPButton>(window, "cmdX") != nullptr);

    QCOMPARE(window->palette().color(QPalette::Window), colourOf("16737808"));
    QCOMPARE(child<QWidget>(window, "Shape1")->palette().color(QPalette::Window), colourOf("14306832"));
    QCOMPARE(child<QLabel>(window, "lblCurrent")->palette().color(QPalette::WindowText), colourOf("16777215"));
    for (const char* button : {"OKButton", "cmdUpd", "cmdX"})
        QCOMPARE(child<ccXPButton>(window, button)->foreColor(), colourOf("4210752"));
    QVERIFY(m_view->calls.empty());
}

void LanguagesTest::captionsComeFromTheActiveLanguage() {
    m_state->txtLang = "Italiano.lng";
    m_program->write("Editor.ini", "[Config]\r\nLanguage=Italiano.lng\r\n");
    Languages* window = open();
    QCOMPARE(field("txtCurrent"), QStringLiteral("Italiano.lng"));
    QCOMPARE(child<QLabel>(window, "lblCurrent")->text(), QStringLiteral("Lingua in uso"));
    QCOMPARE(child<ccXPButton>(window, "OKButton")->caption(), QStringLiteral("&Applica"));
}

void LanguagesTest::clickingAnEntryChoosesIt() {
    open();
    choose("Portugues.lng");
    QCOMPARE(field("txtCurrent2"), QStringLiteral("Portugues.lng"));
    QTest::keyClick(child<QListWidget>(m_window.get(), "lstLanguagesList"), Qt::Key_Up);
    QCOMPARE(field("txtCurrent2"), QStringLiteral("Italiano.lng"));
    QCOMPARE(field("txtCurrent"), QStringLiteral("English.lng"));
    QCOMPARE(ini::GetValue("Config", "Language", *m_program / "Editor.ini"), std::string("English.lng"));
}

void LanguagesTest::applyItalianoRebuildsTheIndex() {
    open();
    choose("Italiano.lng");
    press("OKButton");
    QTRY_VERIFY(!m_window->isVisible());
    QCOMPARE(m_window->result(), int(QDialog::Accepted));

    QCOMPARE(ini::GetValue("Config", "Language", *m_program / "Editor.ini"), std::string("Italiano.lng"));
    QCOMPARE(m_state->txtLang, std::string("Italiano.lng"));
    const std::string index = m_program->read("Lib/Matrix_Info.ini");
    QCOMPARE(index, std::string(defaultMatrixInfo()) + "\r\n" + kCustom + "\r\n");
    const std::vector<std::string> sections = sectionLines(index);
    QCOMPARE(sections.size(), std::size_t(17));
    QCOMPARE(sections.front(), std::string("[1-high_high(4000+).mtx]"));
    QCOMPARE(sections[15], std::string("[dovan (2500-3000).mtx]"));
    QCOMPARE(sections.back(), std::string("[my matrix.mtx]"));
    QCOMPARE(m_program->read("Lib/Matrix_Info_Custom.ini"), kCustom);

    const std::vector<std::string> expected = {"applyMainCaptions", "setTranslator", "refreshMatrixList",
                                               "resetViewKeepGrid"};
    QCOMPARE(m_view->calls, expected);
    // The captions were applied after the language was stored, the list refreshed after the rebuild.
    QCOMPARE(m_view->languageAtCaptions, std::string("Italiano.lng"));
    QCOMPARE(m_view->indexAtRefresh, index);
    // The Italian file has no MESSAGES/MatrixImport, so that message shows empty.
    QCOMPARE(caption(m_program->path(), m_state->txtLang, "MESSAGES", "MatrixImport"), std::string());
}

void LanguagesTest::applyUserFileLeavesTheIndexAlone() {
    m_program->write("Languages/Klingon.lng", "tlhIngan\r\n\r\n[Languages]\r\nlblCurrent=Qo'\r\n");
    open();
    choose("Klingon.lng");
    QCOMPARE(field("txtCurrent2"), QStringLiteral("Klingon.lng"));
    press("OKButton");
    QTRY_VERIFY(!m_window->isVisible());
    QCOMPARE(ini::GetValue("Config", "Language", *m_program / "Editor.ini"), std::string("Klingon.lng"));
    QCOMPARE(m_program->read("Lib/Matrix_Info.ini"), kOldIndex);
    const std::vector<std::string> expected = {"applyMainCaptions", "setTranslator", "resetViewKeepGrid"};
    QCOMPARE(m_view->calls, expected);
}

void LanguagesTest::updateRestoresBuiltInFilesAndKeepsUserFiles() {
    fs::remove(*m_program / "Languages/Deutch.lng");
    m_program->write("Languages/Aaa.lng", "Mine\r\n");
    m_program->write("Languages/English.lng", "English\r\n\r\n[MAIN]\r\n");
    open();
    QCOMPARE(listed(), QStringList({"Aaa.lng", "English.lng", "Francais.lng", "Italiano.lng", "Portugues.lng"}));
    choose("Francais.lng");

    press("cmdUpd");
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_program->read("Languages/Deutch.lng"), std::string(*builtinLanguageText("Deutch.lng")) + "\r\n");
    QCOMPARE(m_program->read("Languages/English.lng"), std::string(*builtinLanguageText("English.lng")) + "\r\n");
    QCOMPARE(m_program->read("Languages/Aaa.lng"), std::string("Mine\r\n"));
    QCOMPARE(listed(),
             QStringList({"Aaa.lng", "Deutch.lng", "English.lng", "Francais.lng", "Italiano.lng", "Portugues.lng"}));
    QCOMPARE(field("txtCurrent2"), QStringLiteral("Francais.lng"));
    QCOMPARE(child<QListWidget>(m_window.get(), "lstLanguagesList")->currentItem()->text(),
             QStringLiteral("Francais.lng"));
    QCOMPARE(ini::GetValue("Config", "Language", *m_program / "Editor.ini"), std::string("English.lng"));
    QCOMPARE(m_program->read("Lib/Matrix_Info.ini"), kOldIndex);
    QCOMPARE(m_view->calls, std::vector<std::string>{"resetViewKeepGrid"});
}

void LanguagesTest::closeChangesNothing() {
    open();
    choose("Italiano.lng");
    press("cmdX");
    QTRY_VERIFY(!m_window->isVisible());
    QCOMPARE(m_program->read("Editor.ini"), kEditorIni);
    QCOMPARE(m_program->read("Lib/Matrix_Info.ini"), kOldIndex);
    QCOMPARE(m_state->txtLang, std::string("English.lng"));
    QVERIFY(m_view->calls.empty());
}

void LanguagesTest::emptyLanguagesFolderAppliesNothing() {
    fs::remove_all(*m_program / "Languages");
    open();
    QVERIFY(listed().isEmpty());
    QCOMPARE(field("txtCurrent2"), QString());
    press("OKButton");
    QTRY_VERIFY(!m_window->isVisible());
    QCOMPARE(m_program->read("Editor.ini"), kEditorIni);
    QCOMPARE(m_program->read("Lib/Matrix_Info.ini"), kOldIndex);
    QVERIFY(m_view->calls.empty());
}

QTEST_MAIN(LanguagesTest)
#include "LanguagesTest.moc"
