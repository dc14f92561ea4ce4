// The preview window's comparison of test encodes: after an Encode (and the matrix read-back) the file
// is measured against the frames it was encoded from, off the window's thread with the progress bar and
// a Cancel button; "Compare..." opens a small window over the Preview window with one row per encoded
// file of the selected segment, sortable by any column, the best value of each measure in bold; "A/B
// View..." shows the same frame of two selected encoded files.
#include "platform/FileIo.h"
#include "preview/ABView.h"
#include "preview/EncodeMetrics.h"
#include "preview/EncoderCommand.h"
#include "preview/MatrixCheck.h"
#include "preview/PreviewWindow.h"
#include "preview/WorkFolders.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace quire {

using namespace preview;
namespace fs = std::filesystem;

namespace {

enum Column { File, Matrix, Filter, Size, Bitrate, PsnrY, PsnrAll, Ssim, Matrices, ColumnCount };
const char* const kHeaders[ColumnCount] = {"File",   "Matrix",     "Filters", "Size (KB)", "Bitrate / target",
                                           "PSNR Y", "PSNR (all)", "SSIM",    "Matrices"};

// A cell that sorts by a number and shows a text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text) { setData(Qt::UserRole, value); }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

} // namespace

void Preview::buildCompare() {
    // The three buttons sit at the foot of the encoded-files frame, under the read-back verdict. Two files
    // are chosen for the A/B view with Ctrl or Shift held, as in any list.
    QWidget* frame = m_lstM2V->parentWidget();
    m_lstM2V->setGeometry(8, 20, 236, 72);
    m_lstM2V->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lblMatrixCheck->setGeometry(8, 94, 236, 50);
    m_cmdCompare = placed(new ccXPButton(QStringLiteral("Co&mpare..."), frame), "cmdCompare", QRect(8, 148, 76, 22));
    m_cmdAB = placed(new ccXPButton(QStringLiteral("A/&B View..."), frame), "cmdAB", QRect(88, 148, 84, 22));
    m_cmdAB->setEnabled(false);
    m_cmdCancelMeasure =
        placed(new ccXPButton(QStringLiteral("Cancel"), frame), "cmdCancelMeasure", QRect(176, 148, 68, 22));
    m_cmdCancelMeasure->setEnabled(false);
    m_measureTimer = new QTimer(this);
    m_measureTimer->setInterval(100);
    connect(m_measureTimer, &QTimer::timeout, this, &Preview::pollMeasure);
    connect(m_cmdCompare, &ccXPButton::clicked, this, &Preview::showCompare);
    connect(m_cmdCancelMeasure, &ccXPButton::clicked, this, &Preview::cancelMeasure);
    connect(m_cmdAB, &ccXPButton::clicked, this, &Preview::showABView);
    connect(m_lstM2V, &QListWidget::itemSelectionChanged, this, &Preview::updateABButton);
}

void Preview::updateABButton() {
    m_cmdAB->setEnabled(m_lstM2V->selectedItems().size() == 2);
}

void Preview::showABView() {
    QList<QListWidgetItem*> chosen = m_lstM2V->selectedItems();
    if (chosen.size() != 2)
        return;
    // A above B as the list shows them.
    std::sort(chosen.begin(), chosen.end(),
              [this](QListWidgetItem* x, QListWidgetItem* y) { return m_lstM2V->row(x) < m_lstM2V->row(y); });
    const auto path = [this](const QListWidgetItem* item) {
        return previewFolder() / fileio::textToPath(toCp1252(item->text()).value_or(std::string()));
    };
    if (m_frmAB)
        m_frmAB->close(); // one view at a time: an earlier one goes, and its decoding with it
    m_frmAB = new ABView(path(chosen[0]), path(chosen[1]), this);
    m_frmAB->setAttribute(Qt::WA_DeleteOnClose);
    m_frmAB->setModal(false);
    m_frmAB->show();
    m_frmAB->raise();
}

void Preview::measureEncodedFile() {
    const fs::path file =
        previewFolder() / fileio::textToPath(outputFileName(fields.segment, fields.matrixName, fields.FilterName));
    if (!fs::exists(file) || !keepEncodeScript(previewFolder() / "encode.avs", file))
        return;
    const double target = std::atof(fields.project.BitrateFinal.c_str());
    m_state.log.BugLog("PREVIEW: Measuring " + fileio::pathToText(file.filename()));
    m_measure.reset(); // a measure of an earlier encode still going gives way
    m_cmdCancelMeasure->setEnabled(true);
    m_progressBar1->setRange(0, 1);
    m_progressBar1->setValue(0);
    m_measure = std::make_unique<MeasureJob>(MeasureTools{m_state.programFolder / "quire-avs"}, file, target);
    m_measureTimer->start();
}

void Preview::pollMeasure() {
    if (!m_measure)
        return;
    m_progressBar1->setRange(0, std::max(1, m_measure->framesTotal()));
    m_progressBar1->setValue(std::min(m_progressBar1->maximum(), m_measure->framesDone()));
    if (!m_measure->finished())
        return;
    m_measureTimer->stop();
    const MeasureResult& result = m_measure->result();
    m_state.log.BugLog("PREVIEW: " +
                       (result.metrics ? "Measured " + fileio::pathToText(m_measure->file().filename()) : result.why));
    m_measure.reset();
    m_cmdCancelMeasure->setEnabled(false);
    if (m_tblCompare)
        fillCompareTable();
}

void Preview::cancelMeasure() {
    if (m_measure)
        m_measure->cancel();
}

void Preview::showCompare() {
    if (!m_frmCompare) {
        m_frmCompare = new QDialog(this);
        m_frmCompare->setObjectName(QStringLiteral("frmCompare"));
        m_frmCompare->setWindowTitle(QStringLiteral("Compare Test Encodes"));
        m_frmCompare->setModal(false);
        auto* layout = new QVBoxLayout(m_frmCompare);
        m_tblCompare = new QTableWidget(0, ColumnCount, m_frmCompare);
        m_tblCompare->setObjectName(QStringLiteral("tblCompare"));
        for (int c = 0; c < ColumnCount; ++c)
            m_tblCompare->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromLatin1(kHeaders[c])));
        m_tblCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_tblCompare->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_tblCompare->verticalHeader()->hide();
        layout->addWidget(m_tblCompare);
        m_frmCompare->resize(900, 260);
    }
    fillCompareTable();
    m_frmCompare->show();
    m_frmCompare->raise();
}

void Preview::fillCompareTable() {
    m_tblCompare->setSortingEnabled(false);
    m_tblCompare->setRowCount(0);
    std::vector<std::pair<int, double>> best(ColumnCount, {-1, 0});
    // Higher is better for the quality measures; the bitrate is best nearest its target.
    const auto consider = [&best](int column, int row, double score) {
        if (best[column].first < 0 || score > best[column].second)
            best[column] = {row, score};
    };
    for (const std::string& name : listMatching(previewFolder(), "*.m2v")) {
        const auto parts = splitEncodedName(fields.segment, name);
        if (!parts)
            continue;
        const fs::path file = previewFolder() / fileio::textToPath(name);
        const auto metrics = savedMetrics(file);
        const auto check = savedCheck(file);
        const int row = m_tblCompare->rowCount();
        m_tblCompare->insertRow(row);
        m_tblCompare->setItem(row, File, new QTableWidgetItem(fromCp1252(name)));
        m_tblCompare->setItem(row, Matrix, new QTableWidgetItem(fromCp1252(parts->matrix)));
        m_tblCompare->setItem(row, Filter, new QTableWidgetItem(fromCp1252(parts->filter)));
        std::error_code error;
        const double size = static_cast<double>(fs::file_size(file, error)) / 1024.0;
        m_tblCompare->setItem(row, Size, new NumberItem(number(size, 0), size));
        if (metrics) {
            const QString target = metrics->target > 0 ? number(metrics->target, 0) : QStringLiteral("?");
            m_tblCompare->setItem(row, Bitrate,
                                  new NumberItem(number(metrics->bitrate, 0) + " / " + target, metrics->bitrate));
            m_tblCompare->setItem(row, PsnrY, new NumberItem(number(metrics->psnrY, 2), metrics->psnrY));
            m_tblCompare->setItem(row, PsnrAll, new NumberItem(number(metrics->psnrAll, 2), metrics->psnrAll));
            m_tblCompare->setItem(row, Ssim, new NumberItem(number(metrics->ssim, 4), metrics->ssim));
            if (metrics->target > 0)
                consider(Bitrate, row, -std::fabs(metrics->bitrate - metrics->target));
            consider(PsnrY, row, metrics->psnrY);
            consider(PsnrAll, row, metrics->psnrAll);
            consider(Ssim, row, metrics->ssim);
        } else {
            for (int c : {Bitrate, PsnrY, PsnrAll, Ssim})
                m_tblCompare->setItem(row, c, new NumberItem(QStringLiteral("-"), -1));
        }
        const QString words = check ? fromCp1252(check->words) : QStringLiteral("Not read back.");
        auto* matrices =
            new QTableWidgetItem(check ? (check->verdict == CheckVerdict::Matches   ? QStringLiteral("As chosen")
                                          : check->verdict == CheckVerdict::Differs ? QStringLiteral("Differ")
                                                                                    : QStringLiteral("Unreadable"))
                                       : QStringLiteral("-"));
        matrices->setToolTip(words);
        m_tblCompare->setItem(row, Matrices, matrices);
    }
    for (int c = 0; c < ColumnCount; ++c)
        if (best[c].first >= 0) {
            QTableWidgetItem* item = m_tblCompare->item(best[c].first, c);
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
            item->setForeground(QColor(0, 110, 0));
            item->setData(Qt::UserRole + 1, true); // best of its column
        }
    m_tblCompare->setSortingEnabled(true);
    m_tblCompare->resizeColumnsToContents();
}

} // namespace quire
