// The Languages window driven headless in a temporary program folder, with a main view that
// records what the window asked of it.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "ui/Languages.h"

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

const std::string kCustom = "[my matrix.mtx]\r\nInfo1=Mine\r\nInfo2=For cartoons\r\n";
const std::string kEditorIni = "[Config]\r\nLanguage=English.lng\r\n";

} // namespace

class LanguagesTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_p = std::make_unique<Program>();
        m_p->folder.write("Editor.ini", kEditorIni);
        m_p->folder.write("Lib/Matrix_Info_Custom.ini", kCustom);
    }
    void cleanup() {
        m_window.reset();
        m_p.reset();
    }
    void loadShowsFilesLanguageAndCaptionsAndCloseChangesNothing() {
        Languages* window = open(); // which files the list takes is the core's test
        QCOMPARE(window->windowTitle(), QStringLiteral("    Quire - Languages"));
        QCOMPARE(listed(), QStringList({"Deutch.lng", "English.lng", "Francais.lng", "Italiano.lng", "Portugues.lng"}));
        checkCaptions(window, "Languages", 4);
        checkTexts(window, {"txtCurrent", "English.lng", "txtCurrent2", "Deutch.lng"});
        checkColours(window, "lblCurrent", {"Shape1", "Shape2"});

        // A click or an arrow chooses an entry; closing stores nothing: Editor.ini, the index and the main
        // view as they were.
        choose("Portugues.lng");
        QTest::keyClick(child(window, "lstLanguagesList"), Qt::Key_Up);
        checkTexts(window, {"txtCurrent2", "Italiano.lng", "txtCurrent", "English.lng"});
        click(window, "cmdX");
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(m_p->folder.read("Editor.ini") + m_p->read("Matrix_Info.ini"), kEditorIni + Program::kInfo);
        QCOMPARE(m_p->state.txtLang, std::string("English.lng"));
        QVERIFY(m_p->mainView.calls.empty());
    }
    void applyItalianoRebuildsTheIndexAndSetsTheCaptions() {
        // The main view sees Editor.ini and the index as they are at each call.
        std::string languageAtCaptions, indexAtRefresh;
        m_p->mainView.onCall = [&](const std::string& name) {
            if (name == "refreshMatrixList")
                indexAtRefresh = m_p->read("Matrix_Info.ini");
            if (name == "applyMainCaptions")
                languageAtCaptions = language();
        };
        open();
        choose("Italiano.lng");
        click(m_window.get(), "OKButton");
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Accepted));
        QCOMPARE(language(), std::string("Italiano.lng"));
        QCOMPARE(m_p->state.txtLang, std::string("Italiano.lng"));
        const std::string index = m_p->read("Matrix_Info.ini");
        QCOMPARE(index, std::string(defaultMatrixInfo()) + "\r\n" + kCustom + "\r\n");
        const std::vector<std::string> expected = {"applyMainCaptions", "setTranslator", "refreshMatrixList",
                                                   "resetViewKeepGrid"};
        QCOMPARE(m_p->mainView.calls, expected);
        // The captions were applied after the language was stored, the list refreshed after the rebuild.
        QCOMPARE(languageAtCaptions, std::string("Italiano.lng"));
        QCOMPARE(indexAtRefresh, index);
        // The window opened again takes its captions from the active language.
        checkCaptions(open(), "Languages", 4, "Italiano.lng");
    }
    void updateKeepsUserFilesAndApplyingOneLeavesTheIndexAlone() {
        fs::remove(m_p->folder / "Languages/Deutch.lng");
        m_p->folder.write("Languages/Klingon.lng", "tlhIngan\r\n\r\n[Languages]\r\nlblCurrent=Qo'\r\n");
        m_p->folder.write("Languages/English.lng", "English\r\n\r\n[MAIN]\r\n");
        open();
        choose("Klingon.lng");
        click(m_window.get(), "cmdUpd");
        QVERIFY(m_window->isVisible()); // the files it writes are the core's test
        QCOMPARE(listed(), QStringList({"Deutch.lng", "English.lng", "Francais.lng", "Italiano.lng", "Klingon.lng",
                                        "Portugues.lng"}));
        QCOMPARE(language(), std::string("English.lng"));
        QCOMPARE(m_p->mainView.calls, std::vector<std::string>{"resetViewKeepGrid"});

        click(m_window.get(), "OKButton");
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(language(), std::string("Klingon.lng")); // the index it leaves is the core's test
        const std::vector<std::string> expected = {"resetViewKeepGrid", "applyMainCaptions", "setTranslator",
                                                   "resetViewKeepGrid"};
        QCOMPARE(m_p->mainView.calls, expected);
    }

private:
    // Opens the window and waits until it takes input.
    Languages* open() {
        m_window = std::make_unique<Languages>(m_p->state);
        if (!showActive(*m_window))
            QTest::qFail("the Languages window did not become active", __FILE__, __LINE__);
        return m_window.get();
    }
    void choose(const QString& name) { clickItem(m_window.get(), "lstLanguagesList", name); }
    QStringList listed() { return itemsOf(m_window.get(), "lstLanguagesList"); }
    std::string language() { return ini::GetValue("Config", "Language", m_p->folder / "Editor.ini"); }

    std::unique_ptr<Program> m_p;
    std::unique_ptr<Languages> m_window;
};

QTEST_MAIN(LanguagesTest)
#include "LanguagesTest.moc"
