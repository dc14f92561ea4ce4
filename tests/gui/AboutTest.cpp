// The About box driven headless in a temporary program folder: caption, version line, colours, the
// read-me on request and closing.
#include "GuiSupport.h"

#include "ui/About.h"

using namespace quire;
using namespace quire::test;

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void showsVersionColoursAndReadme();
};

void AboutTest::showsVersionColoursAndReadme() {
    Program p;
    p.state.txtBackColor = "255";
    p.state.txtTextColor = "65280";
    p.state.txtButtonsColor = "16711680";
    p.folder.write("readme.txt", "Quire\r\n=====\r\n\r\nCaf\xE9 matrices\r\n");
    About window(p.state);
    QVERIFY(showActive(window));
    QCOMPARE(window.windowTitle(), QStringLiteral("About Quire"));
    checkTexts(&window, {"lblVersion", "  Version 0.2.9 beta", "Text1", ""});
    QCOMPARE(window.palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(foreOf(&window, "lblVersion"), QColor(0, 255, 0));
    for (const char* button : {"ccXPButton1", "Command1", "cmdOK"})
        QCOMPARE(child<ccXPButton>(&window, button)->foreColor(), QColor(0, 0, 255));

    // The read-me on request, from Windows-1252 with single line ends.
    click(&window, "ccXPButton1");
    QCOMPARE(textOf(&window, "Text1"), QString::fromUtf8("Quire\n=====\n\nCaf\xC3\xA9 matrices\n"));
    click(&window, "cmdOK");
    QTRY_VERIFY(!window.isVisible());
}

QTEST_MAIN(AboutTest)
#include "AboutTest.moc"
