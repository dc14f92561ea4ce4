// The whole test encode with the real stand-ins: a sample project made by quire-sample-project, the
// window's steps clicked, the encoder stand-in run through the QtRunner, and the encoded file's matrices
// read back with the QuantDump stand-in. One case per encoder form (control list, HC settings, QuEnc),
// and "No Matrix" once.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "platform/QtRunner.h"
#include "preview/MatrixCheck.h"
#include "preview/PreviewWindow.h"

#include <QProcess>
#include <QStandardPaths>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMatrix = "1-high_high(4000+).mtx";
constexpr const char* kMatrixName = "1-high_high(4000+)";
constexpr const char* kSegment = "V010000_V001001.avs";

// The 16 rows of a matrix file from its 128 values.
std::string matrixText(int first, int changedCell = -1, int changedValue = 0) {
    std::string text;
    for (int i = 0; i < 128; ++i)
        text += std::to_string(i == changedCell ? changedValue : first + i) + (i % 8 == 7 ? "\r\n" : " ");
    return text;
}

QString encodedName(const char* matrixName) {
    return QStringLiteral("V010000_V001001_%1_No_Filter.m2v").arg(QString::fromLatin1(matrixName));
}

} // namespace

class PreviewEncodeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void controlListEncodeCarriesTheMatrix();
    void hcSettingsEncodeCarriesTheMatrix();
    void quencEncodeCarriesTheMatrixAndAStaleCqmIsCaught();
    void noMatrixKeepsTheDefaultsAndTheVerdictSurvivesReopening();

private:
    // Opens the window on the project with Tessera set to the mode, chooses the segment and the matrix
    // (nullptr: "No Matrix"), prepares unless QuEnc, encodes, and returns the encoded file's row.
    QListWidgetItem* encode(Preview& window, const char* matrix, bool prepare);
    void setMode(const char* mode);

    std::unique_ptr<Program> m_program;
    QtRunner m_runner;
    fs::path m_inf;
};

void PreviewEncodeTest::initTestCase() {
    const fs::path bin = QUIRE_BIN;
    for (const char* tool : {"quire-sample-project", "quire-encode", "quire-avs", "QuantumDump/QuantDump"})
        if (!fs::exists(bin / tool))
            QSKIP(qPrintable(QStringLiteral("the stand-in %1 has not been built").arg(tool)));
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        QSKIP("FFmpeg is not installed");

    m_program = std::make_unique<Program>();
    const fs::path program = m_program->folder.path();
    m_program->writeEditorIni("Player=/usr/bin/true\r\nTesseraFolder=" + (program / "Tessera").string() + "\r\n");

    // Two short segments (one second, 25 frames) of a small picture keep every encode short.
    QProcess sample;
    sample.start(QString::fromStdString((bin / "quire-sample-project").string()),
                 {QString::fromStdString((program / "Tessera").string()), "--movie", "2", "--extras", "0", "--seconds",
                  "1", "--size", "176x144", "--native-paths", "--program-folder",
                  QString::fromStdString(bin.string())});
    QVERIFY(sample.waitForFinished(60000));
    QVERIFY2(sample.exitCode() == 0, sample.readAllStandardError().constData());
    m_inf = program / "Tessera" / "work" / "D2VAVS" / "Tessera.inf";
    QVERIFY(fs::exists(m_inf));
}

void PreviewEncodeTest::init() {
    const fs::path quantDump = m_program->folder / "QuantumDump" / "QuantDump";
    fs::create_directories(quantDump.parent_path());
    fs::copy_file(fs::path(QUIRE_BIN) / "QuantumDump" / "QuantDump", quantDump, fs::copy_options::skip_existing);
    fs::remove_all(m_program->folder / "Preview");
    m_program->folder.write(std::string("Lib/") + kMatrix, matrixText(16));
}

void PreviewEncodeTest::setMode(const char* mode) {
    ini::SetValue("Status", "mode", mode, m_inf);
}

QListWidgetItem* PreviewEncodeTest::encode(Preview& window, const char* matrix, bool prepare) {
    clickItem(&window, "lstSegment2", kSegment);
    if (matrix)
        clickItem(&window, "lstMatrix", matrix);
    else
        QTest::mouseClick(child(&window, "Option3"), Qt::LeftButton, {}, QPoint(8, 10));
    if (prepare)
        click(&window, "btnPrepare");
    m_program->prompter.expect("Encoding process Completed!");
    click(&window, "btnEncode");
    const QString name = encodedName(matrix ? kMatrixName : "No_Matrix");
    const auto rows = child<QListWidget>(&window, "lstM2V")->findItems(name, Qt::MatchExactly);
    if (rows.isEmpty())
        return nullptr;
    return rows.front();
}

// The row shows the verdict: its tool tip and the label under the list say the words, its data the kind.
#define CHECK_VERDICT(window, row, verdict, words)                                                                     \
    do {                                                                                                               \
        QVERIFY2((row) != nullptr, "the encoded file is not listed");                                                  \
        QCOMPARE((row)->toolTip(), QStringLiteral(words));                                                             \
        QCOMPARE((row)->data(Qt::UserRole).toInt(), static_cast<int>(verdict));                                        \
        QVERIFY(!(row)->icon().isNull());                                                                              \
        QCOMPARE(textOf(&(window), "lblMatrixCheck"), QStringLiteral(words));                                          \
    } while (false)

void PreviewEncodeTest::controlListEncodeCarriesTheMatrix() {
    setMode("1"); // Cinema Craft Encoder SP: the control list preview.ecl
    Preview window(m_program->state, m_runner);
    QVERIFY(showActive(window));
    QVERIFY(child<QRadioButton>(&window, "Option2_2")->isChecked());
    QListWidgetItem* row = encode(window, kMatrix, true);
    CHECK_VERDICT(window, row, preview::CheckVerdict::Matches,
                  "Its matrices are the chosen ones (1-high_high(4000+)).");
    QVERIFY(fs::exists(m_program->folder / "Preview" / "preview.ecl"));
}

void PreviewEncodeTest::hcSettingsEncodeCarriesTheMatrix() {
    setMode("5"); // HC Encoder: the settings file preview.ini
    Preview window(m_program->state, m_runner);
    QVERIFY(showActive(window));
    QListWidgetItem* row = encode(window, kMatrix, true);
    CHECK_VERDICT(window, row, preview::CheckVerdict::Matches,
                  "Its matrices are the chosen ones (1-high_high(4000+)).");
    QVERIFY(fs::exists(m_program->folder / "Preview" / "preview.ini"));
}

void PreviewEncodeTest::quencEncodeCarriesTheMatrixAndAStaleCqmIsCaught() {
    setMode("2"); // QuEnc: the command line and temp.cqm
    Preview window(m_program->state, m_runner);
    QVERIFY(showActive(window));
    QListWidgetItem* row = encode(window, kMatrix, false);
    CHECK_VERDICT(window, row, preview::CheckVerdict::Matches,
                  "Its matrices are the chosen ones (1-high_high(4000+)).");

    // temp.cqm is written when the matrix is chosen; a library file changed afterwards never reaches
    // QuEnc, and the read-back says so.
    clickItem(&window, "lstMatrix", kMatrix);
    m_program->folder.write(std::string("Lib/") + kMatrix, matrixText(16, 100, 99));
    m_program->prompter.expect("Encoding process Completed!");
    click(&window, "btnEncode");
    row = child<QListWidget>(&window, "lstM2V")->currentItem();
    QCOMPARE(row->text(), encodedName(kMatrixName));
    CHECK_VERDICT(window, row, preview::CheckVerdict::Differs,
                  "Its matrices are not the chosen ones (1-high_high(4000+)): the non-intra matrix differs at row 5, "
                  "column 5: 116 in the file, 99 chosen.");
}

void PreviewEncodeTest::noMatrixKeepsTheDefaultsAndTheVerdictSurvivesReopening() {
    setMode("5");
    const char* words = "Its matrices are the MPEG defaults that \"No Matrix\" asks for.";
    {
        Preview window(m_program->state, m_runner);
        QVERIFY(showActive(window));
        QListWidgetItem* row = encode(window, nullptr, true);
        CHECK_VERDICT(window, row, preview::CheckVerdict::Matches,
                      "Its matrices are the MPEG defaults that \"No "
                      "Matrix\" asks for.");
        window.close();
    }
    // Reopened without QuantDump: the kept result is shown, nothing is read again.
    fs::remove_all(m_program->folder / "QuantumDump");
    Preview window(m_program->state, m_runner);
    QVERIFY(showActive(window));
    auto* list = child<QListWidget>(&window, "lstM2V");
    QCOMPARE(itemsOf(&window, "lstM2V"), QStringList({encodedName("No_Matrix")}));
    QCOMPARE(list->item(0)->toolTip(), QString::fromLatin1(words));
    list->setCurrentRow(0);
    QCOMPARE(textOf(&window, "lblMatrixCheck"), QString::fromLatin1(words));
}

QTEST_MAIN(PreviewEncodeTest)
#include "PreviewEncodeTest.moc"
