// The About box driven headless in a temporary program folder: caption, version line, the
// read-me on request, the link and closing.
#include "GuiSupport.h"

#include "ui/About.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QUrl>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

// Stands in for the desktop's opener of file addresses.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsTitleVersionAndColours();
    void readmeShownOnRequest();
    void linkOpensTheReadme();
    void okCloses();

private:
    About* open();
    void press(const char* button) { QTest::mouseClick(child<QWidget>(m_window.get(), button), Qt::LeftButton); }
    QString shown() { return child<QPlainTextEdit>(m_window.get(), "Text1")->toPlainText(); }

    std::unique_ptr<TempFolder> m_program;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<SharedState> m_state;
    std::unique_ptr<About> m_window;
};

void AboutTest::init() {
    m_program = std::make_unique<TempFolder>();
    m_prompter = std::make_unique<ScriptedPrompter>(qtReporter());
    m_state = std::make_unique<SharedState>(m_program->path(), *m_prompter);
    m_state->txtBackColor = "255";
    m_state->txtTextColor = "65280";
    m_state->txtStripesColor = "14306832";
    m_state->txtButtonsColor = "16711680";
}

void AboutTest::cleanup() {
    m_window.reset();
    m_state.reset();
    m_prompter.reset();
    m_program.reset();
}

About* AboutTest::open() {
    m_window = std::make_unique<About>(*m_state);
    m_window->show();
    if (!QTest::qWaitForWindowActive(m_window.get()))
        QTest::qFail("the About box did not become active", __FILE__, __LINE__);
    return m_window.get();
}

void AboutTest::showsTitleVersionAndColours() {
    About* window = open();
    QCOMPARE(window->windowTitle(), QStringLiteral("About Quire"));
    QCOMPARE(child<QLabel>(window, "lblVersion")->text(), QStringLiteral("  Version 0.2.9 beta"));
    auto* text = child<QPlainTextEdit>(window, "Text1");
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->toPlainText(), QString());
    QCOMPARE(window->palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(child<QLabel>(window, "lblVersion")->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    for (const char* button : {"ccXPButton1", "Command1", "cmdOK"})
        QCOMPARE(child<ccXPButton>(window, button)->foreColor(), QColor(0, 0, 255));
}

void AboutTest::readmeShownOnRequest() {
    m_program->write("readme.txt", "Quire\r\n=====\r\n\r\nCaf\xE9 matrices\r\n");
    open();
    QCOMPARE(shown(), QString());
    press("ccXPButton1");
    QCOMPARE(shown(), QString::fromUtf8("Quire\n=====\n\nCaf\xC3\xA9 matrices\n"));
    QVERIFY(m_window->isVisible());
    // A readme gone missing leaves the text as it was.
    fs::remove(*m_program / "readme.txt");
    press("ccXPButton1");
    QCOMPARE(shown(), QString::fromUtf8("Quire\n=====\n\nCaf\xC3\xA9 matrices\n"));
}

void AboutTest::linkOpensTheReadme() {
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    open();
    press("Command1");
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(opened.urls.size(), 1);
    QCOMPARE(opened.urls.front().toLocalFile(), QString::fromStdString((*m_program / "readme.txt").string()));
    QVERIFY(m_window->isVisible());
}

void AboutTest::okCloses() {
    open();
    press("cmdOK");
    QTRY_VERIFY(!m_window->isVisible());
}

QTEST_MAIN(AboutTest)
#include "AboutTest.moc"
