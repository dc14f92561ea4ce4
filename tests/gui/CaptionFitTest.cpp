// Every caption of every built-in language fits its control: each window that takes its captions
// from the language file is opened in each language and every text it shows is measured with the
// control's own font against the control's size.
#include "GuiSupport.h"

#include "app/Main.h"
#include "matrix/DefaultSet.h"
#include "matrix/MatrixEdit.h"
#include "matrix/MatrixImport.h"
#include "matrix/MatrixWindow.h"
#include "preview/ControlList.h"
#include "preview/PreviewWindow.h"
#include "support/RecordingRunner.h"
#include "ui/Languages.h"
#include "ui/Setup.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <functional>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

// Room the XP button's face keeps around its caption: its 3-pixel edge and a pixel of air.
constexpr int kButtonMargin = 2 * 4;

// What does not fit in one control, as "name: needs w x h, has w x h"; empty when it fits.
QString misfit(QWidget* widget, bool values) {
    QSize needed;
    if (auto* button = qobject_cast<ccXPButton*>(widget)) {
        if (button->displayedCaption().isEmpty())
            return {};
        const QFontMetrics metrics(button->font());
        needed = QSize(metrics.horizontalAdvance(button->displayedCaption()) + kButtonMargin,
                       metrics.height() + kButtonMargin);
    } else if (auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap()) {
        needed = QSize(0, label->heightForWidth(label->width()));
    } else if (label || qobject_cast<QRadioButton*>(widget) || qobject_cast<QCheckBox*>(widget)) {
        needed = widget->sizeHint();
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox options;
        options.initFrom(frame);
        options.text = frame->title();
        options.subControls = QStyle::SC_GroupBoxLabel;
        const QRect title =
            frame->style()->subControlRect(QStyle::CC_GroupBox, &options, QStyle::SC_GroupBoxLabel, frame);
        if (frame->title().isEmpty() || frame->rect().contains(title))
            return {};
        needed = title.size();
    } else if (auto* field = qobject_cast<QLineEdit*>(widget); values && field && field->isReadOnly()) {
        // A shown value: its text inside the frame's contents with the edit's 2-pixel text margins.
        QStyleOptionFrame options;
        options.initFrom(field);
        options.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &options, field);
        const QRect inside = field->style()->subElementRect(QStyle::SE_LineEditContents, &options, field);
        if (field->fontMetrics().horizontalAdvance(field->text()) + 4 <= inside.width())
            return {};
        needed = QSize(field->width() - inside.width() + field->fontMetrics().horizontalAdvance(field->text()) + 4,
                       field->height());
    } else {
        return {};
    }
    if (needed.width() <= widget->width() && needed.height() <= widget->height())
        return {};
    return QString::asprintf("%s: needs %d x %d, has %d x %d", qPrintable(widget->objectName()), needed.width(),
                             needed.height(), widget->width(), widget->height());
}

// The misfits of a shown window and its visible children; with `values`, also of the values its read-only
// fields show.
QStringList misfits(QWidget* window, bool values = false) {
    QStringList found;
    for (QWidget* widget : window->findChildren<QWidget*>())
        if (widget->isVisibleTo(window))
            if (const QString what = misfit(widget, values); !what.isEmpty())
                found << window->objectName() + " " + what;
    return found;
}

} // namespace

class CaptionFitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setFont(programFont()); }
    void everyCaptionFitsInEveryLanguage_data() {
        QTest::addColumn<QString>("language");
        for (const std::string_view name : kLanguageFileNames)
            QTest::newRow(std::string(name).c_str()) << QString::fromLatin1(name.data(), name.size());
    }
    void everyCaptionFitsInEveryLanguage() {
        QFETCH(QString, language);
        Program p;
        WriteDefaultMatrices(p.folder / "Lib");
        p.folder.write("Editor.ini", "[Config]\r\nLanguage=" + language.toStdString() +
                                         "\r\nMatrixFolder=" + p.state.txtPath + "\r\nInterfaceVersion=7\r\n");
        Main main(p.folder.path(), p.prompter);
        main.start();
        SharedState& state = main.state();
        const std::vector<std::function<QWidget*()>> windows = {
            [&] { return &main; },
            [&] { return new Matrix(state, &main); },
            [&] { return new MatrixEdit(state, "1-High_High(4000+).mtx", "High", "More", &main); },
            [&] { return new MatrixImport(state, &main); },
            [&] { return new Languages(state, &main); },
            [&] { return new Setup(state, &main); },
        };
        QStringList found;
        for (const auto& make : windows) {
            QWidget* window = make();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            found << misfits(window);
            if (window != &main)
                delete window;
        }
        QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
    }
    // The Preview window's captions are its own (not localised): they fit with the filter panels out and in.
    void previewCaptionsFitInBothModes() {
        Program p;
        fs::copy(fs::path(QUIRE_TEST_DATA) / "preview" / "Tessera", p.folder / "Tessera", fs::copy_options::recursive);
        p.writeEditorIni("Player=/usr/bin/player\r\nTesseraFolder=" + (p.folder / "Tessera").string() + "\r\n");
        RecordingRunner runner;
        Preview window(p.state, runner);
        QVERIFY(showActive(window));
        // With a segment chosen its details fill the Segment Info fields.
        clickItem(&window, "lstSegment2", "V010001_V001001.avs");
        QStringList found = misfits(&window, true);
        // The longest instructions, in both instruction labels.
        for (const std::string_view caption :
             {preview::kFilesReadyCaption, preview::kEncodedCaption,
              std::string_view("Press the 'Prepare' button to create the necessary script files.\r\n\r\nAfter pressing "
                               "the Button, please, wait a few seconds until you get the next message.")}) {
            window.setActionCaptions(caption);
            found << misfits(&window);
        }
        for (const char* control : {"optMode_1", "chkFilter_1", "Option4"})
            child<QAbstractButton>(&window, control)->click();
        found << misfits(&window);
        QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
    }
};

QTEST_MAIN(CaptionFitTest)
#include "CaptionFitTest.moc"
