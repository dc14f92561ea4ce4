// The import window driven headless: choosing text and byte files through the scripted prompter,
// the read-only grid, invalid files, the save answered question by question with the files it
// leaves, and the main window's Import button.
#include "GuiSupport.h"
#include "LibraryFixture.h"

#include "app/Main.h"
#include "matrix/DescriptionBox.h"
#include "matrix/MatrixGrid.h"
#include "matrix/MatrixImport.h"
#include "support/RecordingMainView.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <algorithm>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

const std::string kInvalid = "The file you selected is Invalid!!!";
const std::string kExists = "This matrix already exists! Do you want to overwrite it?";
const std::string kNoName = "You must give a name to your Matrix!";
const std::string kSaved = "Your Matrix has been saved!";
const std::string kInfo = LibraryFixture::kInfo;

std::string newQuestion(const std::string& name) {
    return "Are you sure that you want\n\nto create a new Matrix called '" + name + "'?";
}

// The test program folder, and a folder of source files apart from it.
struct Library : LibraryFixture {
    // Writes a source file and returns its path as the open-file dialog reports it.
    std::string source(const std::string& name, const std::string& bytes) const {
        return sources.write(name, bytes).string();
    }
    TempFolder sources;
};

// count lines of perRow values starting at first, joined by the separator, CR LF line ends.
std::string valueRows(int count, int perRow, int first, const std::string& separator) {
    std::string text;
    for (int row = 0; row < count; ++row) {
        for (int col = 0; col < perRow; ++col)
            text += (col ? separator : std::string()) + std::to_string(first + row * perRow + col);
        text += "\r\n";
    }
    return text;
}

// The 16-line layout of 128 values first, first + 1, ...
std::string mtxOf(int first) {
    return valueRows(16, 8, first, " ");
}

QLineEdit* box(QWidget* window, int index) {
    return child<QLineEdit>(window, QStringLiteral("TD_%1").arg(index).toLatin1().constData());
}

// The texts of all 128 boxes.
QStringList gridTexts(QWidget* window) {
    QStringList texts;
    for (int i = 0; i < 128; ++i)
        texts << box(window, i)->text();
    return texts;
}

QStringList numbered(int first, int count) {
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts << QString::number(first + i);
    return texts;
}

bool shown(QWidget& window) {
    window.show();
    return QTest::qWaitForWindowActive(&window);
}

void click(QWidget* window, const char* name) {
    QTest::mouseClick(child<QWidget>(window, name), Qt::LeftButton);
}

QString field(QWidget* window, const char* name) {
    return child<QLineEdit>(window, name)->text();
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class MatrixImportTest : public QObject {
    Q_OBJECT
private slots:
    void windowLooksAsSpecified();
    void textFileIsImportedAndSaved();
    void byteFileThroughTheSecondKind();
    void existingMatrixAsksBeforeOverwriting();
    void mainWindowOpensTheImport();
};

void MatrixImportTest::windowLooksAsSpecified() {
    Library lib;
    MatrixImport window(lib.state);
    QCOMPARE(window.windowTitle(), QStringLiteral("    Quire - Matrix Import"));
    const struct {
        const char* name;
        const char* text;
    } labels[] = {{"lblTitle", "Import a Matrix"},
                  {"lblPath", "File"},
                  {"lblName", "Name"},
                  {"lblDescription1", "Insert the Matrix's description here:"},
                  {"lblDescription2", "If needed, continue here:"}};
    for (const auto& l : labels)
        QCOMPARE(child<QLabel>(&window, l.name)->text(), QString::fromUtf8(l.text));
    QCOMPARE(child<ccXPButton>(&window, "cmdSave")->caption(), QStringLiteral("&Save"));
    QCOMPARE(child<ccXPButton>(&window, "cmdExit")->caption(), QStringLiteral("E&xit"));
    QCOMPARE(child<ccXPButton>(&window, "Command1")->caption(), QStringLiteral("..."));
    QCOMPARE(child<ccXPButton>(&window, "cmdSave")->foreColor(), colourOf("4210752"));
    QCOMPARE(child<QGroupBox>(&window, "frmFileType")->title(), QStringLiteral("File Type"));
    QCOMPARE(child<QGroupBox>(&window, "frmIntra")->title(), QStringLiteral("Intra"));
    QCOMPARE(child<QGroupBox>(&window, "frmNonIntra")->title(), QStringLiteral("Non Intra"));
    QVERIFY(child<QRadioButton>(&window, "Option1_0")->isChecked());
    QVERIFY(!child<QRadioButton>(&window, "Option1_1")->isChecked());
    QCOMPARE(child<QLabel>(&window, "lblTextFile")->text(), QStringLiteral("Text file"));
    QCOMPARE(child<QLabel>(&window, "lblBinaryFile")->text(), QStringLiteral(".XCM and/or .CQM Files"));
    QCOMPARE(window.palette().color(QPalette::Window), colourOf("16737808"));
    QCOMPARE(child<QLabel>(&window, "lblTitle")->palette().color(QPalette::WindowText), colourOf("16777215"));
    QCOMPARE(child<QWidget>(&window, "Shape1")->palette().color(QPalette::Window), colourOf("14306832"));
    QVERIFY(child<QLineEdit>(&window, "txtPath")->isReadOnly());
    for (int i : {0, 63, 64, 127}) {
        QVERIFY(!box(&window, i)->isEnabled());
        QCOMPARE(box(&window, i)->text(), QString());
    }
    QVERIFY(child<QWidget>(&window, "cmdSave")->isEnabled());
}

void MatrixImportTest::textFileIsImportedAndSaved() {
    Library lib;
    const std::string file = lib.source("Strong Film.txt", valueRows(16, 8, 8, ";"));
    const auto sourcesBefore = namesIn(lib.sources.path());
    const fs::path cwd = fs::current_path();
    MatrixImport window(lib.state);
    QVERIFY(shown(window));

    lib.prompter.expectFile(file);
    click(&window, "Command1");
    QCOMPARE(lib.prompter.fileDialogTitles(), std::vector<std::string>{"  Import"});
    QCOMPARE(lib.prompter.fileDialogFilters().front().front().patterns, std::string("*.txt"));
    QCOMPARE(field(&window, "txtPath"), QStringLiteral("Strong Film.txt"));
    QCOMPARE(field(&window, "txtMatrixName"), QStringLiteral("Strong Film"));
    QCOMPARE(gridTexts(&window), numbered(8, 128));
    QVERIFY(window.text1().starts_with("8 9 10 11 12 13 14 15\r\n"));

    // Descriptions typed with a line break; the save turns it into a blank.
    auto* line1 = child<DescriptionBox>(&window, "txtCustomMatrix1");
    line1->setFocus();
    QTest::keyClicks(line1, "Sharp");
    QTest::keyClick(line1, Qt::Key_Return);
    QTest::keyClicks(line1, "and clean");
    QTest::keyClicks(child<DescriptionBox>(&window, "txtCustomMatrix2"), "for films");

    lib.prompter.expect(newQuestion("Strong Film")).expect(kSaved);
    click(&window, "cmdSave");
    QVERIFY(lib.prompter.done());
    const auto& boxes = lib.prompter.shown();
    QCOMPARE(boxes.size(), std::size_t{2});
    QCOMPARE(boxes[0].title, std::string("New Matrix"));
    QCOMPARE(boxes[0].buttons, PromptButtons::OkCancel);
    QCOMPARE(boxes[0].icon, PromptIcon::Question);
    QCOMPARE(boxes[1].title, std::string("Quire"));
    QCOMPARE(boxes[1].icon, PromptIcon::None);

    QCOMPARE(lib.read("Strong Film.mtx"), mtxOf(8));
    QCOMPARE(lib.read("Matrix_Info.ini"), kInfo + "[strong film.mtx]\r\nInfo1=Sharp and clean\r\nInfo2=for films\r\n");
    QCOMPARE(lib.read("Matrix_Info_Custom.ini"), std::string("[strong film.mtx]\r\nInfo1=Sharp and clean\r\n"
                                                             "Info2=for films\r\n"));
    QCOMPARE(line1->toPlainText(), QStringLiteral("Sharp and clean"));
    QCOMPARE(lib.mainView.calls, std::vector<std::string>{"resetView"});
    QVERIFY(window.isVisible()); // the window stays open
    // Nothing was written beside the source file and the working folder is where it was.
    QCOMPARE(namesIn(lib.sources.path()), sourcesBefore);
    QCOMPARE(fs::current_path(), cwd);
}

void MatrixImportTest::byteFileThroughTheSecondKind() {
    Library lib;
    std::string bytes;
    for (int i = 0; i < 130; ++i)
        bytes += static_cast<char>(i == 1 ? 200 : 8 + i % 100);
    const std::string file = lib.source("Grain.cqm", bytes);
    MatrixImport window(lib.state);
    QVERIFY(shown(window));
    QTest::mouseClick(child<QRadioButton>(&window, "Option1_1"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>(&window, "Option1_1")->isChecked());

    // 130 bytes: no multiple of 8, so the message, but its first 128 bytes are imported.
    lib.prompter.expectFile(file).expect(kInvalid);
    click(&window, "Command1");
    QCOMPARE(lib.prompter.fileDialogFilters().front().front().description, std::string("CQM XCM Files"));
    QCOMPARE(lib.prompter.fileDialogFilters().front().front().patterns, std::string("*.cqm;*.xcm"));
    QCOMPARE(field(&window, "txtMatrixName"), QStringLiteral("Grain"));
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("8"));
    QCOMPARE(box(&window, 1)->text(), QStringLiteral("200"));
    QCOMPARE(box(&window, 92)->text(), QStringLiteral("100"));
    QCOMPARE(box(&window, 127)->text(), QStringLiteral("35"));

    lib.prompter.expect(newQuestion("Grain")).expect(kSaved);
    click(&window, "cmdSave");
    std::string expected;
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 8; ++col) {
            const int k = row * 8 + col;
            expected += (col ? " " : "") + std::to_string(k == 1 ? 200 : 8 + k % 100);
        }
        expected += "\r\n";
    }
    QCOMPARE(lib.read("Grain.mtx"), expected);
    // An empty description line 1 is stored as one blank.
    QCOMPARE(lib.read("Matrix_Info_Custom.ini"), std::string("[grain.mtx]\r\nInfo1= \r\nInfo2=\r\n"));
}

void MatrixImportTest::existingMatrixAsksBeforeOverwriting() {
    Library lib;
    lib.program.write("Lib/1-High_High(4000+).mtx", mtxOf(8));
    MatrixImport window(lib.state);
    QVERIFY(shown(window));
    lib.prompter.expectFile(lib.source("1-High_High(4000+).txt", mtxOf(30)));
    click(&window, "Command1");

    // An empty name is refused first and takes the focus.
    child<QLineEdit>(&window, "txtMatrixName")->clear();
    lib.prompter.expect(kNoName);
    click(&window, "cmdSave");
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtMatrixName"));

    QTest::keyClicks(child<QLineEdit>(&window, "txtMatrixName"), "1-High_High(4000+)");
    lib.prompter.expect(kExists, PromptAnswer::Cancel);
    click(&window, "cmdSave");
    QCOMPARE(lib.read("1-High_High(4000+).mtx"), mtxOf(8));
    QCOMPARE(lib.read("Matrix_Info.ini"), kInfo);

    QTest::keyClicks(child<DescriptionBox>(&window, "txtCustomMatrix1"), "Imported again");
    lib.prompter.expect(kExists).expect(kSaved);
    click(&window, "cmdSave");
    QCOMPARE(lib.read("1-High_High(4000+).mtx"), mtxOf(30));
    QCOMPARE(lib.read("Matrix_Info.ini"), std::string("[1-high_high(4000+).mtx]\r\nInfo1=Imported again\r\n"
                                                      "Info2=\r\n"));
    QCOMPARE(lib.read("Matrix_Info_Custom.ini"),
             std::string("[1-high_high(4000+).mtx]\r\nInfo1=Imported again\r\nInfo2=\r\n"));
}

void MatrixImportTest::mainWindowOpensTheImport() {
    Library lib;
    const std::string folder = (lib.program / "Lib").string();
    lib.program.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=" + folder +
                                        "\r\nInterfaceVersion=7\r\n[Colors]\r\nBackColor=16737808\r\n"
                                        "TextColor=16777215\r\nStripesColor=14306832\r\nButtonsColor=4210752\r\n");
    Main main(lib.program.path(), lib.prompter);
    main.start();
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));

    click(&main, "cmdImport");
    auto* import = main.findChild<MatrixImport*>();
    QVERIFY(import && import->isVisible());
    QVERIFY(import->isModal());
    QVERIFY(import->testAttribute(Qt::WA_DeleteOnClose));
    import->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), import);

    lib.prompter.expectFile(lib.source("Soft.txt", mtxOf(9)));
    click(import, "Command1");
    lib.prompter.expect(newQuestion("Soft")).expect(kSaved);
    click(import, "cmdSave");
    QCOMPARE(lib.read("Soft.mtx"), mtxOf(9));
    // The main window's list shows the new matrix.
    QVERIFY(!child<QListWidget>(&main, "lstMatrix")->findItems(QStringLiteral("Soft.mtx"), Qt::MatchExactly).isEmpty());
    click(import, "cmdExit");
    QTRY_VERIFY(!main.findChild<MatrixImport*>());
}

QTEST_MAIN(MatrixImportTest)
#include "MatrixImportTest.moc"
