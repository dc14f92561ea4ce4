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
    void windowShowsAReadOnlyGridAndATextFileIsImportedAndSaved() {
        Library lib;
        const std::string file = lib.source("Strong Film.txt", numberedText(";", "\r\n", 8));
        MatrixImport window(lib.state);
        QCOMPARE(window.windowTitle(), QStringLiteral("    Quire - Matrix Import"));
        checkCaptions(&window, "MATRIXImport", 7);
        checkTexts(&window, {"Command1", "...", "frmFileType", "File Type", "lblTextFile", "Text file", "lblBinaryFile",
                             ".XCM and/or .CQM Files"});
        QVERIFY(child<QRadioButton>(&window, "Option1_0")->isChecked());
        checkColours(&window, "lblTitle", {"Shape1"});
        QVERIFY(child<QLineEdit>(&window, "txtPath")->isReadOnly());
        for (int i : {0, 127})
            QVERIFY(!box(&window, i)->isEnabled() && box(&window, i)->text().isEmpty());
        checkEnabled(&window, {"cmdSave"}, true);

        QVERIFY(showActive(window));
        lib.prompter.expectFile(file);
        click(&window, "Command1");
        QCOMPARE(lib.prompter.fileDialogFilters().front().front().patterns, std::string("*.txt"));
        checkTexts(&window, {"txtPath", "Strong Film.txt", "txtMatrixName", "Strong Film"});
        checkTexts(&window, {"TD_0", "8", "TD_127", "135"});

        QTest::keyClicks(child(&window, "txtCustomMatrix1"), "Sharp and clean");
        QTest::keyClicks(child(&window, "txtCustomMatrix2"), "for films");

        lib.prompter.expect(newQuestion("Strong Film")).expect(kSaved);
        click(&window, "cmdSave");

        const std::string section = "[strong film.mtx]\r\nInfo1=Sharp and clean\r\nInfo2=for films\r\n";
        QCOMPARE(lib.read("Strong Film.mtx"), numberedText(" ", "\r\n", 8));
        QCOMPARE(lib.read("Matrix_Info.ini"), kInfo + section);
        QCOMPARE(lib.mainView.calls, std::vector<std::string>{"resetView"});
        QVERIFY(window.isVisible()); // the window stays open
    }
    void byteFileThroughTheSecondKindAndAnEmptyNameRefused() {
        Library lib;
        std::string bytes; // 8 to 135, but 200 in the second
        for (int i = 0; i < 128; ++i)
            bytes += static_cast<char>(i == 1 ? 200 : 8 + i);
        MatrixImport window(lib.state);
        QVERIFY(showActive(window));
        QTest::mouseClick(child(&window, "Option1_1"), Qt::LeftButton);
        lib.prompter.expectFile(lib.source("Grain.cqm", bytes));
        click(&window, "Command1");
        QCOMPARE(lib.prompter.fileDialogFilters().front().front().patterns, std::string("*.cqm;*.xcm"));
        checkTexts(&window, {"txtMatrixName", "Grain", "TD_1", "200", "TD_127", "135"});

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
