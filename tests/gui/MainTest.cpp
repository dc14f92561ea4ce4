// The main window driven headless: the start-up in its variants, the viewer, the deletion.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "app/Main.h"
#include "matrix/DefaultSet.h"
#include "matrix/Library.h"
#include "matrix/MatrixEdit.h"
#include "ui/Localisation.h"
#include "ui/Setup.h"
#include "ui/XPButton.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
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
    list->scrollToItem(items.first());
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
    void languageFileWithoutPreviewCaption();
    void matrixFolderWithoutDescriptionIndex();
    void selectShowsValuesAndDescription();
    void keyboardMovesDidNotRunSelect();
    void lastRowHidUnderTheScrollBar();
    void listDidNotShowTheKeyboardFocus();
    void deleteAsksAndCancelChangesNothing();
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

void MainTest::languageFileWithoutPreviewCaption() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    std::string english(*builtinLanguageText("English.lng"));
    const auto at = english.find("cmdPreview=");
    english.erase(at, english.find("\r\n", at) + 2 - at);
    program.write("Languages/English.lng", english);
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    window.start();
    // The captions were applied from the file as it was; the file is rewritten for the next start.
    QCOMPARE(child<ccXPButton>(&window, "cmdPreview")->caption(), QString());
    QVERIFY(program.read("Languages/English.lng").find("cmdPreview=&Preview/Test") != std::string::npos);
    const auto codes = startCodes(program);
    QVERIFY(std::find(codes.begin(), codes.end(), "MA0023") != codes.end());
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

// Arrow keys, type-ahead, Home and End show the matrix they move to, and Edit and Delete act on it.
void MainTest::keyboardMovesDidNotRunSelect() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    const std::string row = "20 20 20 20 20 20 20 20\r\n";
    std::string one = "08" + row.substr(2);
    for (int i = 1; i < 16; ++i)
        one += row;
    std::string two = one;
    std::replace(two.begin(), two.end(), '2', '3');
    program.write("Lib/Zeta One.mtx", one);
    program.write("Lib/Zeta Two.mtx", two);
    const fs::path index = program / "Lib/Matrix_Info.ini";
    ini::SetValue("zeta one.mtx", "Info1", "One a", index);
    ini::SetValue("zeta one.mtx", "Info2", "One b", index);
    ini::SetValue("zeta two.mtx", "Info1", "Two a", index);
    ini::SetValue("zeta two.mtx", "Info2", "Two b", index);
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    QVERIFY(startShown(window));
    auto* list = child<QListWidget>(&window, "lstMatrix");
    auto* description = child<QPlainTextEdit>(&window, "txtMatrix");
    clickItem(window, "Zeta One.mtx");
    QCOMPARE(description->toPlainText(), QStringLiteral("One a One b"));

    const struct {
        QString keys;
        Qt::Key key;
        QString shown;
        QString cell1;
    } moves[] = {
        {{}, Qt::Key_Home, "1-High_High(4000+).mtx", "08"},
        {"Marlo", Qt::Key_unknown, "Marlo (1500-2500).mtx", "18"},
        {{}, Qt::Key_End, "Zeta Two.mtx", "30"},
        {{}, Qt::Key_Up, "Zeta One.mtx", "20"},
        {{}, Qt::Key_Down, "Zeta Two.mtx", "30"},
    };
    for (const auto& move : moves) {
        if (move.keys.isEmpty())
            QTest::keyClick(list, move.key);
        else
            QTest::keyClicks(list, move.keys);
        QCOMPARE(list->currentItem()->text(), move.shown);
        QCOMPARE(cell(window, 1), move.cell1);
        MatrixCells read = emptyGrid();
        const auto info = library::select(program / "Lib", move.shown.toStdString(), read);
        QCOMPARE(description->toPlainText(), QString::fromStdString(info.shown()));
    }

    // Edit opens the shown matrix with its own description; Save writes it to its own section.
    QTest::mouseClick(child<QWidget>(&window, "cmdEdit"), Qt::LeftButton);
    auto* edit = window.findChild<MatrixEdit*>();
    QVERIFY(edit && QTest::qWaitForWindowActive(edit));
    QCOMPARE(child<QLineEdit>(edit, "txtMatrixName")->text(), QStringLiteral("Zeta Two"));
    prompter
        .expect("Are you sure that you want to replace the Matrix'Zeta Two' ?\n\nIf you want to create a new "
                "one, just give it a different name.")
        .expect("Your Matrix has been saved!");
    QTest::mouseClick(child<QWidget>(edit, "cmdSave"), Qt::LeftButton);
    QCOMPARE(ini::GetValue("zeta two.mtx", "Info1", index), std::string("Two a"));
    QCOMPARE(ini::GetValue("zeta one.mtx", "Info1", index), std::string("One a"));
    QTest::mouseClick(child<QWidget>(edit, "cmdExit"), Qt::LeftButton);
    QTRY_VERIFY(!window.findChild<MatrixEdit*>());

    // Delete asks about the matrix the keyboard moved to.
    window.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &window);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Up);
    prompter.expect("Are you sure that you want\n\nto delete the Matrix called 'Zeta One.mtx'?", PromptAnswer::Cancel);
    QTest::mouseClick(child<QWidget>(&window, "cmdDelete"), Qt::LeftButton);
}

// Whatever the scroll position, the list shows whole rows only.
void MainTest::lastRowHidUnderTheScrollBar() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    QVERIFY(startShown(window));
    auto* list = child<QListWidget>(&window, "lstMatrix");
    QVERIFY(list->horizontalScrollBar()->isVisible()); // a default name is wider than the list
    QScrollBar* bar = list->verticalScrollBar();
    for (const int position : {bar->minimum(), bar->maximum()}) {
        bar->setValue(position);
        const QRect area = list->viewport()->rect();
        for (int i = 0; i < list->count(); ++i) {
            const QRect row = list->visualItemRect(list->item(i));
            const bool outside = row.bottom() < area.top() || row.top() > area.bottom();
            const bool inside = row.top() >= area.top() && row.bottom() <= area.bottom();
            QVERIFY2(outside || inside, qPrintable(list->item(i)->text()));
        }
    }
    QVERIFY(list->visualItemRect(list->item(list->count() - 1)).bottom() <= list->viewport()->rect().bottom());
}

// While the list has the keyboard focus, the outline of its current entry stands out clearly
// (a lightness step of at least a quarter) from the same entry drawn without the focus.
void MainTest::listDidNotShowTheKeyboardFocus() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    QVERIFY(startShown(window));
    auto* list = child<QListWidget>(&window, "lstMatrix");
    clickItem(window, "Dovan (2500-3000).mtx");
    const QRect row = list->visualItemRect(list->currentItem());
    const auto drawn = [&] { return list->viewport()->grab(row).toImage(); };
    QVERIFY(list->hasFocus());
    const QImage focused = drawn();
    child<QWidget>(&window, "cmdNew")->setFocus();
    QTRY_VERIFY(!list->hasFocus());
    const QImage unfocused = drawn();
    int step = 0;
    for (int x = 0; x < focused.width(); ++x)
        for (const int y : {0, focused.height() - 1})
            step =
                std::max(step, std::abs(focused.pixelColor(x, y).lightness() - unfocused.pixelColor(x, y).lightness()));
    QVERIFY2(step >= 64, qPrintable(QString::number(step)));
}

void MainTest::deleteAsksAndCancelChangesNothing() {
    TempFolder program;
    prepareOrdinaryFolder(program);
    const std::string index = program.read("Lib/Matrix_Info.ini");
    ScriptedPrompter prompter(qtReporter());
    Main window(program.path(), prompter);
    QVERIFY(startShown(window));
    clickItem(window, "Marlo (1500-2500).mtx");
    prompter.expect("Are you sure that you want\n\nto delete the Matrix called 'Marlo (1500-2500).mtx'?",
                    PromptAnswer::Cancel);
    QTest::mouseClick(child<QWidget>(&window, "cmdDelete"), Qt::LeftButton);
    QCOMPARE(prompter.shown().back().title, std::string("WARNING!!!"));
    QCOMPARE(prompter.shown().back().buttons, PromptButtons::OkCancel);
    QCOMPARE(prompter.shown().back().icon, PromptIcon::Question);
    QVERIFY(fs::exists(program / "Lib/Marlo (1500-2500).mtx"));
    QCOMPARE(program.read("Lib/Matrix_Info.ini"), index);
    QVERIFY(child<QWidget>(&window, "cmdDelete")->isEnabled());
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
    prompter.expect("Are you sure that you want\n\nto delete the Matrix called 'My Own.mtx'?", PromptAnswer::Ok);
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
