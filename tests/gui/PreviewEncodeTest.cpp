// The whole test encode with the real stand-ins: a sample project made by quire-sample-project, the
// window's steps clicked, the encoder stand-in run through the QtRunner, and the encoded file's matrices
// read back with the QuantDump stand-in. One case per way the window encodes (a control file, QuEnc's
// command line), and "No Matrix" once, with HC Encoder's settings file.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "platform/QtRunner.h"
#include "preview/MatrixCheck.h"
#include "preview/PreviewWindow.h"
#include "support/CellText.h"

#include <QProcess>
#include <QStandardPaths>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMatrix = "1-high_high(4000+).mtx";
constexpr const char* kMatrixName = "1-high_high(4000+)";
constexpr const char* kSegment = "V010000_V001001.avs";

// The matrix file of the values 16 to 143, eight to a row.
const std::string kMatrixText = numberedText(" ", "\r\n", 16);

QString encodedName(const char* matrixName) {
    return QStringLiteral("V010000_V001001_%1_No_Filter.m2v").arg(QString::fromLatin1(matrixName));
}

} // namespace

// The row shows the verdict: its tool tip and the label under the list say the words, its data the kind.
#define CHECK_VERDICT(window, row, verdict, words)                                                                     \
    do {                                                                                                               \
        QVERIFY2((row) != nullptr, "the encoded file is not listed");                                                  \
        QCOMPARE((row)->toolTip(), QString::fromLatin1(words));                                                        \
        QCOMPARE((row)->data(Qt::UserRole).toInt(), static_cast<int>(verdict));                                        \
        QVERIFY(!(row)->icon().isNull());                                                                              \
        QCOMPARE(textOf(&(window), "lblMatrixCheck"), QString::fromLatin1(words));                                     \
    } while (false)

class PreviewEncodeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
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
                     {QString::fromStdString((program / "Tessera").string()), "--movie", "2", "--extras", "0",
                      "--seconds", "1", "--size", "176x144", "--native-paths", "--program-folder",
                      QString::fromStdString(bin.string())});
        QVERIFY(sample.waitForFinished(60000));
        QVERIFY2(sample.exitCode() == 0, sample.readAllStandardError().constData());
        m_inf = program / "Tessera" / "work" / "D2VAVS" / "Tessera.inf";
        QVERIFY(fs::exists(m_inf));
    }
    void init() {
        const fs::path quantDump = m_program->folder / "QuantumDump" / "QuantDump";
        fs::create_directories(quantDump.parent_path());
        fs::copy_file(fs::path(QUIRE_BIN) / "QuantumDump" / "QuantDump", quantDump, fs::copy_options::skip_existing);
        fs::remove_all(m_program->folder / "Preview");
        m_program->folder.write(std::string("Lib/") + kMatrix, kMatrixText);
    }
    void encodeCarriesTheMatrix_data() {
        // Tessera's mode, the encoder's option and the file the encode reads besides the script.
        QTest::addColumn<QStringList>("row");
        QTest::newRow("Cinema Craft Encoder SP: the control list") << QStringList{"1", "Option2_2", "preview.ecl"};
        QTest::newRow("QuEnc: the command line and temp.cqm, no Prepare") << QStringList{"2", "Option2_4", "temp.cqm"};
    }
    void encodeCarriesTheMatrix() {
        QFETCH(QStringList, row);
        ini::SetValue("Status", "mode", qPrintable(row[0]), m_inf);
        Preview window(m_program->state, m_runner);
        QVERIFY(showActive(window));
        QVERIFY(child<QRadioButton>(&window, row[1])->isChecked());
        QListWidgetItem* encoded = encode(window, kMatrix, row[0] != "2");
        CHECK_VERDICT(window, encoded, preview::CheckVerdict::Matches,
                      "Its matrices are the chosen ones (1-high_high(4000+)).");
        QVERIFY(fs::exists(m_program->folder / "Preview" / row[2].toStdString()));
    }
    // temp.cqm is written when the matrix is chosen; a library file changed afterwards never reaches QuEnc, and
    // the read-back says so.
    void staleCqmIsCaught() {
        ini::SetValue("Status", "mode", "2", m_inf);
        Preview window(m_program->state, m_runner);
        QVERIFY(showActive(window));
        clickItem(&window, "lstSegment2", kSegment);
        clickItem(&window, "lstMatrix", kMatrix);
        checkEnabled(&window, {"btnPrepare"}, false);
        QCOMPARE(textOf(&window, "lblAction1"),
                 QStringLiteral("Press the 'Encode' button to Encode the selected segment."));
        std::string changed = kMatrixText;
        m_program->folder.write(std::string("Lib/") + kMatrix, changed.replace(changed.find("116"), 3, "99"));
        m_program->prompter.expect("Encoding process Completed!");
        click(&window, "btnEncode");
        QListWidgetItem* row = child<QListWidget>(&window, "lstM2V")->currentItem();
        CHECK_VERDICT(
            window, row, preview::CheckVerdict::Differs,
            "Its matrices are not the chosen ones (1-high_high(4000+)): the non-intra matrix differs at row 5, "
            "column 5: 116 in the file, 99 chosen.");
        QCOMPARE(row->text(), encodedName(kMatrixName));
    }
    void noMatrixKeepsTheDefaultsAndTheVerdictSurvivesReopening() {
        ini::SetValue("Status", "mode", "5", m_inf);
        const char* words = "Its matrices are the MPEG defaults that \"No Matrix\" asks for.";
        {
            Preview window(m_program->state, m_runner);
            QVERIFY(showActive(window));
            QListWidgetItem* row = encode(window, nullptr, true);
            CHECK_VERDICT(window, row, preview::CheckVerdict::Matches, words);
            QVERIFY(fs::exists(m_program->folder / "Preview" / "preview.ini"));
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

private:
    // Opens the window on the project with Tessera set to the mode, chooses the segment and the matrix
    // (nullptr: "No Matrix"), prepares unless QuEnc, encodes, and returns the encoded file's row.
    QListWidgetItem* encode(Preview& window, const char* matrix, bool prepare);

    std::unique_ptr<Program> m_program;
    QtRunner m_runner;
    fs::path m_inf;
};

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
    return rows.isEmpty() ? nullptr : rows.front();
}

QTEST_MAIN(PreviewEncodeTest)
#include "PreviewEncodeTest.moc"
