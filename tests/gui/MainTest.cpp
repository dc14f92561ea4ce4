// The main window driven headless: the start-up in its variants, the viewer, the deletion.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "app/Main.h"
#include "matrix/DefaultSet.h"
#include "ui/Localisation.h"
#include "ui/Setup.h"
#include "ui/XPButton.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

const std::string kFourLines = "Matrix Editor has created a Matrix folder on its directory!!!\r\n"
                               "Note that you should point the path to Tessera's Matrix folder\r\n"
                               "to enable the automatic detection (by Tessera) of the matrices you may\r\n"
                               "create and/or edit with the Editor";

// The codes of BUG.DEB after its start line, without the time stamps.
std::vector<std::string> logCodes(const TempFolder& folder) {
    std::vector<std::string> codes;
    const std::string log = folder.read("BUG.DEB");
    std::size_t pos = 0;
    while ((pos = log.find(" --> ", pos)) != std::string::npos) {
        pos += 5;
        const auto end = log.find("\r\n", pos);
        codes.push_back(log.substr(pos, end - pos));
    }
    return codes;
}

std::vector<std::string> startCodes(const TempFolder& folder) {
    std::vector<std::string> codes;
    for (const auto& line : logCodes(folder))
        if (line.starts_with("MA") || line.starts_with("0001"))
            codes.push_back(line.substr(0, line.find(':')));
    return codes;
}

QStringList listed(Main& window) {
    QStringList names;
    auto* list = window.findChild<QListWidget*>("lstMatrix");
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

QString cell(Main& window, int index) {
    return window.findChild<QLineEdit*>(QStringLiteral("TD_%1").arg(index))->text();
}

// A program folder as a finished first start leaves it, with the matrix folder "Lib".
void prepareOrdinaryFolder(const TempFolder& program) {
    ScriptedPrompter quiet;
    WriteLanguageFiles(quiet, program.path());
    const std::string lib = (program / "Lib").string();
    program.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=" + lib +
                                    "\r\nInterfaceVersion=7\r\n[Colors]\r\nBackColor=16737808\r\n"
                                    "TextColor=16777215\r\nStripesColor=14306832\r\nButtonsColor=4210752\r\n");
    fs::create_directories(program / "Lib");
    WriteDefaultMatrices(program / "Lib");
    program.write("Lib/Matrix_Info.ini", std::string(defaultMatrixInfo()));
    program.write("Lib/Matrix_Info_Custom.ini", "");
}

// Starts the window and shows it active, so that its buttons take clicks.
bool startShown(Main& window) {
    window.start();
    window.show();
    return QTest::qWaitForWindowActive(&window);
}

void clickItem(Main& window, const QString& name) {
    auto* list = window.findChild<QListWidget*>("lstMatrix");
    const auto items = list->findItems(name, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    list->setCurrentItem(items.first());
    const QRect rect = list->visualItemRect(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class MainTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunCancelCreatesMatrixFolder();
    void firstRunApplyUsesTheChosenFolder();
    void ordinaryStartLogsItsCodesAndShowsNoBox();
    void oldInterfaceVersionRewritesLanguageFiles();
    void matrixFolderWithoutDescriptionIndex();
    void selectShowsValuesAndDescription();
    void deleteRemovesFileAndSections();
    void readOnlyFileStaysAfterDelete();
    void brokenEditorIniNeverCrashes();
};

void MainTest::firstRunCancelCreatesMatrixFolder() {
    TempFolder program;
    ScriptedPrompter prompter(qtReporter());
    prompter.expect("Interface Updated").expect("Interface Updated");
    prompter.expect("The 'Matrix' folder wasn't found!!!\nPlease select the path to it.");
    Main window(program.path(), prompter);
    QSignalSpy started(&window, &Main::started);
    window.start();
    QCOMPARE(started.count(), 0);
    Setup* setup = window.setupWindow();
    QVERIFY(setup && setup->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(setup));
    QCOMPARE(child<QWidget>(setup, "lblMatPath")->property("text").toString(), QString());
    QVERIFY(!child<QWidget>(setup, "OKButton")->isEnabled());
    QVERIFY(child<QWidget>(setup, "cmdCancel")->isEnabled());

    prompter.expect(kFourLines);
    QTest::mouseClick(child<QWidget>(setup, "cmdCancel"), Qt::LeftButton);
    QTRY_COMPARE(started.count(), 1);

    const fs::path matrix = program / "Matrix";
    QVERIFY(fs::is_directory(matrix));
    for (const auto name : kDefaultMatrixNames)
        QVERIFY2(fs::exists(matrix / name), std::string(name).c_str());
    QCOMPARE(listed(window).size(), 16);
    QCOMPARE(program.read("Matrix/Matrix_Info_Custom.ini"), std::string());
    QVERIFY(program.read("Matrix/Matrix_Info.ini").starts_with("[1-high_high(4000+).mtx]"));
    QCOMPARE(ini::GetValue("Config", "Language", program / "Editor.ini"), std::string("English.lng"));
    QCOMPARE(ini::GetValue("Config", "MatrixFolder", program / "Editor.ini"), matrix.string());
    QCOMPARE(ini::GetValue("Config", "InterfaceVersion", program / "Editor.ini"), std::string("7"));
    for (const auto name : kLanguageFileNames)
        QVERIFY(fs::exists(program / "Languages" / name));
    const std::vector<std::string> expected = {"0001",   "MA0001", "MA0002", "MA0004", "MA0007", "MA0008",
                                               "MA0009", "MA0010", "MA0011", "MA0012", "MA0013", "MA0014",
                                               "MA0015", "MA0016", "MA0017", "MA0022", "MA0024"};
    QCOMPARE(startCodes(program), expected);
    QVERIFY(program.read("BUG.DEB").starts_with("TESSERA MATRIX EDITOR (Quire) STARTED\r\n"));
}

void MainTest::firstRunApplyUsesTheChosenFolder() {
    TempFolder program;
    fs::create_directories(program / "Lib");
    program.write("Lib/mine.mtx", "x\r\n");
    ScriptedPrompter prompter(qtReporter());
    prompter.expect("Interface Updated").expect("Interface Updated");
    prompter.expect("The 'Matrix' folder wasn't found!!!\nPlease select the path to it.");
    Main window(program.path(), prompter);
    QSignalSpy started(&window, &Main::started);
    window.start();
    Setup* setup = window.setupWindow();
    QVERIFY(setup);
    QVERIFY(QTest::qWaitForWindowActive(setup));
    prompter.expectFolder((program / "Lib").string());
    QTest::mouseClick(child<QWidget>(setup, "cmdBrowse"), Qt::LeftButton);
    QVERIFY(child<QWidget>(setup, "OKButton")->isEnabled());
    QTest::mouseClick(child<QWidget>(setup, "OKButton"), Qt::LeftButton);
    QTRY_COMPARE(started.count(), 1);

    QCOMPARE(ini::GetValue("Config", "MatrixFolder", program / "Editor.ini"), (program / "Lib").string());
    QCOMPARE(listed(window).size(), 17);
    QCOMPARE(program.read("Lib/mine.mtx"), std::string("x\r\n"));
    QVERIFY(program.read("Lib/Matrix_Info.ini").starts_with("[1-high_high(4000+).mtx]"));
    QVERIFY(!fs::exists(program / "Matrix"));
}

void MainTest::ordinaryStartLogsItsCodesAndShowsNoBox() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    const std::string editorIni = program.read("Editor.ini");
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    window.start();
    const std::vector<std::string> expected = {"MA0002", "MA0004", "MA0007", "MA0009", "MA0010", "MA0012",
                                               "MA0015", "MA0016", "MA0017", "MA0022", "MA0024"};
    QCOMPARE(startCodes(program), expected);
    QCOMPARE(logCodes(program).front(), std::string("MA0002: Language read OK"));
    QCOMPARE(program.read("Editor.ini"), editorIni);
    QCOMPARE(window.windowTitle(), QStringLiteral("  Q.U.I.R.E. 0.2.0.9"));
    QCOMPARE(window.size(), QSize(720, 444));
    QCOMPARE(child<ccXPButton>(&window, "cmdPreview")->caption(), QStringLiteral("&Preview/Test"));
    QCOMPARE(child<ccXPButton>(&window, "cmdNew")->toolTip(), QStringLiteral("Click to create your own Matrix."));
    QCOMPARE(child<QWidget>(&window, "lblMatrices")->property("text").toString(),
             QStringLiteral("Matrices (click to select)"));
    QVERIFY(!child<QWidget>(&window, "cmdEdit")->isEnabled());
    QVERIFY(!child<QWidget>(&window, "cmdDelete")->isEnabled());
    QCOMPARE(cell(window, 0), QStringLiteral("000"));
    QCOMPARE(cell(window, 127), QStringLiteral("000"));
    QCOMPARE(listed(window).size(), 16);
}

void MainTest::oldInterfaceVersionRewritesLanguageFiles() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    ini::SetValue("Config", "InterfaceVersion", "6", program / "Editor.ini");
    program.write("Languages/English.lng", "English\r\n\r\n[MAIN]\r\ncmdExit=Old\r\n");
    ScriptedPrompter prompter(qtReporter());
    prompter.expect("Interface Updated");
    Main window(program.path(), prompter);
    window.start();
    QCOMPARE(ini::GetValue("Config", "InterfaceVersion", program / "Editor.ini"), std::string("7"));
    QCOMPARE(program.read("Languages/English.lng"), std::string(*builtinLanguageText("English.lng")) + "\r\n");
    QCOMPARE(startCodes(program).front(), std::string("MA0001"));
    QCOMPARE(prompter.shown().at(0).title, std::string("Quire"));
}

void MainTest::matrixFolderWithoutDescriptionIndex() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    fs::remove_all(program / "Lib");
    program.write("Lib/Mine.mtx", "1 2 3\r\n");
    program.write("Lib/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=Mine\r\n");
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    window.start();
    QCOMPARE(program.read("Lib/Mine.mtx"), std::string("1 2 3\r\n"));
    QCOMPARE(program.read("Lib/Matrix_Info_Custom.ini"), std::string("[mine.mtx]\r\nInfo1=Mine\r\n"));
    QCOMPARE(program.read("Lib/Matrix_Info.ini"), std::string(defaultMatrixInfo()));
    QCOMPARE(listed(window).size(), 17);
    const auto codes = startCodes(program);
    for (const char* code : {"MA0018", "MA0019", "MA0020", "MA0021"})
        QVERIFY2(std::find(codes.begin(), codes.end(), code) != codes.end(), code);
}

void MainTest::selectShowsValuesAndDescription() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    QVERIFY(startShown(window));
    clickItem(window, "1-High_High(4000+).mtx");
    QCOMPARE(cell(window, 0), QStringLiteral("08"));
    QCOMPARE(cell(window, 7), QStringLiteral("17"));
    QCOMPARE(cell(window, 64), QStringLiteral("08"));
    QCOMPARE(cell(window, 127), QStringLiteral("11"));
    QVERIFY(child<QWidget>(&window, "cmdEdit")->isEnabled());
    QVERIFY(child<QWidget>(&window, "cmdDelete")->isEnabled());
    QVERIFY(!child<QPlainTextEdit>(&window, "txtMatrix")->toPlainText().trimmed().isEmpty());

    // A file of eight lines fills the intra table; the non-intra cells keep their text.
    std::string eight;
    for (int i = 0; i < 8; ++i)
        eight += "20 21 22 23 24 25 26 27\r\n";
    program.write("Lib/Eight.mtx", eight);
    window.refreshMatrixList();
    clickItem(window, "Eight.mtx");
    QCOMPARE(cell(window, 63), QStringLiteral("27"));
    QCOMPARE(cell(window, 64), QStringLiteral("08"));
    QCOMPARE(child<QPlainTextEdit>(&window, "txtMatrix")->toPlainText(), QStringLiteral(" "));

    // Binary junk shows as text and never crashes.
    std::string junk;
    for (int i = 0; i < 3000; ++i)
        junk += static_cast<char>(i * 37 % 256);
    program.write("Lib/Junk.mtx", junk);
    window.refreshMatrixList();
    clickItem(window, "Junk.mtx");
}

void MainTest::deleteRemovesFileAndSections() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    program.write("Lib/My Own.mtx", "08 08 08 08 08 08 08 08\r\n");
    ini::SetValue("my own.mtx", "Info1", "Mine", program / "Lib/Matrix_Info.ini");
    ini::SetValue("my own.mtx", "Info1", "Mine", program / "Lib/Matrix_Info_Custom.ini");
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    QVERIFY(startShown(window));
    clickItem(window, "My Own.mtx");
    QCOMPARE(child<QPlainTextEdit>(&window, "txtMatrix")->toPlainText(), QStringLiteral("Mine "));
    const std::string question = "Are you sure that you want\n\nto delete the Matrix called 'My Own.mtx'?";
    prompter.expect(question, PromptAnswer::Cancel);
    QTest::mouseClick(child<QWidget>(&window, "cmdDelete"), Qt::LeftButton);
    QCOMPARE(prompter.shown().back().title, std::string("WARNING!!!"));
    QCOMPARE(prompter.shown().back().buttons, PromptButtons::OkCancel);
    QVERIFY(fs::exists(program / "Lib/My Own.mtx"));
    QVERIFY(child<QWidget>(&window, "cmdDelete")->isEnabled());
    prompter.expect(question, PromptAnswer::Ok);
    QTest::mouseClick(child<QWidget>(&window, "cmdDelete"), Qt::LeftButton);
    QVERIFY(!fs::exists(program / "Lib/My Own.mtx"));
    QVERIFY(program.read("Lib/Matrix_Info.ini").find("[my own.mtx]") == std::string::npos);
    QCOMPARE(program.read("Lib/Matrix_Info_Custom.ini"), std::string());
    QCOMPARE(cell(window, 0), QStringLiteral("000"));
    QVERIFY(!child<QWidget>(&window, "cmdEdit")->isEnabled());
    QVERIFY(!child<QWidget>(&window, "cmdDelete")->isEnabled());
    QVERIFY(child<QPlainTextEdit>(&window, "txtMatrix")->toPlainText().isEmpty());
    QVERIFY(!listed(window).contains("My Own.mtx"));
}

void MainTest::readOnlyFileStaysAfterDelete() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    fs::remove(program / "Lib/Matrix_Info_Custom.ini");
    program.write("Lib/Locked.mtx", "10 10\r\n");
    fs::permissions(program / "Lib/Locked.mtx", fs::perms::owner_read);
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    QVERIFY(startShown(window));
    // Start-up made the missing custom index again; take it away for the deletion.
    fs::remove(program / "Lib/Matrix_Info_Custom.ini");
    clickItem(window, "Locked.mtx");
    prompter.expect("", PromptAnswer::Ok);
    prompter.expect((program / "Lib" / "Matrix_Info_Custom.ini").string() + " not found.");
    QTest::mouseClick(child<QWidget>(&window, "cmdDelete"), Qt::LeftButton);
    QVERIFY(fs::exists(program / "Lib/Locked.mtx"));
    QVERIFY(listed(window).contains("Locked.mtx"));
    QCOMPARE(cell(window, 0), QStringLiteral("000"));
}

void MainTest::brokenEditorIniNeverCrashes() {
    const std::string junk = [] {
        std::string s;
        for (int i = 0; i < 5000; ++i)
            s += static_cast<char>((i * 131 + 7) % 256);
        return s;
    }();
    const std::string repeated = "[Config]\r\nLanguage=English.lng\r\n[Config]\r\nLanguage=Nope.lng\r\n"
                                 "[Colors]\r\nBackColor=" +
                                 std::string(1024 * 1024, '9') + "\r\n";
    for (const std::string& content : {junk, repeated}) {
        TempFolder program;
        program.write("Editor.ini", content);
        ScriptedPrompter prompter([](const std::string&) {});
        Main window(program.path(), prompter);
        QSignalSpy started(&window, &Main::started);
        window.start();
        if (Setup* setup = window.setupWindow()) {
            QVERIFY(QTest::qWaitForWindowActive(setup));
            QTest::mouseClick(child<QWidget>(setup, "cmdCancel"), Qt::LeftButton);
        }
        QTRY_COMPARE(started.count(), 1);
        QVERIFY(fs::exists(program / "BUG.DEB"));
    }
}

QTEST_MAIN(MainTest)
#include "MainTest.moc"
