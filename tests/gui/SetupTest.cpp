// The Setup window driven headless in a temporary program folder: swatches, bars, option and style
// buttons clicked through the real widgets, Apply and Cancel, the first-run folder, BUG.DEB.
#include "GuiSupport.h"
#include "support/RecordingMainView.h"

#include "matrix/DefaultSet.h"
#include "platform/Text1252.h"
#include "ui/Localisation.h"
#include "ui/Setup.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

using namespace quire;
using namespace quire::test;
using setup::ColourKind;
namespace fs = std::filesystem;

namespace {

using RecordingView = quire::test::RecordingMainView;

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
    void label17StoresItsColourAndABarMoveWhatTheBarsShow();
    void dragAndChangeRunTheSameHandler();
    void optionButtonsChooseTheEditedColour();
    void styleButtonRepaintsOnlyTheMainWindow();
    void cancelRestoresColoursAndKeepsHostAndPlayer();
    void applyStoresTheThreePaths();
    void restoreKeepsUserMatrices();

private:
    Setup* open();
    void click(const char* name) { QTest::mouseClick(child<QWidget>(m_window.get(), name), Qt::LeftButton); }
    // An option button takes clicks on its indicator and caption only.
    void choose(const char* option) {
        auto* button = child<QRadioButton>(m_window.get(), option);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    QScrollBar* bar(int i) {
        return child<QScrollBar>(m_window.get(), QStringLiteral("Slider1_%1").arg(i).toLatin1().constData());
    }
    QString text(const char* name) { return child<QLineEdit>(m_window.get(), name)->text(); }
    QString label(const char* name) { return child<QLabel>(m_window.get(), name)->text(); }
    std::string editorIni() { return m_program->read("Editor.ini"); }
    std::vector<std::string> logLines() {
        std::vector<std::string> lines;
        for (const auto& line : text::splitLines(m_program->read("BUG.DEB"))) {
            const auto arrow = line.find(" --> ");
            lines.push_back(arrow == std::string::npos ? line : line.substr(arrow + 5));
        }
        return lines;
    }

    std::unique_ptr<TempFolder> m_program;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<SharedState> m_state;
    RecordingView m_view;
    IniValues m_values;
    std::unique_ptr<Setup> m_window;
};

void SetupTest::init() {
    m_program = std::make_unique<TempFolder>();
    m_prompter = std::make_unique<ScriptedPrompter>(qtReporter());
    QVERIFY(WriteLanguageFiles(*m_prompter, m_program->path()).has_value());
    m_values = IniValues{};
    m_values.matrixFolder = (*m_program / "Lib").string();
    m_program->write("Editor.ini", m_values.bytes());
    m_program->write("Lib/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=Mine\r\n");
    m_state = std::make_unique<SharedState>(m_program->path(), *m_prompter);
    m_state->txtLang = "English.lng";
    m_state->txtPath = m_values.matrixFolder;
    m_state->txtCheckMatrixInfo = "[1-high_high(4000+).mtx]\r\n";
    m_view.calls.clear();
    m_state->mainView = &m_view;
}

void SetupTest::cleanup() {
    m_window.reset();
    m_state.reset();
    m_prompter.reset();
    m_program.reset();
}

Setup* SetupTest::open() {
    m_window = std::make_unique<Setup>(*m_state);
    m_window->show();
    if (!QTest::qWaitForWindowActive(m_window.get()))
        QTest::qFail("the Setup window did not become active", __FILE__, __LINE__);
    return m_window.get();
}

void SetupTest::loadShowsPathsColoursAndCaptions() {
    Setup* window = open();
    QCOMPARE(window->windowTitle(), QStringLiteral("    Quire - Setup"));
    QCOMPARE(label("lblMatPath"), QString::fromStdString(m_values.matrixFolder));
    QCOMPARE(label("lblTesseraPath"), QStringLiteral("/opt/tessera"));
    QCOMPARE(label("lblPlayerPath"), QStringLiteral("/usr/bin/mplayer"));
    QCOMPARE(label("lblSetFolder"), QStringLiteral("Set the Path to Matrices' Folder"));
    QCOMPARE(label("lblTesseraFolder"), QStringLiteral("Set the Path to Tessera's Folder"));
    QCOMPARE(label("lblPlayer"), QStringLiteral("Set the Path to your favourite media player:"));
    QCOMPARE(child<QGroupBox>(window, "frmColors")->title(), QStringLiteral("Intefaces' Colors"));
    QCOMPARE(child<QGroupBox>(window, "frmExtras")->title(), QStringLiteral("Extras"));
    const QStringList options = {"Background", "Text", "Stripes", "Buttons Text Color"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(child<QRadioButton>(window, QStringLiteral("Option%1").arg(i + 1).toLatin1().constData())->text(),
                 options[i]);
    QVERIFY(child<QRadioButton>(window, "Option1")->isChecked());
    const std::vector<std::pair<const char*, QString>> captions = {{"OKButton", "Apply"},
                                                                   {"cmdCancel", "Cancel"},
                                                                   {"cmdRedStyle", "Red Style"},
                                                                   {"cmdBlueStyle", "Green Style"},
                                                                   {"cmdBlackStyle", "Silver Style"},
                                                                   {"cmdDefault", "Default"},
                                                                   {"cmdRestoreMatrices", "Restore Default Matrices"}};
    for (const auto& [name, caption] : captions)
        QCOMPARE(child<ccXPButton>(window, name)->caption(), caption);
    QCOMPARE(child<ccXPButton>(window, "cmdRestoreMatrices")->toolTip(),
             QStringLiteral("Restores all the default Matrices. This action WON'T ERASE your CUSTOM MATRICES."));

    QCOMPARE(text("Text2"), QStringLiteral("FF6610"));
    QCOMPARE(text("Text3"), QStringLiteral("FFFFFF"));
    QCOMPARE(text("Text4"), QStringLiteral("DA4E10"));
    QCOMPARE(text("Text5"), QStringLiteral("404040"));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(bar(i)->minimum(), 16);
        QCOMPARE(bar(i)->maximum(), 255);
        QCOMPARE(bar(i)->orientation(), Qt::Horizontal);
    }
    QCOMPARE(bar(0)->value(), 16);
    QCOMPARE(bar(1)->value(), 102);
    QCOMPARE(bar(2)->value(), 255);
    QCOMPARE(child<QLabel>(window, "lblCustomColor")->palette().color(QPalette::Window), QColor(16, 102, 255));
    QCOMPARE(window->txtCustomBack2(), std::string("16"));
    QCOMPARE(window->txtCustomBack1(), std::string("102"));
    QCOMPARE(window->txtCustomBack0(), std::string("255"));
    QCOMPARE(window->customPart(ColourKind::Buttons, 1), std::string("64"));
    QCOMPARE(window->txtBackINI(), std::string("16737808"));
    QCOMPARE(window->txtCustomInfo(), std::string("[mine.mtx]\r\nInfo1=Mine\r\n"));
    QCOMPARE(window->txtComColor(), std::string("Back"));

    QCOMPARE(window->palette().color(QPalette::Window), colourOf("16737808"));
    QCOMPARE(child<QRadioButton>(window, "Option3")->palette().color(QPalette::Window), colourOf("16737808"));
    QCOMPARE(child<QLabel>(window, "lblSetFolder")->palette().color(QPalette::WindowText), colourOf("16777215"));
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(child<QWidget>(window, QStringLiteral("Shape%1").arg(i).toLatin1().constData())
                     ->palette()
                     .color(QPalette::Window),
                 colourOf("14306832"));
    QCOMPARE(window->findChildren<ccXPButton*>().size(), qsizetype(11));
    for (const char* name : kButtons)
        QCOMPARE(child<ccXPButton>(window, name)->foreColor(), colourOf("4210752"));
    QCOMPARE(child<QLabel>(window, "Label17")->palette().color(QPalette::Window), QColor(0, 128, 128));

    // The load's log lines are the core's (SetupLogicTest); the window leaves the last of them.
    QCOMPARE(logLines().back(), std::string("SETUP: Sliders Updated with color data"));
    QCOMPARE(editorIni(), m_values.bytes());
    QVERIFY(m_view.calls.empty());
}

void SetupTest::label17StoresItsColourAndABarMoveWhatTheBarsShow() {
    Setup* window = open();
    click("Label17");
    m_values.colours[0] = "8421376";
    QCOMPARE(editorIni(), m_values.bytes());
    QCOMPARE(text("Text2"), QStringLiteral("808000"));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(0, 128, 128));
    QCOMPARE(bar(0)->value(), 16);
    QCOMPARE(bar(1)->value(), 128);
    QCOMPARE(bar(2)->value(), 128);
    QCOMPARE(child<QLabel>(window, "lblCustomColor")->palette().color(QPalette::Window), QColor(16, 128, 128));
    QCOMPARE(window->txtCustomBack2(), std::string("16"));

    bar(1)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    m_values.colours[0] = setup::composeColour({16, 129, 128});
    QCOMPARE(editorIni(), m_values.bytes());
    bar(1)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    m_values.colours[0] = "8421392";
    QCOMPARE(editorIni(), m_values.bytes());
    QCOMPARE(text("Text2"), QStringLiteral("808010"));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(16, 128, 128));
}

void SetupTest::dragAndChangeRunTheSameHandler() {
    open();
    QScrollBar* red = bar(0);
    red->setSliderDown(true);
    red->setSliderPosition(200);
    red->setSliderDown(false);
    m_values.colours[0] = setup::composeColour({200, 102, 255});
    QCOMPARE(editorIni(), m_values.bytes());
    bar(2)->setValue(17);
    m_values.colours[0] = setup::composeColour({200, 102, 17});
    QCOMPARE(editorIni(), m_values.bytes());
    QCOMPARE(child<QLabel>(m_window.get(), "lblCustomColor")->palette().color(QPalette::Window), QColor(200, 102, 17));
    QCOMPARE(text("Text2"), QStringLiteral("1166C8"));
}

void SetupTest::optionButtonsChooseTheEditedColour() {
    Setup* window = open();
    choose("Option2");
    QCOMPARE(window->txtComColor(), std::string("Text"));
    QCOMPARE(bar(0)->value(), 255);
    QCOMPARE(logLines().back(), std::string("SLI010: OK"));
    click("Label5");
    m_values.colours[1] = "1052688";
    QCOMPARE(editorIni(), m_values.bytes());
    QCOMPARE(text("Text3"), QStringLiteral("101010"));
    QCOMPARE(child<QLabel>(window, "lblTesseraFolder")->palette().color(QPalette::WindowText), QColor(16, 16, 16));

    choose("Option3");
    QCOMPARE(logLines().back(), std::string("SLI011: OK"));
    click("Label16");
    m_values.colours[2] = setup::composeColour({16, 128, 16});
    QCOMPARE(editorIni(), m_values.bytes());
    QCOMPARE(child<QWidget>(window, "Shape4")->palette().color(QPalette::Window), QColor(16, 128, 16));

    choose("Option4");
    QCOMPARE(window->txtComColor(), std::string("Buttons"));
    QCOMPARE(logLines().back(), std::string("SLI012: OK"));
    click("Label20");
    m_values.colours[3] = setup::composeColour({192, 16, 16});
    QCOMPARE(editorIni(), m_values.bytes());
    for (const char* name : kButtons)
        QCOMPARE(child<ccXPButton>(window, name)->foreColor(), QColor(192, 16, 16));
    QCOMPARE(text("Text5"), QStringLiteral("1010C0"));
    QCOMPARE(window->palette().color(QPalette::Window), colourOf("16737808"));
    QVERIFY(m_view.calls.empty());
}

void SetupTest::styleButtonRepaintsOnlyTheMainWindow() {
    Setup* window = open();
    click("cmdBlueStyle");
    m_values.colours = {"6000510", "16777215", "3895910", "1061419"};
    QCOMPARE(editorIni(), m_values.bytes());
    QCOMPARE(m_view.calls, std::vector<std::string>{"applyMainColours"});
    QCOMPARE(window->palette().color(QPalette::Window), colourOf("16737808"));
    QCOMPARE(text("Text2"), QStringLiteral("FF6610"));
    QCOMPARE(bar(1)->value(), 102);
    click("cmdRedStyle");
    m_values.colours = {"1052864", "16777215", "1052800", "1052779"};
    QCOMPARE(editorIni(), m_values.bytes());
}

void SetupTest::cancelRestoresColoursAndKeepsHostAndPlayer() {
    Setup* window = open();
    click("Label3");
    click("cmdBlueStyle");
    m_prompter->expectFolder("/srv/Tessera 2").expectFile("/usr/bin/vlc");
    click("cmdBrowse2");
    click("cmdBrowse3");
    QCOMPARE(label("lblTesseraPath"), QStringLiteral("/srv/Tessera 2"));
    QCOMPARE(label("lblPlayerPath"), QStringLiteral("/usr/bin/vlc"));
    QCOMPARE(m_prompter->fileDialogTitles(),
             (std::vector<std::string>{"Select the Tessera.exe Folder", "  Media Player Selection"}));
    m_view.calls.clear();
    click("cmdCancel");
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Rejected));
    m_values.tessera = "/srv/Tessera 2";
    m_values.player = "/usr/bin/vlc";
    QCOMPARE(editorIni(), m_values.bytes());
    QVERIFY(m_view.calls.empty());
}

void SetupTest::applyStoresTheThreePaths() {
    TempFolder other;
    Setup* window = open();
    m_prompter->expectFolder(other.path().string()).expectFolder("/srv/Tessera").expectFile("/usr/bin/vlc");
    click("cmdBrowse");
    click("cmdBrowse2");
    click("cmdBrowse3");
    QCOMPARE(label("lblMatPath"), QString::fromStdString(other.path().string()));
    QCOMPARE(logLines().back(), "SETUP: Matrices folder defined as " + other.path().string());
    click("Label1");
    click("OKButton");
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Accepted));
    m_values.matrixFolder = other.path().string();
    m_values.tessera = "/srv/Tessera";
    m_values.player = "/usr/bin/vlc";
    m_values.colours[0] = "14737632";
    QCOMPARE(editorIni(), m_values.bytes());
    QCOMPARE(m_state->txtPath, other.path().string());
    QCOMPARE(m_view.calls, (std::vector<std::string>{"refreshMatrixList", "applyMainColours"}));
    QVERIFY(fs::is_empty(other.path()));
}

void SetupTest::restoreKeepsUserMatrices() {
    m_program->write("Lib/Mine.mtx", "user bytes");
    m_program->write("Lib/1-High_High(4000+).mtx", "edited");
    Setup* window = open();
    click("cmdRestoreMatrices");
    QVERIFY(window->isVisible());
    QCOMPARE(m_program->read("Lib/Mine.mtx"), std::string("user bytes"));
    QCOMPARE(m_program->read("Lib/1-High_High(4000+).mtx"),
             std::string(defaultMatrixText("1-High_High(4000+).mtx")) + "\r\n");
    QCOMPARE(m_program->read("Lib/Matrix_Info.ini"),
             std::string(defaultMatrixInfo()) + "\r\n[mine.mtx]\r\nInfo1=Mine\r\n\r\n");
    QCOMPARE(m_view.calls, std::vector<std::string>{"resetView"});
    QCOMPARE(editorIni(), m_values.bytes());
}

QTEST_MAIN(SetupTest)
#include "SetupTest.moc"
