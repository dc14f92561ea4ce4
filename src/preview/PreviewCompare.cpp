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
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

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

// The file and matrix names wrap in these widths; the room left on the screen beside the window.
constexpr int kFileColumnWidth = 240;
constexpr int kMatrixColumnWidth = 160;
constexpr int kScreenMargin = 16;

// Draws the file and matrix names wrapped anywhere: they have no blanks to wrap at, and a long one must
// still fit its column.
class NameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString text = index.data().toString();
        const int width = option.rect.width() > 0 ? option.rect.width() - 2 * kTextMargin : QWIDGETSIZE_MAX;
        const QRect needed =
            option.fontMetrics.boundingRect(QRect(0, 0, width, QWIDGETSIZE_MAX), Qt::TextWrapAnywhere, text);
        return needed.size() + QSize(2 * kTextMargin, 2 * kTextMargin);
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem look = option;
        initStyleOption(&look, index);
        const QString text = look.text;
        look.text.clear();
        const QWidget* view = option.widget;
        (view ? view->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &look, painter, view);
        painter->save();
        painter->setPen(
            look.palette.color(look.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0),
                          Qt::TextWrapAnywhere | Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

private:
    static constexpr int kTextMargin = 3;
};

// A cell with the best value of its column: bold and green.
void markBest(QTableWidgetItem* item) {
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
    item->setForeground(QColor(0, 110, 0));
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
    openABView(chosen[0]->text(), chosen[1]->text());
}

void Preview::showABViewOfRows() {
    // The two selected rows of the comparison table, A above B as the table shows them.
    std::vector<int> rows;
    for (const QModelIndex& index : m_tblCompare->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.size() != 2)
        return;
    std::sort(rows.begin(), rows.end());
    openABView(m_tblCompare->item(rows[0], File)->text(), m_tblCompare->item(rows[1], File)->text());
}

void Preview::openABView(const QString& a, const QString& b) {
    const auto path = [this](const QString& name) {
        return previewFolder() / fileio::textToPath(toCp1252(name).value_or(std::string()));
    };
    if (m_frmAB)
        m_frmAB->close(); // one view at a time: an earlier one goes, and its decoding with it
    m_frmAB = new ABView(path(a), path(b), this);
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
        m_tblCompare->horizontalHeader()->setSortIndicator(File, Qt::AscendingOrder); // the list's order at first
        m_tblCompare->setItemDelegateForColumn(File, new NameDelegate(m_tblCompare));
        m_tblCompare->setItemDelegateForColumn(Matrix, new NameDelegate(m_tblCompare));
        layout->addWidget(m_tblCompare);
        // Two rows chosen with Ctrl or Shift open the A/B view, also when no media player is set and the
        // encoded-files list stays closed.
        m_tblCompare->setSelectionMode(QAbstractItemView::ExtendedSelection);
        m_cmdCompareAB = new ccXPButton(QStringLiteral("A/&B View..."), m_frmCompare);
        m_cmdCompareAB->setObjectName(QStringLiteral("cmdCompareAB"));
        m_cmdCompareAB->setFixedSize(84, 22);
        m_cmdCompareAB->setEnabled(false);
        layout->addWidget(m_cmdCompareAB, 0, Qt::AlignLeft);
        connect(m_cmdCompareAB, &ccXPButton::clicked, this, &Preview::showABViewOfRows);
        connect(m_tblCompare, &QTableWidget::itemSelectionChanged, this,
                [this] { m_cmdCompareAB->setEnabled(m_tblCompare->selectionModel()->selectedRows().size() == 2); });
        m_frmCompare->resize(900, 260);
    }
    fillCompareTable();
    m_frmCompare->show();
    m_frmCompare->raise();
}

void Preview::fillCompareTable() {
    m_tblCompare->setSortingEnabled(false);
    m_tblCompare->setRowCount(0);
    // Each measure's score per row, higher is better, taken from the value as shown: files that show the
    // same value are equally good, and all of the best stand out. The bitrate is best nearest its target.
    std::vector<std::vector<std::pair<int, double>>> scores(ColumnCount);
    const auto shown = [this](int row, int column, double value, int decimals, const QString& after = {}) {
        const QString text = number(value, decimals);
        m_tblCompare->setItem(row, column, new NumberItem(text + after, value));
        return text.toDouble();
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
        auto* fileItem = new QTableWidgetItem(fromCp1252(name));
        fileItem->setToolTip(fileItem->text());
        m_tblCompare->setItem(row, File, fileItem);
        m_tblCompare->setItem(row, Matrix, new QTableWidgetItem(fromCp1252(parts->matrix)));
        m_tblCompare->setItem(row, Filter, new QTableWidgetItem(fromCp1252(parts->filter)));
        std::error_code error;
        shown(row, Size, static_cast<double>(fs::file_size(file, error)) / 1024.0, 0);
        if (metrics) {
            const QString target = metrics->target > 0 ? number(metrics->target, 0) : QStringLiteral("?");
            const double bitrate = shown(row, Bitrate, metrics->bitrate, 0, " / " + target);
            if (metrics->target > 0)
                scores[Bitrate].emplace_back(row, -std::fabs(bitrate - target.toDouble()));
            scores[PsnrY].emplace_back(row, shown(row, PsnrY, metrics->psnrY, 2));
            scores[PsnrAll].emplace_back(row, shown(row, PsnrAll, metrics->psnrAll, 2));
            scores[Ssim].emplace_back(row, shown(row, Ssim, metrics->ssim, 4));
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
    for (const auto& column : scores) {
        double best = -std::numeric_limits<double>::infinity();
        for (const auto& [row, score] : column)
            best = std::max(best, score);
        for (const auto& [row, score] : column)
            if (score == best)
                markBest(m_tblCompare->item(row, static_cast<int>(&column - scores.data())));
    }
    m_tblCompare->setSortingEnabled(true);
    fitCompareTable();
}

void Preview::fitCompareTable() {
    // A long file or matrix name wraps in a column of limited width instead of widening the window past
    // the screen; the window then grows to show every column.
    m_tblCompare->resizeColumnsToContents();
    m_tblCompare->setColumnWidth(File, std::min(m_tblCompare->columnWidth(File), kFileColumnWidth));
    m_tblCompare->setColumnWidth(Matrix, std::min(m_tblCompare->columnWidth(Matrix), kMatrixColumnWidth));
    m_tblCompare->resizeRowsToContents();
    int columns = 0;
    for (int c = 0; c < ColumnCount; ++c)
        columns += m_tblCompare->columnWidth(c);
    const QMargins margins = m_frmCompare->layout()->contentsMargins();
    const int wanted = columns + 2 * m_tblCompare->frameWidth() +
                       m_tblCompare->verticalScrollBar()->sizeHint().width() + margins.left() + margins.right();
    const QScreen* screen = m_frmCompare->screen();
    const int room = screen ? screen->availableGeometry().width() - 2 * kScreenMargin : wanted;
    m_frmCompare->resize(std::min(wanted, room), m_frmCompare->height());
}

} // namespace quire
