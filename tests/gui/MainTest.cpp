// The main window driven headless: the start-up in its variants, the viewer, the deletion.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "app/Main.h"
#include "matrix/DefaultSet.h"
#include "support/CellText.h"
#include "ui/Setup.h"
#include "ui/SetupLogic.h"

#include <QClipboard>
#include <QComboBox>
#include <QScrollBar>
#include <QSignalSpy>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

// A program folder as a finished first start leaves it, with the default matrices in "Lib".
struct Ordinary : Program {
    Ordinary() {
        writeEditorIni();
        WriteDefaultMatrices(folder / "Lib");
        folder.write("Lib/Matrix_Info.ini", std::string(defaultMatrixInfo()));
    }
};

} // namespace

class MainTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunCancelOrApply_data() {
        QTest::addColumn<bool>("apply");
        QTest::newRow("Cancel creates the Matrix folder") << false;
        QTest::newRow("Apply uses the chosen folder") << true;
    }
    void firstRunCancelOrApply() {
        QFETCH(bool, apply);
        TempFolder program;
        program.write("Lib/mine.mtx", "x\r\n");
        ScriptedPrompter prompter(qtReporter());
        Main window(program.path(), prompter);
        QSignalSpy started(&window, &Main::started);
        prompter.expect("Interface Updated").expect("Interface Updated");
        prompter.expect("The 'Matrix' folder wasn't found!!!\nPlease select the path to it.");
        window.start();
        Setup* setup = window.setupWindow();
        QVERIFY(setup && QTest::qWaitForWindowActive(setup));
        QCOMPARE(started.count(), 0);
        checkEnabled(setup, {"OKButton"}, false);
        if (apply) {
            prompter.expectFolder((program / "Lib").string());
            click(setup, "cmdBrowse");
        } else {
            prompter.expect(std::string(setup::kMatrixFolderCreated));
        }
        click(setup, apply ? "OKButton" : "cmdCancel");
        QTRY_COMPARE(started.count(), 1);
        const fs::path folder = program / (apply ? "Lib" : "Matrix");
        QCOMPARE(ini::GetValue("Config", "MatrixFolder", program / "Editor.ini"), folder.string());
        QCOMPARE(itemsOf(&window, "lstMatrix").size(), apply ? 17 : 16);
        QVERIFY(fs::exists(folder / "Matrix_Info_Custom.ini") && fs::exists(program / "Matrix") != apply);
    }
    void selectShowsValuesDeleteRemovesFileAndSectionsAndKeyboardMovesDidNotRunSelect() {
        Ordinary p;
        p.folder.write("Lib/Zeta One.mtx", QString("20 21 20 20 20 20 20 20\r\n").repeated(16).toStdString());
        p.folder.write("Lib/Zeta Two.mtx", QString("30 31 30 30 30 30 30 30\r\n").repeated(16).toStdString());
        ini::SetValue("zeta two.mtx", "Info1", "Two", p.lib("Matrix_Info.ini"));
        p.folder.write("Lib/My Own.mtx", "08 08 08 08 08 08 08 08\r\n");
        const std::string index = p.read("Matrix_Info.ini");
        ini::SetValue("my own.mtx", "Info1", "Mine", p.lib("Matrix_Info.ini"));
        ini::SetValue("my own.mtx", "Info1", "Mine", p.lib("Matrix_Info_Custom.ini"));
        p.folder.write("Lib/Locked.mtx", "10 10\r\n");
        fs::permissions(p.lib("Locked.mtx"), fs::perms::owner_read);
        Main window(p.folder.path(), p.prompter);
        window.start();
        QVERIFY(showActive(window));
        clickItem(&window, "lstMatrix", "1-High_High(4000+).mtx");
        checkTexts(&window, {"TD_0", "08", "TD_7", "17", "TD_64", "08", "TD_127", "11"});
        checkEnabled(&window, {"cmdEdit", "cmdDelete"}, true);

        clickItem(&window, "lstMatrix", "My Own.mtx");
        QCOMPARE(textOf(&window, "txtMatrix"), QStringLiteral("Mine "));
        const std::string question = "Are you sure that you want\n\nto delete the Matrix called 'My Own.mtx'?";
        p.prompter.expect(question, PromptAnswer::Cancel);
        click(&window, "cmdDelete");
        QCOMPARE(describe(p.prompter.shown().back()), "WARNING!!!|okcancel|question|" + question);
        QVERIFY(fs::exists(p.lib("My Own.mtx")));
        p.prompter.expect(question, PromptAnswer::Ok);
        click(&window, "cmdDelete");
        QVERIFY(!fs::exists(p.lib("My Own.mtx")));
        QCOMPARE(p.read("Matrix_Info.ini"), index); // the custom index is the descriptions' test
        checkTexts(&window, {"TD_0", "000", "txtMatrix", ""});
        checkEnabled(&window, {"cmdEdit", "cmdDelete"}, false);

        // A read-only file stays. (A missing custom index is the descriptions' test.)
        clickItem(&window, "lstMatrix", "Locked.mtx");
        p.prompter.expect("", PromptAnswer::Ok);
        click(&window, "cmdDelete");
        QVERIFY(fs::exists(p.lib("Locked.mtx")) && itemsOf(&window, "lstMatrix").contains("Locked.mtx"));

        // Keyboard moves did not run Select: type-ahead and arrow keys show the matrix they move to (every
        // move reaches the list's one selection signal), and Delete acts on it.
        auto* list = child<QListWidget>(&window, "lstMatrix");
        clickItem(&window, "lstMatrix", "Zeta One.mtx");
        QTest::keyClicks(list, "Marlo");
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Marlo (1500-2500).mtx"));
        QCOMPARE(textOf(&window, "TD_1"), QStringLiteral("18"));
        QTest::keyClick(list, Qt::Key_End);
        checkTexts(&window, {"TD_1", "31", "txtMatrix", "Two "});

        // Delete asks about the matrix the keyboard moved to. (Edit of the selection is the editors' test.)
        QTest::keyClick(list, Qt::Key_Up);
        p.prompter.expect("Are you sure that you want\n\nto delete the Matrix called 'Zeta One.mtx'?",
                          PromptAnswer::Cancel);
        click(&window, "cmdDelete");
    }
    // An ordinary start shows no box and leaves Editor.ini alone. Whatever the scroll position, the list
    // shows whole rows only. While it has the keyboard focus, the outline of its current entry stands out
    // clearly (a lightness step of at least a quarter) from the same entry drawn without the focus. Then
    // the matrix pictures and exports.
    void ordinaryStartThenLastRowHidUnderTheScrollBarAndListDidNotShowTheKeyboardFocusThenPictures() {
        Ordinary p;
        p.folder.write("Lib/A.mtx", numberedText(" ", "\r\n", 8));
        p.folder.write("Lib/B.mtx", numberedText(" ", "\r\n", 10));
        const std::string editorIni = p.folder.read("Editor.ini");
        Main window(p.folder.path(), p.prompter);
        window.start();
        QCOMPARE(p.folder.read("Editor.ini"), editorIni);
        QCOMPARE(window.windowTitle(), QStringLiteral("  Q.U.I.R.E. 0.2.0.9"));
        QCOMPARE(window.size(), QSize(720, 444));
        checkCaptions(&window, "MAIN", 12);
        QCOMPARE(child(&window, "cmdNew")->toolTip(), QStringLiteral("Click to create your own Matrix."));
        checkEnabled(&window, {"cmdEdit", "cmdDelete"}, false);
        QCOMPARE(itemsOf(&window, "lstMatrix").size(), 18); // the default set, A and B

        QVERIFY(showActive(window));
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

        clickItem(&window, "lstMatrix", "Dovan (2500-3000).mtx");
        const QRect row = list->visualItemRect(list->currentItem());
        QVERIFY(list->hasFocus());
        const QImage focused = list->viewport()->grab(row).toImage();
        child(&window, "cmdNew")->setFocus();
        QTRY_VERIFY(!list->hasFocus());
        const QImage unfocused = list->viewport()->grab(row).toImage();
        int step = 0;
        for (int x = 0; x < focused.width(); ++x)
            for (const int y : {0, focused.height() - 1})
                step = std::max(
                    step, std::abs(focused.pixelColor(x, y).lightness() - unfocused.pixelColor(x, y).lightness()));
        QVERIFY2(step >= 64, qPrintable(QString::number(step)));

        // The colour scale from a cell's context menu, the compare window, FFmpeg's options and the .cqm export.
        clickItem(&window, "lstMatrix", "A.mtx");
        chooseFromContextMenu(box(&window, 0), "Colour scale");
        QCOMPARE(box(&window, 0)->palette().color(QPalette::Base), QColor(44, 114, 142)); // 8 on the scale
        QCOMPARE(ini::GetValue("Config", "ColourScale", p.folder / "Editor.ini"), std::string("1"));

        chooseFromContextMenu(list->viewport(), "Compare with...");
        auto* compare = window.findChild<QDialog*>("MatrixCompare");
        QVERIFY(compare);
        QCOMPARE(child<QComboBox>(compare, "cboMatrixA")->currentText(), QStringLiteral("A.mtx"));
        QCOMPARE(child<QComboBox>(compare, "cboMatrixB")->currentText(), QStringLiteral("B.mtx"));
        checkTexts(compare, {"A_0", "8", "B_0", "10", "D_0", "2", "D_127", "2"});
        QVERIFY(child<QLineEdit>(compare, "D_0")->palette().color(QPalette::Base) != QColor(Qt::white)); // coloured
        compare->close();

        window.findChild<QAction*>("actCopyFfmpeg")->trigger();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("-intra_matrix 8,9,10,"));

        p.prompter.expectFile((p.folder / "out.cqm").string());
        window.findChild<QAction*>("actExportCqm")->trigger();
        QCOMPARE(p.folder.read("out.cqm").size(), std::size_t(128));
        QCOMPARE(int(p.folder.read("out.cqm")[64]), 72);
    }
    // Odd sections and values of a readable Editor.ini are the INI reader's tests; binary junk here.
    void brokenEditorIniNeverCrashes() {
        std::string junk;
        for (int i = 0; i < 5000; ++i)
            junk += static_cast<char>((i * 131 + 7) % 256);
        TempFolder program;
        program.write("Editor.ini", junk);
        ScriptedPrompter prompter([](const std::string&) {});
        Main window(program.path(), prompter);
        QSignalSpy started(&window, &Main::started);
        window.start();
        if (Setup* setup = window.setupWindow()) {
            QVERIFY(QTest::qWaitForWindowActive(setup));
            click(setup, "cmdCancel");
        }
        QTRY_COMPARE(started.count(), 1);
        QVERIFY(fs::exists(program / "BUG.DEB"));
    }
};

QTEST_MAIN(MainTest)
#include "MainTest.moc"
