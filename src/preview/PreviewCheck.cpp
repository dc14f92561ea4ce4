// The preview window's proof that the matrix went in: after an Encode the file's matrices are read back
// and compared with the choice; the encoded-segments list marks every file with its kept verdict (an
// icon and a tool tip; the item text stays the file name), and a label under the list says the selected
// file's verdict in words.
#include "platform/FileIo.h"
#include "preview/EncoderCommand.h"
#include "preview/MatrixCheck.h"
#include "preview/PreviewWindow.h"
#include "preview/WorkFolders.h"
#include "ui/WindowLook.h"

#include <QLabel>
#include <QListWidget>
#include <QStyle>

namespace quire {

using namespace preview;
namespace fs = std::filesystem;

namespace {

QIcon verdictIcon(const QStyle* style, CheckVerdict verdict) {
    switch (verdict) {
    case CheckVerdict::Matches:
        return style->standardIcon(QStyle::SP_DialogApplyButton);
    case CheckVerdict::Differs:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case CheckVerdict::Unreadable:
        break;
    }
    return style->standardIcon(QStyle::SP_MessageBoxQuestion);
}

} // namespace

void Preview::buildMatrixCheck() {
    QWidget* frame = m_lstM2V->parentWidget();
    m_lstM2V->setGeometry(8, 20, 236, 84);
    m_lblMatrixCheck = placed(new QLabel(frame), "lblMatrixCheck", QRect(8, 106, 236, 64));
    m_lblMatrixCheck->setWordWrap(true);
    m_lblMatrixCheck->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    connect(m_lstM2V, &QListWidget::currentItemChanged, this,
            [this](const QListWidgetItem* current) { showCheckOf(current); });
}

void Preview::checkEncodedFile() {
    const std::string name = outputFileName(fields.segment, fields.matrixName, fields.FilterName);
    const bool noMatrix = fields.matrixName == kNoMatrixName || fields.matrixFile.empty();
    const fs::path file = previewFolder() / fileio::textToPath(name);
    if (!fs::exists(file))
        return; // the encoder wrote nothing; it has told the user so
    m_state.log.BugLog("PREVIEW: Reading back the matrices of " + name);
    const MatrixCheck check = CheckEncodedMatrices(m_runner, m_state.programFolder, file, fields.matrixFolder,
                                                   noMatrix ? std::string() : fields.matrixFile);
    m_state.log.BugLog("PREVIEW: " + check.words);
    showMatrixChecks();
    const QList<QListWidgetItem*> shown = m_lstM2V->findItems(fromCp1252(name), Qt::MatchExactly);
    if (!shown.isEmpty())
        m_lstM2V->setCurrentItem(shown.front());
}

void Preview::showMatrixChecks() {
    for (int row = 0; row < m_lstM2V->count(); ++row) {
        QListWidgetItem* item = m_lstM2V->item(row);
        const fs::path file = previewFolder() / fileio::textToPath(toCp1252(item->text()).value_or(std::string()));
        const auto check = savedCheck(file);
        item->setIcon(check ? verdictIcon(style(), check->verdict) : QIcon());
        item->setToolTip(check ? fromCp1252(check->words) : QStringLiteral("Its matrices have not been read back."));
        item->setData(Qt::UserRole, check ? static_cast<int>(check->verdict) : -1);
    }
    showCheckOf(m_lstM2V->currentItem());
}

void Preview::showCheckOf(const QListWidgetItem* item) {
    // The tool tip repeats the words, for a matrix name too long for the label's lines.
    m_lblMatrixCheck->setText(item ? item->toolTip() : QString());
    m_lblMatrixCheck->setToolTip(m_lblMatrixCheck->text());
}

} // namespace quire
