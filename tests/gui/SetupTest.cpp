// The Setup window driven headless in a temporary program folder: swatches, bars, option and style
// buttons clicked through the real widgets, Apply and Cancel, the paths, BUG.DEB.
#include "GuiSupport.h"

#include "matrix/DefaultSet.h"
#include "platform/Text1252.h"
#include "ui/Setup.h"

#include <QApplication>
#include <QRadioButton>
#include <QScrollBar>

using namespace quire;
using namespace quire::test;

namespace {

// Editor.ini's values, and its bytes.
struct IniValues {
    std::string matrixFolder;
    std::string tessera = "/opt/tessera";
    std::string player = "/usr/bin/mplayer";
    std::array<std::string, 4> colours{"16737808", "16777215", "14306832", "4210752"};
    std::string bytes() const {
        return "[Config]\r\nInterfaceVersion=7\r\nLanguage=English.lng\r\nMatrixFolder=" + matrixFolder +
               "\r\nTesseraFolder=" + tessera + "\r\nPlayer=" + player + "\r\n[Colors]\r\nBackColor=" + colours[0] +
               "\r\nTextColor=" + colours[1] + "\r\nStripesColor=" + colours[2] + "\r\nButtonsColor=" + colours[3] +
               "\r\n";
    }
};

constexpr const char* kButtons[] = {"cmdBrowse",  "cmdBrowse2",  "cmdBrowse3",        "OKButton",
                                    "cmdCancel",  "cmdRedStyle", "cmdBlueStyle",      "cmdBlackStyle",
                                    "cmdDefault", "cmdVersion",  "cmdRestoreMatrices"};

} // namespace

class SetupTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadShowsPathsColoursAndCaptions();
    void swatchesAndBarsStoreWhatTheyShow();
    void optionButtonsChooseTheEditedColour();
    void styleRepaintsOnlyTheMainWindowAndCancelKeepsHostAndPlayer();
    void applyStoresTheThreePaths();
    void escapeAndCloseBoxTakeTheCancelPath_data();
    void escapeAndCloseBoxTakeTheCancelPath();
    void restoreKeepsUserMatrices();

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
    QString text(const char* name) { return textOf(m_window.get(), name); }
    // Editor.ini holds the expected values, byte for byte.
    void checkIni() { QCOMPARE(m_p->folder.read("Editor.ini"), m_values.bytes()); }
    std::string lastLogLine() {
        const std::string line = text::splitLines(m_p->folder.read("BUG.DEB")).back();
        return line.substr(line.find(" --> ") + 5);
    }

    std::unique_ptr<Program> m_p;
    IniValues m_values;
    std::unique_ptr<Setup> m_window;
};

void SetupTest::init() {
    m_p = std::make_unique<Program>();
    m_values = IniValues{};
    m_values.matrixFolder = m_p->state.txtPath;
    m_p->folder.write("Editor.ini", m_values.bytes());
    m_p->folder.write("Lib/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=Mine\r\n");
    m_p->state.txtCheckMatrixInfo = "[1-high_high(4000+).mtx]\r\n";
}

void SetupTest::cleanup() {
    m_window.reset();
    m_p.reset();
}

void SetupTest::loadShowsPathsColoursAndCaptions() {
    Setup* window = open();
    QCOMPARE(window->windowTitle(), QStringLiteral("    Quire - Setup"));
    QCOMPARE(text("lblMatPath"), QString::fromStdString(m_values.matrixFolder));
    checkTexts(window, {"lblTesseraPath", "/opt/tessera", "lblPlayerPath", "/usr/bin/mplayer", "lblSetFolder",
                        "Set the Path to Matrices' Folder", "lblTesseraFolder", "Set the Path to Tessera's Folder"});
    checkTexts(window, {"lblPlayer", "Set the Path to your favourite media player:", "frmColors", "Intefaces' Colors",
                        "frmExtras", "Extras", "Option1", "Background", "Option2", "Text", "Option3", "Stripes"});
    checkTexts(window, {"Option4", "Buttons Text Color", "OKButton", "Apply", "cmdCancel", "Cancel", "cmdRedStyle",
                        "Red Style", "cmdBlueStyle", "Green Style", "cmdBlackStyle", "Silver Style"});
    checkTexts(window, {"cmdDefault", "Default", "cmdRestoreMatrices", "Restore Default Matrices", "Text2", "FF6610",
                        "Text3", "FFFFFF", "Text4", "DA4E10", "Text5", "404040"});
    QVERIFY(child<QRadioButton>(window, "Option1")->isChecked());
    QCOMPARE(child(window, "cmdRestoreMatrices")->toolTip(),
             QStringLiteral("Restores all the default Matrices. This action WON'T ERASE your CUSTOM MATRICES."));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(QList({bar(i)->minimum(), bar(i)->maximum(), int(bar(i)->orientation())}),
                 QList({16, 255, int(Qt::Horizontal)}));
    QCOMPARE(QList({bar(0)->value(), bar(1)->value(), bar(2)->value()}), QList({16, 102, 255}));
    QCOMPARE(backOf(window, "lblCustomColor"), QColor(16, 102, 255));
    QCOMPARE(window->txtCustomInfo(), std::string("[mine.mtx]\r\nInfo1=Mine\r\n"));

    QCOMPARE(window->palette().color(QPalette::Window), colourOf("16737808"));
    QCOMPARE(backOf(window, "Option3"), colourOf("16737808"));
    QCOMPARE(foreOf(window, "lblSetFolder"), colourOf("16777215"));
    for (const char* shape : {"Shape1", "Shape2", "Shape3", "Shape4", "Shape5", "Shape6"})
        QCOMPARE(backOf(window, shape), colourOf("14306832"));
    QCOMPARE(window->findChildren<ccXPButton*>().size(), qsizetype(11));
    for (const char* name : kButtons)
        QCOMPARE(child<ccXPButton>(window, name)->foreColor(), colourOf("4210752"));
    // The load's log lines are the core's; the window leaves the last of them.
    QCOMPARE(lastLogLine(), std::string("SETUP: Sliders Updated with color data"));
    checkIni();
    QVERIFY(m_p->mainView.calls.empty());
}

void SetupTest::swatchesAndBarsStoreWhatTheyShow() {
    Setup* window = open();
    click("Label17");
    m_values.colours[0] = "8421376";
    checkIni();
    QCOMPARE(text("Text2"), QStringLiteral("808000"));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(0, 128, 128));
    QCOMPARE(QList({bar(0)->value(), bar(1)->value(), bar(2)->value()}), QList({16, 128, 128}));
    QCOMPARE(backOf(window, "lblCustomColor"), QColor(16, 128, 128));
    // A step, a drag and a change of value each store what the bars show.
    bar(1)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    m_values.colours[0] = setup::composeColour({16, 129, 128});
    checkIni();
    bar(0)->setSliderDown(true);
    bar(0)->setSliderPosition(200);
    bar(0)->setSliderDown(false);
    m_values.colours[0] = setup::composeColour({200, 129, 128});
    checkIni();
    bar(2)->setValue(17);
    m_values.colours[0] = setup::composeColour({200, 129, 17});
    checkIni();
    QCOMPARE(backOf(window, "lblCustomColor"), QColor(200, 129, 17));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(200, 129, 17));
    QCOMPARE(text("Text2"), QStringLiteral("1181C8"));
}

void SetupTest::optionButtonsChooseTheEditedColour() {
    // Each option makes the swatches change its colour, which repaints its part of the window.
    Setup* window = open();
    choose("Option2");
    QCOMPARE(bar(0)->value(), 255);
    click("Label5");
    QCOMPARE(foreOf(window, "lblTesseraFolder"), QColor(16, 16, 16));
    choose("Option3");
    click("Label16");
    QCOMPARE(backOf(window, "Shape4"), QColor(16, 128, 16));
    choose("Option4");
    click("Label20");
    for (const char* name : kButtons)
        QCOMPARE(child<ccXPButton>(window, name)->foreColor(), QColor(192, 16, 16));
    m_values.colours = {"16737808", "1052688", setup::composeColour({16, 128, 16}),
                        setup::composeColour({192, 16, 16})};
    checkIni();
    QCOMPARE(text("Text5"), QStringLiteral("1010C0"));
    QCOMPARE(lastLogLine(), std::string("SLI012: OK"));
    QCOMPARE(window->palette().color(QPalette::Window), colourOf("16737808"));
    QVERIFY(m_p->mainView.calls.empty());
}

void SetupTest::styleRepaintsOnlyTheMainWindowAndCancelKeepsHostAndPlayer() {
    Setup* window = open();
    click("Label3");
    click("cmdBlueStyle");
    m_values.colours = {"6000510", "16777215", "3895910", "1061419"};
    checkIni();
    QCOMPARE(m_p->mainView.calls, std::vector<std::string>{"applyMainColours"});
    QCOMPARE(window->palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(text("Text2"), QStringLiteral("808080"));
    m_p->prompter.expectFolder("/srv/Tessera 2").expectFile("/usr/bin/vlc");
    click("cmdBrowse2");
    click("cmdBrowse3");
    QCOMPARE(text("lblTesseraPath"), QStringLiteral("/srv/Tessera 2"));
    QCOMPARE(text("lblPlayerPath"), QStringLiteral("/usr/bin/vlc"));
    QCOMPARE(m_p->prompter.fileDialogTitles(),
             (std::vector<std::string>{"Select the Tessera.exe Folder", "  Media Player Selection"}));
    m_p->mainView.calls.clear();
    click("cmdCancel");
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Rejected));
    m_values = {m_values.matrixFolder, "/srv/Tessera 2", "/usr/bin/vlc", IniValues{}.colours};
    checkIni();
    QVERIFY(m_p->mainView.calls.empty());
}

void SetupTest::applyStoresTheThreePaths() {
    TempFolder other;
    Setup* window = open();
    m_p->prompter.expectFolder(other.path().string()).expectFolder("/srv/Tessera").expectFile("/usr/bin/vlc");
    click("cmdBrowse");
    click("cmdBrowse2");
    click("cmdBrowse3");
    QCOMPARE(text("lblMatPath"), QString::fromStdString(other.path().string()));
    QCOMPARE(lastLogLine(), "SETUP: Matrices folder defined as " + other.path().string());
    click("Label1");
    click("OKButton");
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Accepted));
    m_values = {other.path().string(), "/srv/Tessera", "/usr/bin/vlc", {"14737632", "16777215", "14306832", "4210752"}};
    checkIni();
    QCOMPARE(m_p->state.txtPath, other.path().string());
    QCOMPARE(m_p->mainView.calls, (std::vector<std::string>{"refreshMatrixList", "applyMainColours"}));
    QVERIFY(std::filesystem::is_empty(other.path()));
}

void SetupTest::escapeAndCloseBoxTakeTheCancelPath_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("close box") << false;
}

// At first start, with a colour tried: the colours as loaded, and the program's matrix folder set up.
void SetupTest::escapeAndCloseBoxTakeTheCancelPath() {
    QFETCH(bool, escape);
    m_p->state.txtCheckMatrixInfo.clear();
    std::filesystem::remove(m_p->lib("Matrix_Info.ini"));
    m_values.matrixFolder = "bghrk756348347";
    m_p->folder.write("Editor.ini", m_values.bytes());
    Setup* window = open();
    window->prepareForMissingFolder();
    click("Label8");
    click("cmdRedStyle");
    m_p->prompter.expect(std::string(setup::kMatrixFolderCreated));
    if (escape)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Escape);
    else
        window->close();
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Rejected));
    m_values.matrixFolder = (m_p->folder / "Matrix").string();
    checkIni();
    QCOMPARE(m_p->folder.read("Matrix/Matrix_Info.ini"), std::string(defaultMatrixInfo()));
    QCOMPARE(m_p->state.txtPath, m_values.matrixFolder);
}

void SetupTest::restoreKeepsUserMatrices() {
    m_p->folder.write("Lib/Mine.mtx", "user bytes");
    m_p->folder.write("Lib/1-High_High(4000+).mtx", "edited");
    Setup* window = open();
    click("cmdRestoreMatrices");
    QVERIFY(window->isVisible());
    QCOMPARE(m_p->read("Mine.mtx"), std::string("user bytes"));
    QCOMPARE(m_p->read("1-High_High(4000+).mtx"), std::string(defaultMatrixText("1-High_High(4000+).mtx")) + "\r\n");
    QCOMPARE(m_p->read("Matrix_Info.ini"), std::string(defaultMatrixInfo()) + "\r\n[mine.mtx]\r\nInfo1=Mine\r\n\r\n");
    QCOMPARE(m_p->mainView.calls, std::vector<std::string>{"resetView"});
    checkIni();
}

QTEST_MAIN(SetupTest)
#include "SetupTest.moc"
