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

QColor baseOf(QWidget* window, int index) {
    return box(window, index)->palette().color(QPalette::Base);
}
// The colour the box is drawn with just inside its frame, left of any text.
QColor drawnBaseOf(QWidget* window, int index) {
    return box(window, index)->grab().toImage().pixelColor(3, 10);
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
    void newWindowShowsItsGridRefusesAnUnvisitedBoxTabWalksItAndSaves() {
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

        // Clicking into the name leaves box 0, which becomes "8"; Save refuses box 1, never visited, and
        // focuses it. (A refused name takes the focus in the import window's test; the other refusals
        // are the core's.)
        QVERIFY(showActive(window));
        QTRY_COMPARE(focused(), box(&window, 0));
        auto* name = child<QLineEdit>(&window, "txtMatrixName");
        QTest::mouseClick(name, Qt::LeftButton);
        QCOMPARE(box(&window, 0)->text(), QStringLiteral("8"));
        QTest::keyClicks(name, "Typed One");
        p.prompter.expect("Please give every box a whole number: the Intra box in row 1, column 2 is empty.");
        click(&window, "cmdSave");
        QCOMPARE(focused(), box(&window, 1));
        QCOMPARE(baseOf(&window, 1), kPaleYellow);

        // Tab walks the boxes in index order; each box entered is pale yellow. The CCE warning comes
        // when the third digit of "200" arrives in the last box, which then shows green.
        p.prompter.expect(kWarning2);
        std::string file = "8 ";
        for (int i = 1; i < 128; ++i) {
            QCOMPARE(focused(), box(&window, i));
            const QString typed = QString::number(i == 127 ? 200 : 8 + i % 100);
            typeAndTab(typed);
            file += typed.toStdString() + (i % 8 == 7 ? "\r\n" : " ");
        }
        QCOMPARE(focused(), name);
        QCOMPARE(box(&window, 127)->palette().color(QPalette::Text), QColor(0, 128, 0)); // green
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
        QCOMPARE(p.read("Matrix_Info.ini") + p.read("Matrix_Info_Custom.ini"), kInfo + section + section);
        QCOMPARE(line1->toPlainText(), QString::fromStdString(line1Stored));
        QCOMPARE(p.mainView.calls, std::vector<std::string>{"resetView"});
        QVERIFY(window.isVisible()); // stays open for another matrix
    }
    void valuesAreCheckedAsTheyArriveAndOnLeavingDescriptionsTake254AndColourScale() {
        Program p;
        Matrix window(p.state);
        QVERIFY(showActive(window));
        QLineEdit* first = box(&window, 0);
        // "5" passes the check of each change and fails the one on leaving, which keeps the focus.
        QTest::keyClicks(first, "5");
        QVERIFY(child(&window, "cmdSave")->isEnabled());
        p.prompter.expect(kWarning1);
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(focused(), first);
        QCOMPARE(baseOf(&window, 0), QApplication::palette().color(QPalette::Highlight));
        QCOMPARE(first->selectedText(), QStringLiteral("5"));
        QVERIFY(box(&window, 1)->text().isEmpty()); // the box the Tab aimed at was never entered
        // Typed over the selection, at most three characters are taken.
        QTest::keyClicks(first, "1234");
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(first->text(), QStringLiteral("123"));
        QCOMPARE(focused(), box(&window, 1));
        // A description line takes at most 254 typed characters, a line break counting as one; Escape there
        // leaves the window open.
        auto* line1 = child<DescriptionBox>(&window, "txtCustomMatrix1");
        line1->setFocus();
        QTest::keyClicks(line1, QString(250, QLatin1Char('a')));
        QTest::keyClick(line1, Qt::Key_Return);
        QTest::keyClicks(line1, "bcdefg");
        QCOMPARE(line1->toPlainText(), QString(250, QLatin1Char('a')) + QStringLiteral("\nbcd"));
        QTest::keyClick(line1, Qt::Key_Escape);
        QVERIFY(window.isVisible());

        // The colour scale from a box's menu paints the boxes, not the focused one; the colours are the core's.
        box(&window, 5)->setText(QStringLiteral("8"));
        box(&window, 20)->setText(QStringLiteral("16"));
        box(&window, 20)->setFocus();
        QCOMPARE(drawnBaseOf(&window, 5), QColor(Qt::white));
        chooseFromContextMenu(box(&window, 5), QStringLiteral("Colour scale"));
        QCOMPARE(drawnBaseOf(&window, 5), QColor(44, 114, 142));
        QCOMPARE(drawnBaseOf(&window, 20), kPaleYellow);
        QCOMPARE(ini::GetValue("Config", "ColourScale", p.state.editorIni()), std::string("1"));
    }
    void multipleEditSubtractingTenFromEightSavesMinusTwo() {
        Program p;
        p.folder.write("Lib/Mine.mtx", uniformFile("18").replace(0, 2, "08"));
        p.folder.write("Lib/Matrix_Info.ini", kInfo + "[mine.mtx]\r\nInfo1=Old\r\nInfo2=\r\n");
        MatrixEdit window(p.state, "Mine.mtx", "Old", "");
        QVERIFY(showActive(window));
        // The amount's range and refusal, and adding with its warnings above 127, are the core's test.
        auto* amount = child<QLineEdit>(&window, "txtValue");
        amount->setFocus();
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
        click(&window, "cmdExit");
        QVERIFY(!window.isVisible());
        QCOMPARE(p.mainView.calls, std::vector<std::string>{"resetView"});
    }
    // New opens a modal creation window; Edit opens the selected matrix with its descriptions, and
    // loading marks no box as left.
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
};

QTEST_MAIN(MatrixEditorTest)
#include "MatrixEditorTest.moc"
