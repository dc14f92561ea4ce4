// The Setup window driven headless: one wiring check per control kind and per way out; the
// values themselves are the Setup logic's tests.
#include "GuiSupport.h"

#include "support/EditorIni.h"
#include "ui/Setup.h"

#include <QRadioButton>
#include <QScrollBar>

using namespace quire;
using namespace quire::test;

class SetupTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_p = std::make_unique<Program>();
        m_values = EditorIniValues{};
        m_values.matrixFolder = m_p->state.txtPath;
        m_p->folder.write("Editor.ini", m_values.bytes());
        m_p->state.txtCheckMatrixInfo = "[1-high_high(4000+).mtx]\r\n";
    }
    void cleanup() {
        m_window.reset();
        m_p.reset();
    }
    // The files Restore rewrites are the Setup logic's test; here, that the button reaches it.
    void loadShowsPathsColoursAndCaptionsAndRestoreRewritesThePresets() {
        Setup* window = open();
        QCOMPARE(window->windowTitle(), QStringLiteral("    Quire - Setup"));
        checkCaptions(window, "Setup", 13);
        checkTexts(window, {"lblMatPath", QString::fromStdString(m_values.matrixFolder), "lblTesseraPath",
                            "/opt/tessera", "lblPlayerPath", "/usr/bin/mplayer", "Text2", "FF6610", "Text3", "FFFFFF",
                            "Text4", "DA4E10", "Text5", "404040", "lblPlayer",
                            "Set the Path to your favourite media player:", "cmdDefault", "Default"});
        QVERIFY(child<QRadioButton>(window, "Option1")->isChecked());
        QCOMPARE(child(window, "cmdRestoreMatrices")->toolTip(),
                 QStringLiteral("Restores all the default Matrices. This action WON'T ERASE your CUSTOM MATRICES."));
        QCOMPARE(QList({bar(1)->minimum(), bar(1)->maximum(), bar(0)->value(), bar(1)->value(), bar(2)->value()}),
                 QList({16, 255, 16, 102, 255}));
        QCOMPARE(backOf(window, "lblCustomColor"), QColor(16, 102, 255));
        checkColours(window, "lblSetFolder", {"Shape1", "Shape6"});
        click("cmdRestoreMatrices");
        QCOMPARE(m_p->mainView.calls, std::vector<std::string>{"resetView"});
    }
    // A swatch, a bar's step, drag and value, an option with its swatch, and a style each store and
    // show their colour; which option sets which colour is the Setup logic's test.
    void swatchesBarsOptionsAndStylesStoreWhatTheyShow() {
        Setup* window = open();
        click("Label17");
        QCOMPARE(textOf(window, "Text2"), QStringLiteral("808000")); // bars at 16, 128, 128
        bar(1)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        bar(0)->setSliderDown(true);
        bar(0)->setSliderPosition(200);
        bar(0)->setSliderDown(false);
        bar(2)->setValue(17);
        QCOMPARE(backOf(window, "lblCustomColor"), QColor(200, 129, 17));
        QCOMPARE(window->palette().color(QPalette::Window), QColor(200, 129, 17));
        QCOMPARE(textOf(window, "Text2"), QStringLiteral("1181C8"));

        choose("Option2");
        QCOMPARE(bar(0)->value(), 255);
        click("Label5");
        QCOMPARE(foreOf(window, "lblTesseraFolder"), QColor(16, 16, 16));
        m_values.colours[0] = setup::composeColour({200, 129, 17});
        m_values.colours[1] = "1052688";
        checkIni();
        QCOMPARE(textOf(window, "Text3"), QStringLiteral("101010"));
        QVERIFY(m_p->mainView.calls.empty());

        click("cmdBlueStyle");
        m_values.colours = {"6000510", "16777215", "3895910", "1061419"};
        checkIni();
        QCOMPARE(m_p->mainView.calls, std::vector<std::string>{"applyMainColours"});
        QCOMPARE(textOf(window, "Text2"), QStringLiteral("1181C8")); // the Setup window itself keeps its look
        QCOMPARE(window->palette().color(QPalette::Window), QColor(200, 129, 17));
    }
    // Apply stores the three paths; Cancel, Escape and the close box keep host and player only, and
    // take back the colour tried.
    void browseThenLeave_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"OKButton", "cmdCancel", "Escape", "close box"})
            QTest::newRow(way) << QString(way);
    }
    void browseThenLeave() {
        QFETCH(QString, way);
        const bool apply = way == "OKButton";
        TempFolder other;
        Setup* window = open();
        click("Label1");
        m_p->prompter.expectFolder(other.path().string()).expectFolder("/srv/Tessera").expectFile("/usr/bin/vlc");
        click("cmdBrowse");
        click("cmdBrowse2");
        click("cmdBrowse3");
        checkTexts(window, {"lblMatPath", QString::fromStdString(other.path().string()), "lblTesseraPath",
                            "/srv/Tessera", "lblPlayerPath", "/usr/bin/vlc"});
        if (way == "Escape")
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Escape);
        else if (way == "close box")
            window->close();
        else
            click(qPrintable(way));
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(apply ? QDialog::Accepted : QDialog::Rejected));
        m_values.tessera = "/srv/Tessera";
        m_values.player = "/usr/bin/vlc";
        if (apply) {
            m_values.matrixFolder = other.path().string();
            m_values.colours[0] = "14737632";
        }
        checkIni(); // the shared state's matrix folder is the Setup logic's test
        const std::vector<std::string> calls = {"refreshMatrixList", "applyMainColours"};
        QCOMPARE(m_p->mainView.calls, apply ? calls : std::vector<std::string>());
    }

private:
    Setup* open() {
        m_window = std::make_unique<Setup>(m_p->state);
        if (!showActive(*m_window))
            QTest::qFail("the Setup window did not become active", __FILE__, __LINE__);
        return m_window.get();
    }
    void click(const char* name) { quire::test::click(m_window.get(), name); }
    // An option button takes clicks on its indicator and caption only.
    void choose(const char* option) {
        auto* button = child<QRadioButton>(m_window.get(), option);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    QScrollBar* bar(int i) { return child<QScrollBar>(m_window.get(), QStringLiteral("Slider1_%1").arg(i)); }
    // Editor.ini holds the expected values, byte for byte.
    void checkIni() { QCOMPARE(m_p->folder.read("Editor.ini"), m_values.bytes()); }

    std::unique_ptr<Program> m_p;
    EditorIniValues m_values;
    std::unique_ptr<Setup> m_window;
};

QTEST_MAIN(SetupTest)
#include "SetupTest.moc"
