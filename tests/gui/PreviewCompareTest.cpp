// The comparison of test encodes in the Preview/Test window: the table of the selected segment's encoded
// files with their kept measures and read-back verdicts, its sorting and best values, when it refills,
// its size, and real measures (the renderer and FFmpeg) run after an Encode, one of them cancelled.
#include "GuiSupport.h"

#include "preview/EncodeMetrics.h"
#include "preview/MatrixCheck.h"
#include "preview/PreviewWindow.h"
#include "support/RecordingRunner.h"

#include <QHeaderView>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTableWidget>

#include <optional>

using namespace quire;
using namespace quire::test;
using preview::CheckVerdict;
using preview::EncodeMetrics;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMatrix = "1-high_high(4000+).mtx";
constexpr const char* kSegment = "V010001_V001001.avs";
constexpr const char* kOtherSegment = "v020001_V002001.AVS";
constexpr const char* kEncoded = "V010001_V001001_1-high_high(4000+)_No_Filter.m2v";
enum Column { File, Matrix, Filter, Size, Bitrate, PsnrY, PsnrAll, Ssim, Matrices, ColumnCount };

struct Project : Program {
    Project() {
        fs::copy(fs::path(QUIRE_TEST_DATA) / "preview" / "Tessera", folder / "Tessera", fs::copy_options::recursive);
        fs::copy_file(fs::path(QUIRE_TEST_DATA) / "preview" / "encode" / "Tessera.ecl",
                      folder / "Tessera" / "Work" / "D2VAVS" / "Tessera.ecl", fs::copy_options::overwrite_existing);
        writeEditorIni("Player=/usr/bin/player\r\nTesseraFolder=" + (folder / "Tessera").string() + "\r\n");
        std::string matrix;
        for (int i = 0; i < 128; ++i)
            matrix += std::to_string(16 + i) + (i % 8 == 7 ? "\r\n" : " ");
        folder.write(std::string("Lib/") + kMatrix, matrix);
        fs::create_symlink(fs::path(QUIRE_BIN) / "quire-avs", folder / "quire-avs");
    }
    fs::path preview(const std::string& name) const { return folder / "Preview" / name; }
    // An encoded file of `kilobytes` KB with its kept measures and read-back verdict, when given.
    void encoded(const std::string& name, int kilobytes, std::optional<EncodeMetrics> metrics = {},
                 std::optional<CheckVerdict> verdict = {}) const {
        writeBytes(preview(name), std::string(static_cast<std::size_t>(kilobytes) * 1024, 'x'));
        if (metrics)
            QVERIFY(preview::saveMetrics(preview(name), *metrics));
        if (verdict)
            QVERIFY(preview::saveCheck(preview(name), {*verdict, "Words for " + name}));
    }

    RecordingRunner runner;
};

EncodeMetrics measured(double bitrate, double psnrY, double psnrAll, double ssim) {
    EncodeMetrics m;
    m.frames = m.sourceFrames = 25;
    m.rate = 25;
    m.bitrate = bitrate;
    m.target = 3000;
    m.psnrY = psnrY;
    m.psnrAll = psnrAll;
    m.psnrMin = psnrAll - 2;
    m.ssim = ssim;
    return m;
}

QTableWidget* openCompare(const Preview& window) {
    click(&window, "cmdCompare");
    return child<QTableWidget>(&window, "tblCompare");
}

// The table's rows as shown, top to bottom, cells joined by " | "; a cell that stands out as the best
// of its column (bold, in its own colour) starts with "*".
QStringList rowsOf(const QTableWidget* table) {
    QStringList rows;
    const QColor plain = table->palette().color(QPalette::Text);
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem* item = table->item(row, column);
            const bool best = item->font().bold();
            if (best && item->foreground().color() == plain)
                QTest::qFail("a bold cell in the plain colour", __FILE__, __LINE__);
            cells << (best ? "*" : "") + item->text();
        }
        rows << cells.join(" | ");
    }
    return rows;
}

void clickHeader(QTableWidget* table, int column) {
    QHeaderView* header = table->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// Clicks the segment, the matrix, Prepare and Encode; the encoder stand-in writes a copy of `m2v`.
void encode(Project& project, Preview& window, const fs::path& m2v) {
    clickItem(&window, "lstSegment2", kSegment);
    clickItem(&window, "lstMatrix", kMatrix);
    click(&window, "btnPrepare");
    project.runner.answer([&](const std::vector<std::string>&) {
        fs::copy_file(m2v, project.preview(kEncoded), fs::copy_options::overwrite_existing);
        return RunResult::ran(0);
    });
    project.prompter.expect("Encoding process Completed!");
    click(&window, "btnEncode");
}

} // namespace

class PreviewCompareTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rowsOfTheSegmentSortByAnyColumn();
    void tiesAndValuesEqualAsShownAllStandOut();
    void tableRefillsForAnotherSegment();
    void longNamesWrapAndTheDialogGrowsToItsColumns();
    void measureAfterEncodeFillsTheOpenTable();
    void cancelStopsTheRunningMeasure();

private:
    // A black 176x144 MPEG-2 file of `frames` frames, as the renderer gives BlankClip's frames.
    fs::path blackEncode(int frames);
    test::TempFolder m_media;
    bool m_tools = false;
};

void PreviewCompareTest::initTestCase() {
    m_tools = fs::exists(fs::path(QUIRE_BIN) / "quire-avs") &&
              !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

fs::path PreviewCompareTest::blackEncode(int frames) {
    const fs::path file = m_media / ("black" + std::to_string(frames) + ".m2v");
    if (fs::exists(file))
        return file;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "color=black:size=176x144:rate=25", "-frames:v",
                            QString::number(frames), "-pix_fmt", "yuv420p", "-c:v", "mpeg2video", "-q:v", "2",
                            QString::fromStdString(file.string())});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        QTest::qFail(ffmpeg.readAllStandardError().constData(), __FILE__, __LINE__);
    return file;
}

void PreviewCompareTest::rowsOfTheSegmentSortByAnyColumn() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    project.encoded(kEncoded, 2, measured(2950, 40, 41.5, 0.98), CheckVerdict::Matches);
    project.encoded("V010001_V001001_Low_Undot_Deen.m2v", 1, measured(3020.2, 38.25, 42, 0.99), CheckVerdict::Differs);
    project.encoded("V010001_V001001_No_Matrix_Deen.m2v", 3);
    project.encoded("V020001_V002001_No_Matrix_No_Filter.m2v", 1, measured(3000, 50, 50, 1));
    clickItem(&window, "lstSegment2", kSegment);
    QTableWidget* table = openCompare(window);
    QVERIFY(child(&window, "frmCompare")->isVisible());
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers << table->horizontalHeaderItem(c)->text();
    QCOMPARE(headers, QStringList({"File", "Matrix", "Filters", "Size (KB)", "Bitrate / target", "PSNR Y", "PSNR (all)",
                                   "SSIM", "Matrices"}));

    const QString matches =
        "V010001_V001001_1-high_high(4000+)_No_Filter.m2v | 1-high_high(4000+) | No_Filter | 2 | 2950 / 3000 | "
        "*40.00 | 41.50 | 0.9800 | As chosen";
    const QString differs = "V010001_V001001_Low_Undot_Deen.m2v | Low | Undot_Deen | 1 | *3020 / 3000 | 38.25 | "
                            "*42.00 | *0.9900 | Differ";
    const QString unmeasured = "V010001_V001001_No_Matrix_Deen.m2v | No_Matrix | Deen | 3 | - | - | - | - | -";
    const struct {
        const char* name;
        int column;
        QStringList rows;
    } sorts[] = {
        {"PSNR Y up", PsnrY, {unmeasured, differs, matches}},    {"PSNR Y down", PsnrY, {matches, differs, unmeasured}},
        {"size up", Size, {differs, matches, unmeasured}},       {"matrix up", Matrix, {matches, differs, unmeasured}},
        {"bitrate up", Bitrate, {unmeasured, matches, differs}},
    };
    for (const auto& sort : sorts) {
        clickHeader(table, sort.column);
        QVERIFY2(rowsOf(table) == sort.rows, qPrintable(QString(sort.name) + ":\n" + rowsOf(table).join("\n")));
    }
    // The verdict's words are the Matrices cell's tool tip.
    QCOMPARE(table->item(2, Matrices)->toolTip(), QStringLiteral("Words for V010001_V001001_Low_Undot_Deen.m2v"));
    QCOMPARE(table->item(0, Matrices)->toolTip(), QStringLiteral("Not read back."));
}

void PreviewCompareTest::tiesAndValuesEqualAsShownAllStandOut() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    // The target is 3000 kbit/s: A and B both show 3000 and tie; PSNR Y 41.004 and 40.996 both show 41.00;
    // PSNR (all) ties exactly; SSIM 0.98764 and 0.98761 both show 0.9876. C is a step behind everywhere.
    project.encoded("V010001_V001001_A_Deen.m2v", 1, measured(2999.6, 41.004, 40.1, 0.98764));
    project.encoded("V010001_V001001_B_Deen.m2v", 1, measured(3000.4, 40.996, 40.1, 0.98761));
    project.encoded("V010001_V001001_C_Deen.m2v", 1, measured(3001, 40.994, 40.09, 0.98754));
    clickItem(&window, "lstSegment2", kSegment);
    QTableWidget* table = openCompare(window);
    clickHeader(table, File);
    QCOMPARE(rowsOf(table), QStringList({"V010001_V001001_A_Deen.m2v | A | Deen | 1 | *3000 / 3000 | *41.00 | "
                                         "*40.10 | *0.9876 | -",
                                         "V010001_V001001_B_Deen.m2v | B | Deen | 1 | *3000 / 3000 | *41.00 | "
                                         "*40.10 | *0.9876 | -",
                                         "V010001_V001001_C_Deen.m2v | C | Deen | 1 | 3001 / 3000 | 40.99 | 40.09 | "
                                         "0.9875 | -"}));
}

void PreviewCompareTest::tableRefillsForAnotherSegment() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    project.encoded("V010001_V001001_A_Deen.m2v", 1);
    project.encoded("v020001_V002001_B_Undot.m2v", 2);
    clickItem(&window, "lstSegment2", kSegment);
    QTableWidget* table = openCompare(window);
    QCOMPARE(rowsOf(table), QStringList({"V010001_V001001_A_Deen.m2v | A | Deen | 1 | - | - | - | - | -"}));
    clickItem(&window, "lstSegment2", kOtherSegment);
    QCOMPARE(rowsOf(table), QStringList({"v020001_V002001_B_Undot.m2v | B | Undot | 2 | - | - | - | - | -"}));
}

void PreviewCompareTest::longNamesWrapAndTheDialogGrowsToItsColumns() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    project.encoded("V010001_V001001_A_Deen.m2v", 1);
    project.encoded("v020001_V002001_" + std::string(24, 'm') + "_No_Filter.m2v", 1, measured(2950, 40, 41.5, 0.98));
    project.encoded("V010002_V001002_" + std::string(150, 'm') + "_No_Filter.m2v", 1, measured(2950, 40, 41.5, 0.98));
    clickItem(&window, "lstSegment2", kSegment);
    QTableWidget* table = openCompare(window);
    auto* dialog = child<QDialog>(&window, "frmCompare");
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    // Made narrow by hand, then refilled: the dialog grows to show every column, as far as the screen lets it.
    dialog->resize(300, dialog->height());
    clickItem(&window, "lstSegment2", kOtherSegment);
    const int screen = dialog->screen()->availableGeometry().width();
    QVERIFY2(table->horizontalHeader()->length() <= table->viewport()->width() || dialog->width() >= screen - 64,
             qPrintable(QString::number(dialog->width())));
    // Names too long for any screen wrap in columns of their own width; the dialog stays on the screen.
    clickItem(&window, "lstSegment2", "V010002_V001002.avs");
    QVERIFY(table->columnWidth(File) <= 240 && table->columnWidth(Matrix) <= 160);
    QVERIFY2(table->rowHeight(0) >= 4 * table->fontMetrics().height(), "the names are not wrapped");
    QVERIFY(dialog->frameGeometry().width() <= screen);
}

void PreviewCompareTest::measureAfterEncodeFillsTheOpenTable() {
    if (!m_tools)
        QSKIP("the renderer or FFmpeg is missing");
    Project project;
    project.folder.write(std::string("Tessera/Work/D2VAVS/") + kSegment,
                         "BlankClip(length=25, width=176, height=144, fps=25)\r\nConvertToYV12()\r\n");
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    clickItem(&window, "lstSegment2", kSegment);
    QTableWidget* table = openCompare(window);
    QCOMPARE(table->rowCount(), 0);
    encode(project, window, blackEncode(25));
    QTRY_VERIFY_WITH_TIMEOUT(!child(&window, "cmdCancelMeasure")->isEnabled(), 60000);
    QCOMPARE(table->rowCount(), 1);
    // The same black frames on both sides.
    QCOMPARE(table->item(0, PsnrY)->text(), QStringLiteral("100.00"));
    QCOMPARE(table->item(0, Ssim)->text(), QStringLiteral("1.0000"));
    QVERIFY(fs::exists(preview::metricsFileOf(project.preview(kEncoded))));
}

void PreviewCompareTest::cancelStopsTheRunningMeasure() {
    if (!m_tools)
        QSKIP("the renderer or FFmpeg is missing");
    Project project;
    project.folder.write(std::string("Tessera/Work/D2VAVS/") + kSegment,
                         "BlankClip(length=25000, width=176, height=144, fps=25)\r\nConvertToYV12()\r\n");
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    encode(project, window, blackEncode(25000));
    auto* progress = child<QProgressBar>(&window, "ProgressBar1");
    QVERIFY(child(&window, "cmdCancelMeasure")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 30000);
    QCOMPARE(progress->maximum(), 25000);
    click(&window, "cmdCancelMeasure");
    QTRY_VERIFY_WITH_TIMEOUT(!child(&window, "cmdCancelMeasure")->isEnabled(), 10000);
    QVERIFY(progress->value() < 25000);
    QVERIFY(!fs::exists(preview::metricsFileOf(project.preview(kEncoded))));
    QVERIFY(readBytes(project.state.log.file()).find("PREVIEW: The measure was cancelled.") != std::string::npos);
    QTableWidget* table = openCompare(window);
    QCOMPARE(table->item(0, PsnrY)->text(), QStringLiteral("-"));
}

QTEST_MAIN(PreviewCompareTest)
#include "PreviewCompareTest.moc"
