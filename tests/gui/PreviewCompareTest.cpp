// The comparison of test encodes in the Preview/Test window: the table of the selected segment's encoded
// files with their kept measures and verdicts, sorting, best values, refills and size, and real measures
// (the renderer and FFmpeg) run after an Encode, one of them cancelled.
#include "GuiSupport.h"

#include "preview/ABView.h"
#include "preview/EncodeMetrics.h"
#include "preview/MatrixCheck.h"
#include "preview/PreviewWindow.h"
#include "support/RecordingRunner.h"

#include <QHeaderView>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QTableWidget>

using namespace quire;
using namespace quire::test;
using preview::EncodeMetrics;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMatrix = "1-high_high(4000+).mtx";
constexpr const char* kSegment = "V010001_V001001.avs";
constexpr const char* kEncoded = "V010001_V001001_1-high_high(4000+)_No_Filter.m2v";
enum Column { File, Matrix, Filter, Size, Bitrate, PsnrY, PsnrAll, Ssim, Matrices };

struct Project : Program {
    Project() {
        fs::copy(fs::path(QUIRE_TEST_DATA) / "preview" / "Tessera", folder / "Tessera", fs::copy_options::recursive);
        fs::copy_file(fs::path(QUIRE_TEST_DATA) / "preview" / "encode" / "Tessera.ecl",
                      folder / "Tessera" / "Work" / "D2VAVS" / "Tessera.ecl", fs::copy_options::overwrite_existing);
        writeEditorIni("Player=/usr/bin/player\r\nTesseraFolder=" + (folder / "Tessera").string() + "\r\n");
        for (int i = 0; i < 128; ++i)
            matrix += std::to_string(16 + i) + (i % 8 == 7 ? "\r\n" : " ");
        folder.write(std::string("Lib/") + kMatrix, matrix);
        fs::create_symlink(fs::path(QUIRE_BIN) / "quire-avs", folder / "quire-avs");
    }
    fs::path preview(const std::string& name) const { return folder / "Preview" / name; }
    // An encoded file of `kilobytes` KB with its kept measures (bitrate against 3000, PSNR Y, PSNR, SSIM)
    // and a verdict, when given.
    void encoded(const std::string& name, int kilobytes, std::vector<double> m = {}, const char* verdict = nullptr) {
        writeBytes(preview(name), std::string(static_cast<std::size_t>(kilobytes) * 1024, 'x'));
        if (!m.empty())
            QVERIFY(preview::saveMetrics(
                preview(name), {.bitrate = m[0], .target = 3000, .psnrY = m[1], .psnrAll = m[2], .ssim = m[3]}));
        if (verdict)
            QVERIFY(preview::saveCheck(preview(name), {preview::CheckVerdict::Matches, verdict}));
    }
    std::string matrix;
    RecordingRunner runner;
};

QTableWidget* openCompare(const Preview& window, const char* segment = kSegment) {
    clickItem(&window, "lstSegment2", segment);
    click(&window, "cmdCompare");
    return child<QTableWidget>(&window, "tblCompare");
}

// The table's rows as shown, cells joined by " | "; a cell that stands out as the best of its column
// (bold, not in the plain colour) starts with "*".
QStringList rowsOf(const QTableWidget* table) {
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem* item = table->item(row, column);
            const bool best =
                item->font().bold() && item->foreground().color() != table->palette().color(QPalette::Text);
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

// Writes the segment script, then clicks the segment, the matrix, Prepare and Encode; the encoder
// writes a black 176x144 MPEG-2 file of as many frames as the script's BlankClip.
void encode(Project& project, Preview& window, int frames) {
    project.folder.write(std::string("Tessera/Work/D2VAVS/") + kSegment, "BlankClip(length=" + std::to_string(frames) +
                                                                             ", width=176, height=144, fps=25)\r\n"
                                                                             "ConvertToYV12()\r\n");
    clickItem(&window, "lstSegment2", kSegment);
    clickItem(&window, "lstMatrix", kMatrix);
    click(&window, "btnPrepare");
    project.runner.answer([&](const std::vector<std::string>&) {
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "color=black:size=176x144:rate=25",
                                "-frames:v", QString::number(frames), "-c:v", "mpeg2video",
                                QString::fromStdString(project.preview(kEncoded).string())});
        return RunResult::ran(ffmpeg.waitForFinished(120000) ? ffmpeg.exitCode() : -1);
    });
    project.prompter.expect("Encoding process Completed!");
    click(&window, "btnEncode");
}

} // namespace

class PreviewCompareTest : public QObject {
    Q_OBJECT
private slots:
    void rowsSortAndEveryBestAsShownStandsOut();
    void tableFollowsTheSegmentAndTheDialogItsColumns();
    void measureFillsTheOpenTableAndCancelStopsOne();
    void twoRowsOpenTheABViewWithoutAPlayer();
};

void PreviewCompareTest::rowsSortAndEveryBestAsShownStandsOut() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    // A and B tie everywhere as shown (3000, 41.00, 40.10, 0.9876), though not in their raw values.
    project.encoded("V010001_V001001_A_Deen.m2v", 2, {2999.6, 41.004, 40.1, 0.98764}, "Words for A");
    project.encoded("V010001_V001001_B_Undot_Deen.m2v", 1, {3000.4, 40.996, 40.1, 0.98761});
    project.encoded("V010001_V001001_C_No_Filter.m2v", 3, {3001, 40.994, 40.09, 0.98754});
    project.encoded("V010001_V001001_No_Matrix_Deen.m2v", 4);
    project.encoded("V020001_V002001_No_Matrix_No_Filter.m2v", 1, {3000, 50, 50, 1}); // another segment
    QTableWidget* table = openCompare(window);
    const QString a =
        "V010001_V001001_A_Deen.m2v | A | Deen | 2 | *3000 / 3000 | *41.00 | *40.10 | *0.9876 | As chosen";
    const QString b = "V010001_V001001_B_Undot_Deen.m2v | B | Undot_Deen | 1 | *3000 / 3000 | *41.00 | *40.10 | "
                      "*0.9876 | -";
    const QString c = "V010001_V001001_C_No_Filter.m2v | C | No_Filter | 3 | 3001 / 3000 | 40.99 | 40.09 | 0.9875 | -";
    const QString none = "V010001_V001001_No_Matrix_Deen.m2v | No_Matrix | Deen | 4 | - | - | - | - | -";
    const struct {
        int column;
        QStringList rows;
    } sorts[] = {{Size, {b, a, c, none}}, {Size, {none, c, a, b}}, {PsnrY, {none, c, b, a}}, {Matrix, {a, b, c, none}}};
    for (const auto& sort : sorts) {
        clickHeader(table, sort.column);
        QCOMPARE(rowsOf(table), sort.rows);
    }
    QCOMPARE(table->item(0, Matrices)->toolTip(), QStringLiteral("Words for A"));
}

void PreviewCompareTest::tableFollowsTheSegmentAndTheDialogItsColumns() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    project.encoded("V010001_V001001_A_Deen.m2v", 1);
    project.encoded("v020001_V002001_" + std::string(24, 'm') + "_No_Filter.m2v", 1, {2950, 40, 41.5, 0.98});
    project.encoded("V010002_V001002_" + std::string(150, 'm') + "_No_Filter.m2v", 1);
    QTableWidget* table = openCompare(window);
    QCOMPARE(rowsOf(table), QStringList({"V010001_V001001_A_Deen.m2v | A | Deen | 1 | - | - | - | - | -"}));
    auto* dialog = child<QDialog>(&window, "frmCompare");
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    // Made narrow by hand, then refilled for another segment: it grows to show every column, as far as
    // the screen lets it.
    dialog->resize(300, dialog->height());
    clickItem(&window, "lstSegment2", "v020001_V002001.AVS");
    QCOMPARE(table->item(0, Matrix)->text(), QString(24, 'm'));
    const int screen = dialog->screen()->availableGeometry().width();
    QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width() || dialog->width() >= screen - 64);
    // Names too long for any screen wrap in columns of their own width; the dialog stays on the screen.
    clickItem(&window, "lstSegment2", "V010002_V001002.avs");
    QVERIFY(table->columnWidth(File) <= 240 && table->columnWidth(Matrix) <= 160);
    QVERIFY2(table->rowHeight(0) >= 4 * table->fontMetrics().height(), "the names are not wrapped");
    QVERIFY(dialog->frameGeometry().width() <= screen);
}

void PreviewCompareTest::measureFillsTheOpenTableAndCancelStopsOne() {
    if (!fs::exists(fs::path(QUIRE_BIN) / "quire-avs"))
        QSKIP("the renderer has not been built");
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    QTableWidget* table = openCompare(window);
    QCOMPARE(table->rowCount(), 0);
    encode(project, window, 25);
    QTRY_VERIFY_WITH_TIMEOUT(!child(&window, "cmdCancelMeasure")->isEnabled(), 60000);
    // The same black frames on both sides; the bitrate against the project's target.
    QCOMPARE(rowsOf(table).size(), 1);
    QCOMPARE(rowsOf(table).front().section(" | ", 5), QStringLiteral("*100.00 | *100.00 | *1.0000 | Unreadable"));
    QVERIFY(table->item(0, Bitrate)->text().endsWith(" / 900"));

    encode(project, window, 25000);
    auto* progress = child<QProgressBar>(&window, "ProgressBar1");
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 30000);
    QCOMPARE(progress->maximum(), 25000);
    click(&window, "cmdCancelMeasure");
    QTRY_VERIFY_WITH_TIMEOUT(!child(&window, "cmdCancelMeasure")->isEnabled(), 10000);
    QVERIFY(progress->value() < 25000);
    QVERIFY(!preview::savedMetrics(project.preview(kEncoded)));
    QVERIFY(readBytes(project.state.log.file()).find("PREVIEW: The measure was cancelled.") != std::string::npos);
    QCOMPARE(table->item(0, PsnrY)->text(), QStringLiteral("-"));
}

void PreviewCompareTest::twoRowsOpenTheABViewWithoutAPlayer() {
    Project project;
    project.writeEditorIni("TesseraFolder=" + (project.folder / "Tessera").string() + "\r\n");
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    for (const char* name : {"V010001_V001001_A_Deen.m2v", "V010001_V001001_B_Deen.m2v", "V010001_V001001_C_Deen.m2v"})
        project.encoded(name, 1);
    QTableWidget* table = openCompare(window);
    QVERIFY(!child(&window, "lstM2V")->isEnabled());
    const auto clickRow = [table](int row, Qt::KeyboardModifiers keys) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, keys,
                          table->visualItemRect(table->item(row, Size)).center());
    };
    clickRow(2, {});
    QVERIFY(!child(&window, "cmdCompareAB")->isEnabled());
    clickRow(0, Qt::ControlModifier);
    click(&window, "cmdCompareAB");
    auto* view = child<ABView>(&window, "frmAB");
    QCOMPARE(textOf(view, "lblA"), QStringLiteral("A: V010001_V001001_A_Deen.m2v"));
    QCOMPARE(textOf(view, "lblB"), QStringLiteral("B: V010001_V001001_C_Deen.m2v"));
    clickRow(1, Qt::ControlModifier);
    QVERIFY(!child(&window, "cmdCompareAB")->isEnabled());
}

QTEST_MAIN(PreviewCompareTest)
#include "PreviewCompareTest.moc"
