// The import window driven headless: choosing text and byte files through the scripted prompter,
// the read-only grid, the save answered question by question with the files it leaves, and the
// main window's Import button.
#include "GuiSupport.h"

#include "app/Main.h"
#include "matrix/MatrixImport.h"
#include "support/CellText.h"

#include <QRadioButton>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

const std::string kSaved = "Your Matrix has been saved!";
const std::string kInfo = Program::kInfo;

std::string newQuestion(const std::string& name) {
    return "Are you sure that you want\n\nto create a new Matrix called '" + name + "'?";
}

// The test program folder, and a folder of source files apart from it.
struct Library : Program {
    // Writes a source file and returns its path as the open-file dialog reports it.
    std::string source(const std::string& name, const std::string& bytes) const {
        return sources.write(name, bytes).string();
    }
    TempFolder sources;
};

} // namespace

class MatrixImportTest : public QObject {
    Q_OBJECT
private slots:
    void readOnlyGridTextAndByteFilesAndAnEmptyNameRefused() {
        Library lib;
        const std::string file = lib.source("Strong Film.txt", numberedText(";", "\r\n", 8));
        MatrixImport window(lib.state);
        QCOMPARE(window.windowTitle(), QStringLiteral("    Quire - Matrix Import"));
        checkCaptions(&window, "MATRIXImport", 7);
        checkTexts(&window, {"frmFileType", "File Type", "lblBinaryFile", ".XCM and/or .CQM Files"});
        QVERIFY(child<QRadioButton>(&window, "Option1_0")->isChecked());
        checkColours(&window, "lblTitle", {"Shape1"});
        QVERIFY(child<QLineEdit>(&window, "txtPath")->isReadOnly());
        for (int i : {0, 127})
            QVERIFY(!box(&window, i)->isEnabled() && box(&window, i)->text().isEmpty());

        QVERIFY(showActive(window));
        lib.prompter.expectFile(file);
        click(&window, "Command1");
        checkTexts(&window,
                   {"txtPath", "Strong Film.txt", "txtMatrixName", "Strong Film", "TD_0", "8", "TD_127", "135"});

        QTest::keyClicks(child(&window, "txtCustomMatrix1"), "Sharp and clean");
        QTest::keyClicks(child(&window, "txtCustomMatrix2"), "for films");

        lib.prompter.expect(newQuestion("Strong Film")).expect(kSaved);
        click(&window, "cmdSave");

        const std::string section = "[strong film.mtx]\r\nInfo1=Sharp and clean\r\nInfo2=for films\r\n";
        QCOMPARE(lib.read("Strong Film.mtx"), numberedText(" ", "\r\n", 8));
        QCOMPARE(lib.read("Matrix_Info.ini"), kInfo + section);
        QCOMPARE(lib.mainView.calls, std::vector<std::string>{"resetView"});

        // The second kind reads a byte file (one value a byte: the core's test).
        QTest::mouseClick(child(&window, "Option1_1"), Qt::LeftButton);
        lib.prompter.expectFile(lib.source("Grain.cqm", std::string(128, '\x14')));
        click(&window, "Command1");
        checkTexts(&window, {"txtMatrixName", "Grain", "TD_1", "20"});

        // An empty name is refused first and takes the focus.
        auto* name = child<QLineEdit>(&window, "txtMatrixName");
        name->clear();
        lib.prompter.expect("You must give a name to your Matrix!");
        click(&window, "cmdSave");
        QCOMPARE(QApplication::focusWidget(), name);
        QVERIFY(!fs::exists(lib.lib("Grain.mtx")));
    }
    void mainWindowOpensTheImport() {
        Library lib;
        lib.writeEditorIni();
        Main main(lib.folder.path(), lib.prompter);
        main.start();
        QVERIFY(showActive(main));

        click(&main, "cmdImport");
        auto* import = main.findChild<MatrixImport*>();
        QVERIFY(import && import->isVisible() && import->isModal());
        import->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), import);

        lib.prompter.expectFile(lib.source("Soft.txt", numberedText(" ", "\r\n", 9)));
        click(import, "Command1");
        lib.prompter.expect(newQuestion("Soft")).expect(kSaved);
        click(import, "cmdSave");
        QVERIFY(itemsOf(&main, "lstMatrix").contains("Soft.mtx")); // the main window's list shows it
        click(import, "cmdExit");
        QTRY_VERIFY(!main.findChild<MatrixImport*>());
    }
};

QTEST_MAIN(MatrixImportTest)
#include "MatrixImportTest.moc"
