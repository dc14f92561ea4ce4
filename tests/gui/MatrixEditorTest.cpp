// The new-matrix and edit windows driven headless: typing into the boxes, leaving them, Multiple
// Edit, both saves answered question by question, the files they leave, and the main window's
// New and Edit buttons.
#include "GuiSupport.h"
#include "LibraryFixture.h"

#include "app/Main.h"
#include "matrix/DescriptionBox.h"
#include "matrix/MatrixEdit.h"
#include "matrix/MatrixGrid.h"
#include "matrix/MatrixWindow.h"
#include "support/RecordingMainView.h"
#include "ui/Localisation.h"
#include "ui/XPButton.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

const std::string kWarning1 = "The values must be NUMBERS between 8 and 255!";
const std::string kWarning2 = "This matrix may not be compatible with CCE!";
const std::string kFirstIntra =
    "Some DVD players may not play the resulting files if the first INTRA value isn't \"8\"!";
const std::string kCreated = "Your new Matrix has been created!";
const std::string kSaved = "Your Matrix has been saved!";
const std::string kInfo = LibraryFixture::kInfo;
const QColor kPaleYellow(255, 255, 192);
const QColor kGreen(0, 128, 0);

std::string newQuestion(const std::string& name) {
    return "Are you sure that you want\n\nto create a new Matrix called '" + name + "'?";
}

using Library = LibraryFixture;

QLineEdit* box(QWidget* window, int index) {
    return child<QLineEdit>(window, QStringLiteral("TD_%1").arg(index).toLatin1().constData());
}

QColor background(QWidget* window, int index) {
    return box(window, index)->palette().color(QPalette::Base);
}

// The colour the box is drawn with just inside its frame, left of any text.
QColor drawnBackground(QWidget* window, int index) {
    return box(window, index)->grab().toImage().pixelColor(3, 10);
}

// Shows the window and waits until it is active, so that focus and button clicks work.
bool shown(QWidget& window) {
    window.show();
    return QTest::qWaitForWindowActive(&window);
}

// Types text into the box that has the focus and leaves it with Tab.
void typeAndTab(const QString& text) {
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClicks(focused, text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

// A file of 16 lines, every value the same.
std::string uniformFile(const std::string& value) {
    std::string line = value;
    for (int i = 1; i < 8; ++i)
        line += " " + value;
    std::string file;
    for (int i = 0; i < 16; ++i)
        file += line + "\r\n";
    return file;
}

void click(QWidget* window, const char* name) {
    QTest::mouseClick(child<QWidget>(window, name), Qt::LeftButton);
}

} // namespace

class MatrixEditorTest : public QObject {
    Q_OBJECT
private slots:
    void newWindowShowsItsGridCaptionsAndColours();
    void tabWalksTheBoxesInIndexOrder();
    void typingStopsAtThreeCharacters();
    void typingTwoHundredWarnsAtTheThirdDigit();
    void fivePassesTheChangeCheckAndFailsOnLeaving();
    void nonNumberIsRejectedAndKeepsTheFocus();
    void descriptionTakesAtMost254TypedCharacters();
    void clickSelectsTheWholeText();
    void newWindowSavesTypedMatrix();
    void unvisitedBoxIsRefusedAtSave();
    void invalidNameAndUnrepresentableTextAreRefused();
    void editWindowLoadsTheSelectedMatrix();
    void subtractingTenFromEightSavesMinusTwo();
    void multipleEditRefusesABadAmount();
    void mainWindowOpensBothEditors();
};

void MatrixEditorTest::newWindowShowsItsGridCaptionsAndColours() {
    Library lib;
    Matrix window(lib.state);
    QCOMPARE(window.windowTitle(), QStringLiteral("    Quire - Matrix Creation"));
    QCOMPARE(child<QLabel>(&window, "lblTitle")->text(), QStringLiteral("Use this window to create your own Matrix"));
    QCOMPARE(child<ccXPButton>(&window, "cmdSave")->caption(), QStringLiteral("&Save"));
    QVERIFY(!child<QWidget>(&window, "cmdSave")->isEnabled());

    // Twips at 15 to the pixel: column c at 90 + 390c, row r at 255 + 345r, 360 x 315.
    auto* intra = child<QGroupBox>(&window, "frmIntra");
    auto* nonIntra = child<QGroupBox>(&window, "frmNonIntra");
    QCOMPARE(intra->title(), QStringLiteral("Intra"));
    QCOMPARE(nonIntra->title(), QStringLiteral("Non Intra"));
    QCOMPARE(box(&window, 0)->parentWidget(), intra);
    QCOMPARE(box(&window, 0)->geometry(), QRect(6, 17, 24, 21));
    QCOMPARE(box(&window, 9)->geometry(), QRect(32, 40, 24, 21));
    QCOMPARE(box(&window, 63)->geometry(), QRect(188, 178, 24, 21));
    QCOMPARE(box(&window, 64)->parentWidget(), nonIntra);
    QCOMPARE(box(&window, 64)->geometry(), QRect(6, 17, 24, 21));
    QCOMPARE(box(&window, 127)->geometry(), QRect(188, 178, 24, 21));
    for (int i = 0; i < 128; ++i)
        QVERIFY(box(&window, i)->text().isEmpty());
    // The interface colours: background 16737808 is red 16, green 102, blue 255.
    QCOMPARE(window.palette().color(QPalette::Window), QColor(16, 102, 255));
    QCOMPARE(child<QLabel>(&window, "lblName")->palette().color(QPalette::WindowText), QColor(255, 255, 255));
}

void MatrixEditorTest::tabWalksTheBoxesInIndexOrder() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    QTRY_COMPARE(QApplication::focusWidget(), box(&window, 0));
    QCOMPARE(background(&window, 0), kPaleYellow);
    QCOMPARE(drawnBackground(&window, 0), kPaleYellow);
    for (int i = 0; i < 128; ++i) {
        QCOMPARE(QApplication::focusWidget(), box(&window, i));
        typeAndTab(QString::number(8 + i % 100));
    }
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtMatrixName"));
    QCOMPARE(box(&window, 63)->text(), QStringLiteral("71"));
    QCOMPARE(box(&window, 64)->text(), QStringLiteral("72"));
    QVERIFY(child<QWidget>(&window, "cmdSave")->isEnabled());
    QVERIFY(lib.prompter.shown().empty()); // no value reached 128
}

void MatrixEditorTest::typingStopsAtThreeCharacters() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    QTest::keyClicks(box(&window, 0), "1234"); // the fourth character is not taken
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("123"));
    QVERIFY(lib.prompter.shown().empty());
    // The program may put in a longer text; it is rejected, and can be shortened by typing.
    lib.prompter.expect(kWarning1);
    box(&window, 0)->setText(QStringLiteral("1000"));
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("1000"));
    box(&window, 0)->end(false);
    QTest::keyClick(box(&window, 0), Qt::Key_Backspace);
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("100"));
    QCOMPARE(background(&window, 0), QColor(Qt::white));
}

void MatrixEditorTest::typingTwoHundredWarnsAtTheThirdDigit() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    QTest::keyClick(box(&window, 0), Qt::Key_Tab); // box 0 left empty: it becomes "8"
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("8"));
    QLineEdit* target = box(&window, 1);
    QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyClicks(target, "20");
    QVERIFY(lib.prompter.shown().empty());
    QCOMPARE(target->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));
    lib.prompter.expect(kWarning2);
    QTest::keyClicks(target, "0");
    QCOMPARE(lib.prompter.shown().size(), std::size_t(1));
    QCOMPARE(lib.prompter.shown()[0].title, std::string("Quire"));
    QCOMPARE(lib.prompter.shown()[0].icon, PromptIcon::Exclamation);
    QCOMPARE(target->palette().color(QPalette::Text), kGreen);
    QCOMPARE(target->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(window.cceValue(), std::string("127"));
    QTest::keyClick(target, Qt::Key_Tab);
    QCOMPARE(window.cceValue(), std::string("200"));
    QCOMPARE(QApplication::focusWidget(), box(&window, 2));
}

void MatrixEditorTest::fivePassesTheChangeCheckAndFailsOnLeaving() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    QTest::keyClicks(box(&window, 0), "5");
    QCOMPARE(background(&window, 0), QColor(Qt::white));
    QVERIFY(child<QWidget>(&window, "cmdSave")->isEnabled());
    QVERIFY(lib.prompter.shown().empty());
    lib.prompter.expect(kWarning1);
    QTest::keyClick(box(&window, 0), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box(&window, 0));
    QCOMPARE(background(&window, 0), QApplication::palette().color(QPalette::Highlight));
    QCOMPARE(drawnBackground(&window, 0), QApplication::palette().color(QPalette::Highlight));
    QCOMPARE(box(&window, 0)->selectedText(), QStringLiteral("5"));
    QVERIFY(box(&window, 1)->text().isEmpty()); // the box the Tab aimed at was never entered
    // Typing over the selection replaces the rejected value.
    QTest::keyClicks(box(&window, 0), "8");
    QTest::keyClick(box(&window, 0), Qt::Key_Tab);
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("8"));
    QCOMPARE(QApplication::focusWidget(), box(&window, 1));
}

void MatrixEditorTest::nonNumberIsRejectedAndKeepsTheFocus() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    lib.prompter.expect(kWarning1);
    QTest::keyClicks(box(&window, 0), "a");
    QCOMPARE(background(&window, 0), QApplication::palette().color(QPalette::Highlight));
    QCOMPARE(box(&window, 0)->selectedText(), QStringLiteral("a"));
    QVERIFY(!child<QWidget>(&window, "cmdSave")->isEnabled());
    lib.prompter.expect(kWarning1);
    QTest::keyClicks(box(&window, 0), "300"); // replaces the selection; "300" is above 255
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("300"));
    QCOMPARE(lib.prompter.shown().size(), std::size_t(2));
}

void MatrixEditorTest::descriptionTakesAtMost254TypedCharacters() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    auto* line1 = child<DescriptionBox>(&window, "txtCustomMatrix1");
    line1->setFocus();
    QTest::keyClicks(line1, QString(250, QLatin1Char('a')));
    QTest::keyClick(line1, Qt::Key_Return);
    QTest::keyClicks(line1, "bcdefg");
    QCOMPARE(line1->toPlainText(), QString(250, QLatin1Char('a')) + QStringLiteral("\nbcd"));
    // The program's text is not cut; Escape leaves the window open.
    line1->setCrLfText(std::string(300, 'x'));
    QCOMPARE(line1->toPlainText().size(), 300);
    QTest::keyClick(line1, Qt::Key_Escape);
    QVERIFY(window.isVisible());
}

void MatrixEditorTest::clickSelectsTheWholeText() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    box(&window, 20)->setText(QStringLiteral("16"));
    QTest::mouseClick(box(&window, 20), Qt::LeftButton, {}, QPoint(3, 10));
    QCOMPARE(QApplication::focusWidget(), box(&window, 20));
    QCOMPARE(box(&window, 20)->selectedText(), QStringLiteral("16"));
    QCOMPARE(background(&window, 20), kPaleYellow);
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("8")); // box 0 was left empty
}

void MatrixEditorTest::newWindowSavesTypedMatrix() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    lib.prompter.expect(kWarning2); // when the third digit of "200" arrives in the last box
    for (int i = 0; i < 128; ++i)
        typeAndTab(i == 0 ? QStringLiteral("8") : i == 127 ? QStringLiteral("200") : QStringLiteral("16"));
    QCOMPARE(window.cceValue(), std::string("200"));
    QTest::keyClicks(child<QLineEdit>(&window, "txtMatrixName"), "Typed One");
    auto* line1 = child<DescriptionBox>(&window, "txtCustomMatrix1");
    line1->setFocus();
    QTest::keyClicks(line1, "Flat");
    QTest::keyClick(line1, Qt::Key_Return);
    QTest::keyClicks(line1, "sixteen");
    QCOMPARE(window.text1(), std::string("Flat\r\nsixteen"));
    QTest::keyClicks(child<DescriptionBox>(&window, "txtCustomMatrix2"), "for tests");

    lib.prompter.expect(newQuestion("Typed One")).expect(kCreated);
    click(&window, "cmdSave");
    QCOMPARE(lib.prompter.shown()[1].title, std::string("New Matrix"));
    QCOMPARE(lib.prompter.shown()[1].buttons, PromptButtons::OkCancel);
    QCOMPARE(lib.prompter.shown()[1].icon, PromptIcon::Question);
    QCOMPARE(lib.prompter.shown()[2].icon, PromptIcon::None);
    const std::string row = "16 16 16 16 16 16 16 16\r\n";
    std::string file = "8 16 16 16 16 16 16 16\r\n";
    for (int i = 1; i < 15; ++i)
        file += row;
    file += "16 16 16 16 16 16 16 200\r\n";
    QCOMPARE(lib.read("Typed One.mtx"), file);
    // The CCE warning, the two line breaks as two blanks, then the typed line 1 with its break as a blank.
    const std::string line1Stored = "This matrix may not be compatible with CCE!  Flat sixteen";
    const std::string section = "[typed one.mtx]\r\nInfo1=" + line1Stored + "\r\nInfo2=for tests\r\n";
    QCOMPARE(lib.read("Matrix_Info.ini"), kInfo + section);
    QCOMPARE(lib.read("Matrix_Info_Custom.ini"), section);
    QCOMPARE(line1->toPlainText(), QString::fromStdString(line1Stored));
    QCOMPARE(window.text1(), line1Stored);
    QCOMPARE(window.cceValue(), std::string("127"));
    QCOMPARE(lib.mainView.calls, std::vector<std::string>{"resetView"});
    QVERIFY(window.isVisible()); // stays open for another matrix

    click(&window, "cmdExit");
    QVERIFY(!window.isVisible());
}

void MatrixEditorTest::unvisitedBoxIsRefusedAtSave() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    typeAndTab(QStringLiteral("8"));
    typeAndTab(QStringLiteral("9"));
    // Clicking into the name leaves box 2, which becomes "8"; box 3 was never visited.
    auto* name = child<QLineEdit>(&window, "txtMatrixName");
    QTest::mouseClick(name, Qt::LeftButton);
    QCOMPARE(box(&window, 2)->text(), QStringLiteral("8"));
    QTest::keyClicks(name, "Holes");
    lib.prompter.expect("Please give every box a whole number: the Intra box in row 1, column 4 is empty.");
    click(&window, "cmdSave");
    QCOMPARE(QApplication::focusWidget(), box(&window, 3));
    QCOMPARE(background(&window, 3), kPaleYellow);
    QVERIFY(!fs::exists(lib.program / "Lib/Holes.mtx"));
    QCOMPARE(lib.read("Matrix_Info.ini"), kInfo);
}

void MatrixEditorTest::invalidNameAndUnrepresentableTextAreRefused() {
    Library lib;
    Matrix window(lib.state);
    QVERIFY(shown(window));
    for (int i = 0; i < 128; ++i)
        typeAndTab(QStringLiteral("8"));
    auto* name = child<QLineEdit>(&window, "txtMatrixName");
    QTest::keyClicks(name, "What?");
    lib.prompter.expect("The name \"What?\" can't be used for a matrix file: it holds one of the characters / \\ : * ? "
                        "\" < > |");
    click(&window, "cmdSave");
    QCOMPARE(QApplication::focusWidget(), name);

    name->setText(QStringLiteral("Kanji"));
    auto* line2 = child<DescriptionBox>(&window, "txtCustomMatrix2");
    QTest::sendKeyEvent(QTest::Click, line2, Qt::Key_unknown, QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"), {});
    lib.prompter.expect("The second description line holds characters that Tessera's files (Windows-1252) cannot "
                        "hold. Please remove them.");
    click(&window, "cmdSave");
    QCOMPARE(QApplication::focusWidget(), line2);
    QCOMPARE(lib.read("Matrix_Info_Custom.ini"), std::string());
    QVERIFY(!fs::exists(lib.program / "Lib/Kanji.mtx"));
}

void MatrixEditorTest::editWindowLoadsTheSelectedMatrix() {
    Library lib;
    std::string file = uniformFile("16");
    file.replace(0, 2, "08");
    file.replace(file.rfind("16"), 2, "200");
    file.replace(file.find("16 "), 2, "130");
    lib.program.write("Lib/Mine.mtx", file);
    lib.prompter.expect(kWarning2).expect(kWarning2); // one warning per value of 128 to 255
    MatrixEdit window(lib.state, "Mine.mtx", "Line one", "Line two");
    QCOMPARE(window.windowTitle(), QStringLiteral("   Quire -  Matrix Editing"));
    QCOMPARE(child<QLabel>(&window, "lblTitle")->text(), QStringLiteral("Use this window to edit the selected Matrix"));
    QCOMPARE(child<QLineEdit>(&window, "txtValue")->text(), QStringLiteral("0"));
    QVERIFY(child<QRadioButton>(&window, "Option1_0")->isChecked());
    QCOMPARE(child<QLineEdit>(&window, "txtMatrixName")->text(), QStringLiteral("Mine"));
    QCOMPARE(child<DescriptionBox>(&window, "txtCustomMatrix1")->toPlainText(), QStringLiteral("Line one"));
    QCOMPARE(window.text1(), std::string("Line one"));
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("08"));
    QCOMPARE(box(&window, 1)->text(), QStringLiteral("130"));
    QCOMPARE(box(&window, 127)->text(), QStringLiteral("200"));
    QCOMPARE(box(&window, 127)->palette().color(QPalette::Text), kGreen);
    QVERIFY(child<QWidget>(&window, "cmdSave")->isEnabled());
    QCOMPARE(window.cceValue(), std::string("127")); // loading marks nothing: no box was left
}

void MatrixEditorTest::subtractingTenFromEightSavesMinusTwo() {
    Library lib;
    lib.program.write("Lib/Mine.mtx", uniformFile("18").replace(0, 2, "08"));
    lib.program.write("Lib/Matrix_Info.ini", kInfo + "[mine.mtx]\r\nInfo1=Old\r\nInfo2=\r\n");
    MatrixEdit window(lib.state, "Mine.mtx", "Old", "");
    QVERIFY(shown(window));
    auto* amount = child<QLineEdit>(&window, "txtValue");
    amount->selectAll();
    QTest::keyClicks(amount, "10");
    QCOMPARE(amount->text(), QStringLiteral("10"));
    click(&window, "Command1");
    QVERIFY(lib.prompter.shown().empty());
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("-2"));
    QCOMPARE(box(&window, 127)->text(), QStringLiteral("8"));

    lib.prompter
        .expect("Are you sure that you want to replace the Matrix'Mine' ?\n\nIf you want to create a new "
                "one, just give it a different name.")
        .expect(kSaved);
    click(&window, "cmdSave");
    QCOMPARE(lib.prompter.shown()[0].title, std::string("Save Matrix"));
    std::string expected = uniformFile("8");
    expected.replace(0, 1, "-2");
    QCOMPARE(lib.read("Mine.mtx"), expected);
    QCOMPARE(lib.read("Matrix_Info.ini"), kInfo + "[mine.mtx]\r\nInfo1=Old\r\nInfo2=\r\n");
    QCOMPARE(lib.read("Matrix_Info_Custom.ini"), std::string());
    QVERIFY(lib.mainView.calls.empty());

    // Adding 120 brings 8 to 128 in 127 boxes: one CCE warning each; -2 + 120 = 118.
    for (int i = 0; i < 127; ++i)
        lib.prompter.expect(kWarning2);
    amount->setText(QStringLiteral("120"));
    QTest::mouseClick(child<QRadioButton>(&window, "Option1_1"), Qt::LeftButton);
    click(&window, "Command1");
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("118"));
    QCOMPARE(box(&window, 1)->text(), QStringLiteral("128"));
    click(&window, "cmdExit");
    QVERIFY(!window.isVisible());
    QCOMPARE(lib.mainView.calls, std::vector<std::string>{"resetView"});
}

void MatrixEditorTest::multipleEditRefusesABadAmount() {
    Library lib;
    lib.program.write("Lib/Mine.mtx", uniformFile("16"));
    MatrixEdit window(lib.state, "Mine.mtx", "", "");
    QVERIFY(shown(window));
    auto* amount = child<QLineEdit>(&window, "txtValue");
    amount->setFocus();
    amount->selectAll();
    QTest::keyClick(amount, Qt::Key_Delete);
    QCOMPARE(amount->text(), QStringLiteral("0")); // never empty
    amount->setText(QStringLiteral("40000"));
    lib.prompter.expect("The value to subtract or add must be a whole number from -32768 to 32767.");
    click(&window, "Command1");
    QCOMPARE(QApplication::focusWidget(), amount);
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("16"));

    box(&window, 5)->setText(QString()); // the change check lets an empty box be
    amount->setText(QStringLiteral("1"));
    lib.prompter.expect("Multiple Edit needs a whole number in every box: the Intra box in row 1, column 6 is empty.");
    click(&window, "Command1");
    QCOMPARE(QApplication::focusWidget(), box(&window, 5));
    QCOMPARE(box(&window, 0)->text(), QStringLiteral("16"));
}

void MatrixEditorTest::mainWindowOpensBothEditors() {
    Library lib;
    const std::string folder = (lib.program / "Lib").string();
    lib.program.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=" + folder +
                                        "\r\nInterfaceVersion=7\r\n[Colors]\r\nBackColor=16737808\r\n"
                                        "TextColor=16777215\r\nStripesColor=14306832\r\nButtonsColor=4210752\r\n");
    lib.program.write("Lib/Mine.mtx", uniformFile("16"));
    lib.program.write("Lib/Matrix_Info.ini", kInfo + "[mine.mtx]\r\nInfo1=Mine one\r\nInfo2=Mine two\r\n");
    Main main(lib.program.path(), lib.prompter);
    main.start();
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));

    click(&main, "cmdNew");
    auto* created = main.findChild<Matrix*>();
    QVERIFY(created && created->isVisible());
    QVERIFY(created->isModal());
    QVERIFY(created->testAttribute(Qt::WA_DeleteOnClose));
    created->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), created);
    click(created, "cmdExit");
    QTRY_VERIFY(!main.findChild<Matrix*>());

    auto* list = child<QListWidget>(&main, "lstMatrix");
    const auto items = list->findItems(QStringLiteral("Mine.mtx"), Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    list->setCurrentItem(items.first());
    main.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &main);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
    click(&main, "cmdEdit");
    auto* edit = main.findChild<MatrixEdit*>();
    QVERIFY(edit && edit->isVisible());
    QCOMPARE(child<QLineEdit>(edit, "txtMatrixName")->text(), QStringLiteral("Mine"));
    QCOMPARE(child<DescriptionBox>(edit, "txtCustomMatrix1")->toPlainText(), QStringLiteral("Mine one"));
    QCOMPARE(child<DescriptionBox>(edit, "txtCustomMatrix2")->toPlainText(), QStringLiteral("Mine two"));
    QCOMPARE(box(edit, 10)->text(), QStringLiteral("16"));
    edit->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), edit);
    click(edit, "cmdExit");
    QTRY_VERIFY(!main.findChild<MatrixEdit*>());
    QVERIFY(!child<QWidget>(&main, "cmdEdit")->isEnabled());
    QCOMPARE(child<QLineEdit>(&main, "TD_10")->text(), QStringLiteral("000"));
}

QTEST_MAIN(MatrixEditorTest)
#include "MatrixEditorTest.moc"
