// The new-matrix and edit windows driven headless: the boxes as they are typed into, entered and
// left, Multiple Edit, both saves and the files they leave, and the main window's New and Edit.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "app/Main.h"
#include "matrix/DescriptionBox.h"
#include "matrix/MatrixEdit.h"
#include "matrix/MatrixWindow.h"

using namespace quire;
using namespace quire::test;

namespace {

const std::string kWarning1 = "The values must be NUMBERS between 8 and 255!";
const std::string kWarning2 = "This matrix may not be compatible with CCE!";
const std::string kInfo = Program::kInfo;
const QColor kPaleYellow(255, 255, 192);
const QColor kGreen(0, 128, 0);

QColor baseOf(QWidget* window, int index) {
    return box(window, index)->palette().color(QPalette::Base);
}
// The colour the box is drawn with just inside its frame, left of any text.
QColor drawnBaseOf(QWidget* window, int index) {
    return box(window, index)->grab().toImage().pixelColor(3, 10);
}
QColor highlight() {
    return QApplication::palette().color(QPalette::Highlight);
}
QWidget* focused() {
    return QApplication::focusWidget();
}

// Types text into the box that has the focus and leaves it with Tab.
void typeAndTab(const QString& text) {
    QTest::keyClicks(focused(), text);
    QTest::keyClick(focused(), Qt::Key_Tab);
}

// A matrix file of 16 lines, every value the same.
std::string uniformFile(const QString& value) {
    return ((value + ' ').repeated(7) + value + "\r\n").repeated(16).toStdString();
}

} // namespace

class MatrixEditorTest : public QObject {
    Q_OBJECT
private slots:
    void newWindowShowsItsGridTabWalksItAndSaves() {
        Program p;
        Matrix window(p.state);
        QCOMPARE(window.windowTitle(), QStringLiteral("    Quire - Matrix Creation"));
        checkCaptions(&window, "MATRIX", 7);
        checkTexts(&window, {"frmIntra", "Intra", "frmNonIntra", "Non Intra"});
        QVERIFY(!child(&window, "cmdSave")->isEnabled());
        // Twips at 15 to the pixel: column c at 90 + 390c, row r at 255 + 345r, 360 x 315, in each table's frame.
        for (int i : {0, 9, 63, 64, 127}) {
            QCOMPARE(box(&window, i)->parentWidget(), child(&window, i < 64 ? "frmIntra" : "frmNonIntra"));
            QCOMPARE(box(&window, i)->geometry(), QRect(6 + 26 * (i % 8), 17 + 23 * (i % 64 / 8), 24, 21));
        }
        checkColours(&window, "lblName", {});

        // Tab walks the boxes in index order; each box entered is pale yellow. The CCE warning comes
        // when the third digit of "200" arrives in the last box, which then shows green.
        QVERIFY(showActive(window));
        QTRY_COMPARE(focused(), box(&window, 0));
        QCOMPARE(drawnBaseOf(&window, 0), kPaleYellow);
        p.prompter.expect(kWarning2);
        std::string file;
        for (int i = 0; i < 128; ++i) {
            QCOMPARE(focused(), box(&window, i));
            const QString typed = QString::number(i == 127 ? 200 : 8 + i % 100);
            typeAndTab(typed);
            file += typed.toStdString() + (i % 8 == 7 ? "\r\n" : " ");
        }
        QCOMPARE(focused()->objectName(), QStringLiteral("txtMatrixName"));
        QCOMPARE(box(&window, 127)->palette().color(QPalette::Text), kGreen);
        QTest::keyClicks(child(&window, "txtMatrixName"), "Typed One");
        auto* line1 = child<DescriptionBox>(&window, "txtCustomMatrix1");
        line1->setFocus();
        QTest::keyClicks(line1, "Flat");
        QTest::keyClick(line1, Qt::Key_Return);
        QTest::keyClicks(line1, "sixteen");
        QTest::keyClicks(child(&window, "txtCustomMatrix2"), "for tests");

        p.prompter.expect("Are you sure that you want\n\nto create a new Matrix called 'Typed One'?")
            .expect("Your new Matrix has been created!");
        click(&window, "cmdSave");
        QCOMPARE(p.read("Typed One.mtx"), file);
        // The CCE warning, the two line breaks as two blanks, then the typed line 1 with its break as a blank.
        const std::string line1Stored = "This matrix may not be compatible with CCE!  Flat sixteen";
        const std::string section = "[typed one.mtx]\r\nInfo1=" + line1Stored + "\r\nInfo2=for tests\r\n";
        QCOMPARE(p.read("Matrix_Info.ini"), kInfo + section);
        QCOMPARE(p.read("Matrix_Info_Custom.ini"), section);
        QCOMPARE(line1->toPlainText(), QString::fromStdString(line1Stored));
        QCOMPARE(p.mainView.calls, std::vector<std::string>{"resetView"});
        QVERIFY(window.isVisible()); // stays open for another matrix
    }
    void valuesAreCheckedAsTheyArriveAndOnLeavingAndDescriptionsTake254() {
        Program p;
        Matrix window(p.state);
        QVERIFY(showActive(window));
        QLineEdit* first = box(&window, 0);
        // "5" passes the check of each change and fails the one on leaving, which keeps the focus.
        QTest::keyClicks(first, "5");
        QCOMPARE(baseOf(&window, 0), QColor(Qt::white));
        QVERIFY(child(&window, "cmdSave")->isEnabled());
        p.prompter.expect(kWarning1);
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(focused(), first);
        QCOMPARE(baseOf(&window, 0), highlight());
        QCOMPARE(first->selectedText(), QStringLiteral("5"));
        QVERIFY(box(&window, 1)->text().isEmpty()); // the box the Tab aimed at was never entered
        // Typed over the selection, at most three characters are taken.
        QTest::keyClicks(first, "1234");
        QCOMPARE(first->text(), QStringLiteral("123"));
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(focused(), box(&window, 1));
        // A click into a box selects its whole text.
        box(&window, 20)->setText(QStringLiteral("16"));
        QTest::mouseClick(box(&window, 20), Qt::LeftButton, {}, QPoint(3, 10));
        QCOMPARE(focused(), box(&window, 20));
        QCOMPARE(box(&window, 20)->selectedText(), QStringLiteral("16"));
        QCOMPARE(baseOf(&window, 20), kPaleYellow);
        // A description line takes at most 254 typed characters; the program's text is not cut.
        auto* line1 = child<DescriptionBox>(&window, "txtCustomMatrix1");
        line1->setFocus();
        QTest::keyClicks(line1, QString(250, QLatin1Char('a')));
        QTest::keyClick(line1, Qt::Key_Return);
        QTest::keyClicks(line1, "bcdefg");
        QCOMPARE(line1->toPlainText(), QString(250, QLatin1Char('a')) + QStringLiteral("\nbcd"));
        line1->setCrLfText(std::string(300, 'x'));
        QCOMPARE(line1->toPlainText().size(), 300);
        QTest::keyClick(line1, Qt::Key_Escape); // leaves the window open
        QVERIFY(window.isVisible());
    }
    void unvisitedBoxInvalidNameAndUnrepresentableTextAreRefused() {
        Program p;
        Matrix window(p.state);
        QVERIFY(showActive(window));
        typeAndTab(QStringLiteral("8"));
        typeAndTab(QStringLiteral("9"));
        // Clicking into the name leaves box 2, which becomes "8"; box 3 was never visited.
        auto* name = child<QLineEdit>(&window, "txtMatrixName");
        QTest::mouseClick(name, Qt::LeftButton);
        QCOMPARE(box(&window, 2)->text(), QStringLiteral("8"));
        QTest::keyClicks(name, "Holes");
        p.prompter.expect("Please give every box a whole number: the Intra box in row 1, column 4 is empty.");
        click(&window, "cmdSave");
        QCOMPARE(focused(), box(&window, 3));
        QCOMPARE(baseOf(&window, 3), kPaleYellow);
        for (int i = 3; i < 128; ++i)
            typeAndTab(QStringLiteral("8"));
        name->setText(QStringLiteral("What?"));
        p.prompter.expect(
            "The name \"What?\" can't be used for a matrix file: it holds one of the characters / \\ : * ? "
            "\" < > |");
        click(&window, "cmdSave");
        QCOMPARE(focused(), name);

        name->setText(QStringLiteral("Kanji"));
        auto* line2 = child<DescriptionBox>(&window, "txtCustomMatrix2");
        QTest::sendKeyEvent(QTest::Click, line2, Qt::Key_unknown, QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"), {});
        p.prompter.expect("The second description line holds characters that Tessera's files (Windows-1252) cannot "
                          "hold. Please remove them.");
        click(&window, "cmdSave");
        QCOMPARE(focused(), line2);
        QCOMPARE(p.read("Matrix_Info_Custom.ini") + p.read("Matrix_Info.ini"), std::string(kInfo));
        QVERIFY(!std::filesystem::exists(p.lib("Kanji.mtx")) && !std::filesystem::exists(p.lib("Holes.mtx")));
    }
    void multipleEditRefusesABadAmountAndSubtractingTenFromEightSavesMinusTwo() {
        Program p;
        p.folder.write("Lib/Mine.mtx", uniformFile("18").replace(0, 2, "08"));
        p.folder.write("Lib/Matrix_Info.ini", kInfo + "[mine.mtx]\r\nInfo1=Old\r\nInfo2=\r\n");
        MatrixEdit window(p.state, "Mine.mtx", "Old", "");
        QVERIFY(showActive(window));
        auto* amount = child<QLineEdit>(&window, "txtValue");
        amount->setFocus();
        amount->selectAll();
        QTest::keyClick(amount, Qt::Key_Delete);
        QCOMPARE(amount->text(), QStringLiteral("0")); // never empty
        amount->setText(QStringLiteral("40000"));
        p.prompter.expect("The value to subtract or add must be a whole number from -32768 to 32767.");
        click(&window, "Command1");
        QCOMPARE(focused(), amount);
        amount->selectAll();
        QTest::keyClicks(amount, "10");
        click(&window, "Command1");
        QCOMPARE(box(&window, 0)->text(), QStringLiteral("-2"));
        QCOMPARE(box(&window, 127)->text(), QStringLiteral("8"));

        p.prompter
            .expect("Are you sure that you want to replace the Matrix'Mine' ?\n\nIf you want to create a new "
                    "one, just give it a different name.")
            .expect("Your Matrix has been saved!");
        click(&window, "cmdSave");
        QCOMPARE(p.read("Mine.mtx"), uniformFile("8").replace(0, 1, "-2"));
        QVERIFY(p.mainView.calls.empty());

        // Adding 120 brings 8 to 128 in 127 boxes: one CCE warning each; -2 + 120 = 118.
        for (int i = 0; i < 127; ++i)
            p.prompter.expect(kWarning2);
        amount->setText(QStringLiteral("120"));
        QTest::mouseClick(child(&window, "Option1_1"), Qt::LeftButton);
        click(&window, "Command1");
        checkTexts(&window, {"TD_0", "118", "TD_1", "128"});
        click(&window, "cmdExit");
        QVERIFY(!window.isVisible());
        QCOMPARE(p.mainView.calls, std::vector<std::string>{"resetView"});
    }
    // New opens a modal creation window; Edit opens the selected matrix with its descriptions, and
    // loading marks no box as left. (Edit after keyboard moves is the main window's test.)
    void mainWindowOpensBothEditorsAndEditLoadsTheSelectedMatrix() {
        Program p;
        p.writeEditorIni();
        std::string file = uniformFile("16").replace(0, 2, "08");
        file.replace(file.rfind("16"), 2, "200");
        p.folder.write("Lib/Mine.mtx", file.replace(file.find("16 "), 2, "130"));
        p.folder.write("Lib/Matrix_Info.ini", kInfo + "[mine.mtx]\r\nInfo1=Mine one\r\nInfo2=Mine two\r\n");
        Main main(p.folder.path(), p.prompter);
        main.start();
        QVERIFY(showActive(main));
        for (const char* button : {"cmdNew", "cmdEdit"}) {
            if (button == std::string("cmdEdit")) {
                clickItem(&main, "lstMatrix", "Mine.mtx");
                p.prompter.expect(kWarning2).expect(kWarning2); // one warning per value of 128 to 255
            }
            click(&main, button);
            auto* opened = main.findChild<EditorWindow*>();
            QVERIFY(opened && opened->isVisible() && opened->isModal() && opened->testAttribute(Qt::WA_DeleteOnClose));
            if (auto* edit = dynamic_cast<MatrixEdit*>(opened)) {
                QCOMPARE(edit->windowTitle(), QStringLiteral("   Quire -  Matrix Editing"));
                checkCaptions(edit, "MATRIXEdit", 6);
                checkTexts(edit, {"txtValue", "0", "txtMatrixName", "Mine", "txtCustomMatrix1", "Mine one",
                                  "txtCustomMatrix2", "Mine two", "TD_0", "08", "TD_1", "130", "TD_10", "16"});
            }
            opened->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), opened);
            click(opened, "cmdExit");
            QTRY_VERIFY(!main.findChild<EditorWindow*>());
            main.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &main);
        }
        QVERIFY(!child(&main, "cmdEdit")->isEnabled());
    }
    void colourScaleFromABoxMenuPaintsTheBoxesNotTheFocusedOne() {
        Program p;
        Matrix window(p.state);
        QVERIFY(showActive(window));
        QTRY_COMPARE(focused(), box(&window, 0));
        box(&window, 5)->setText(QStringLiteral("8"));
        QCOMPARE(drawnBaseOf(&window, 5), QColor(Qt::white));
        chooseFromContextMenu(box(&window, 5), QStringLiteral("Colour scale"));
        QCOMPARE(drawnBaseOf(&window, 5), QColor(44, 114, 142));
        QCOMPARE(drawnBaseOf(&window, 0), kPaleYellow); // the focused box keeps its colour
        box(&window, 5)->setText(QStringLiteral("1"));
        QCOMPARE(drawnBaseOf(&window, 5), QColor(68, 1, 84));
        QCOMPARE(box(&window, 5)->palette().color(QPalette::Text), QColor(Qt::white));
        QCOMPARE(ini::GetValue("Config", "ColourScale", p.state.editorIni()), std::string("1"));
    }
};

QTEST_MAIN(MatrixEditorTest)
#include "MatrixEditorTest.moc"
