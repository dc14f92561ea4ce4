// Drives real XP-style buttons in a real window: hover, press and release with the mouse, Space,
// Enter, access keys, arrow keys, the disabled look, an inactive window, and the painted colours.
#include "ui/XPButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using quire::ccXPButton;
using quire::ui::XPButtonState;

namespace {

QPoint centre(const QWidget* w) {
    return w->rect().center();
}

// The colour the button's face drawing gives a pixel, or an invalid colour where nothing paints.
QColor expectedPixel(XPButtonState state, int width, int height, int x, int y) {
    QColor colour;
    for (const quire::ui::PaintRect& r : quire::ui::xpButtonFace(state, width, height))
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
            colour = QColor(r.colour.red, r.colour.green, r.colour.blue);
    return colour;
}

} // namespace

class XPButtonTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hoverAndPressFollowTheMouse();
    void releaseOutsideGivesNoClick();
    void doubleClickRaisesOneClick();
    void spaceAndEnterClick();
    void accessKeyClicks();
    void sharedAccessKeyOnlyMovesTheFocus();
    void arrowsMoveTheFocus();
    void disabledButtonIgnoresEverything();
    void inactiveWindowGivesNoClick();
    void captionMarksTheAccessKey();
    void foreColourFromStoredText();
    void statesPaintTheirColours();
    void focusRectangle();

private:
    // Moves the mouse onto the button (or away from both buttons) the way a user would.
    void hover(QWidget* target) { QTest::mouseMove(target, centre(target)); }
    void moveAway() { QTest::mouseMove(m_window.get(), QPoint(280, 90)); }
    QImage picture(ccXPButton* button) { return button->grab().toImage(); }

    std::unique_ptr<QWidget> m_window;
    ccXPButton* m_save = nullptr;
    ccXPButton* m_exit = nullptr;
};

void XPButtonTest::init() {
    m_window = std::make_unique<QWidget>();
    m_window->resize(300, 100);
    m_save = new ccXPButton(QStringLiteral("&Save"), m_window.get());
    m_save->setObjectName("cmdSave");
    m_save->setGeometry(10, 10, 75, 23);
    m_exit = new ccXPButton(QStringLiteral("E&xit"), m_window.get());
    m_exit->setObjectName("cmdExit");
    m_exit->setGeometry(100, 10, 75, 23);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    // The window gives its first button the focus; start from the plain look.
    QVERIFY(m_save->hasFocus());
    m_save->clearFocus();
    moveAway();
    QCOMPARE(m_save->visualState(), XPButtonState::Normal);
}

void XPButtonTest::cleanup() {
    // The next test's window opens at the same place: leave the pointer off its buttons.
    moveAway();
    m_window.reset();
}

void XPButtonTest::hoverAndPressFollowTheMouse() {
    QSignalSpy clicks(m_save, &ccXPButton::clicked);
    QCOMPARE(m_save->visualState(), XPButtonState::Normal);
    hover(m_save);
    QCOMPARE(m_save->visualState(), XPButtonState::Hover);
    QTest::mousePress(m_save, Qt::LeftButton, {}, centre(m_save));
    QCOMPARE(m_save->visualState(), XPButtonState::Pressed);
    QVERIFY(m_save->hasFocus());
    QCOMPARE(clicks.count(), 0);
    QTest::mouseRelease(m_save, Qt::LeftButton, {}, centre(m_save));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(m_save->visualState(), XPButtonState::Hover);
    moveAway();
    QCOMPARE(m_save->visualState(), XPButtonState::Focused);
    QCOMPARE(m_exit->visualState(), XPButtonState::Normal);
}

void XPButtonTest::releaseOutsideGivesNoClick() {
    QSignalSpy clicks(m_save, &ccXPButton::clicked);
    hover(m_save);
    QTest::mousePress(m_save, Qt::LeftButton, {}, centre(m_save));
    // Dragging off shows the focused look; dragging back shows pressed again.
    QTest::mouseMove(m_save, QPoint(120, 11));
    QCOMPARE(m_save->visualState(), XPButtonState::Focused);
    QTest::mouseMove(m_save, centre(m_save));
    QCOMPARE(m_save->visualState(), XPButtonState::Pressed);
    QTest::mouseMove(m_save, QPoint(120, 11));
    QTest::mouseRelease(m_save, Qt::LeftButton, {}, QPoint(120, 11));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(m_save->visualState(), XPButtonState::Focused);
}

void XPButtonTest::doubleClickRaisesOneClick() {
    QSignalSpy clicks(m_save, &ccXPButton::clicked);
    QSignalSpy doubles(m_save, &ccXPButton::doubleClicked);
    hover(m_save);
    // A double click as the platform delivers it: a click, then a press with the double-click
    // event, then the release.
    QTest::mouseClick(m_save, Qt::LeftButton, {}, centre(m_save));
    QCOMPARE(clicks.count(), 1);
    QTest::mousePress(m_save, Qt::LeftButton, {}, centre(m_save));
    QTest::mouseDClick(m_save, Qt::LeftButton, {}, centre(m_save));
    QCOMPARE(m_save->visualState(), XPButtonState::Pressed);
    QTest::mouseRelease(m_save, Qt::LeftButton, {}, centre(m_save));
    QCOMPARE(doubles.count(), 1);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(m_save->visualState(), XPButtonState::Hover);
}

void XPButtonTest::spaceAndEnterClick() {
    QSignalSpy clicks(m_save, &ccXPButton::clicked);
    m_save->setFocus();
    QCOMPARE(m_save->visualState(), XPButtonState::Focused);
    QTest::keyPress(m_save, Qt::Key_Space);
    QCOMPARE(m_save->visualState(), XPButtonState::Pressed);
    QCOMPARE(clicks.count(), 0);
    QTest::keyRelease(m_save, Qt::Key_Space);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(m_save->visualState(), XPButtonState::Focused);

    // Holding Space repeats the key; only the real release clicks.
    QTest::keyPress(m_save, Qt::Key_Space);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeatedUp(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QKeyEvent repeatedDown(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(m_save, &repeatedUp);
        QApplication::sendEvent(m_save, &repeatedDown);
    }
    QCOMPARE(m_save->visualState(), XPButtonState::Pressed);
    QCOMPARE(clicks.count(), 1);
    QTest::keyRelease(m_save, Qt::Key_Space);
    QCOMPARE(clicks.count(), 2);

    // Space pressed, then the focus moves away: releasing it clicks nothing.
    QTest::keyPress(m_save, Qt::Key_Space);
    m_exit->setFocus();
    QCOMPARE(m_save->visualState(), XPButtonState::Normal);
    QTest::keyRelease(m_save, Qt::Key_Space);
    QCOMPARE(clicks.count(), 2);

    m_save->setFocus();
    QTest::keyClick(m_save, Qt::Key_Return);
    QCOMPARE(clicks.count(), 3);
    QTest::keyClick(m_save, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicks.count(), 4);
    QCOMPARE(m_save->visualState(), XPButtonState::Focused);
}

void XPButtonTest::accessKeyClicks() {
    QSignalSpy saves(m_save, &ccXPButton::clicked);
    QSignalSpy exits(m_exit, &ccXPButton::clicked);
    QTest::keyClick(m_window.get(), Qt::Key_X, Qt::AltModifier);
    QCOMPARE(exits.count(), 1);
    QCOMPARE(saves.count(), 0);
    QVERIFY(m_exit->hasFocus());
    QCOMPARE(m_exit->visualState(), XPButtonState::Focused);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::AltModifier);
    QCOMPARE(saves.count(), 1);
    QCOMPARE(exits.count(), 1);
    // Without Alt the letter is just a key.
    QTest::keyClick(m_window.get(), Qt::Key_X);
    QCOMPARE(exits.count(), 1);
}

void XPButtonTest::sharedAccessKeyOnlyMovesTheFocus() {
    m_exit->setCaption(QStringLiteral("&Stop"));
    QSignalSpy saves(m_save, &ccXPButton::clicked);
    QSignalSpy stops(m_exit, &ccXPButton::clicked);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::AltModifier);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::AltModifier);
    QCOMPARE(saves.count() + stops.count(), 0);
    QVERIFY(m_save->hasFocus() || m_exit->hasFocus());
}

void XPButtonTest::arrowsMoveTheFocus() {
    m_save->setFocus();
    QTest::keyClick(m_save, Qt::Key_Right);
    QVERIFY(m_exit->hasFocus());
    QCOMPARE(m_exit->visualState(), XPButtonState::Focused);
    QCOMPARE(m_save->visualState(), XPButtonState::Normal);
    QTest::keyClick(m_exit, Qt::Key_Left);
    QVERIFY(m_save->hasFocus());
    QTest::keyClick(m_save, Qt::Key_Down);
    QVERIFY(m_exit->hasFocus());
    QTest::keyClick(m_exit, Qt::Key_Up);
    QVERIFY(m_save->hasFocus());
}

void XPButtonTest::disabledButtonIgnoresEverything() {
    QSignalSpy clicks(m_save, &ccXPButton::clicked);
    m_save->setEnabled(false);
    QCOMPARE(m_save->visualState(), XPButtonState::Disabled);
    hover(m_save);
    QTest::mouseClick(m_save, Qt::LeftButton, {}, centre(m_save));
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::AltModifier);
    QTest::keyClick(m_save, Qt::Key_Space);
    QTest::keyClick(m_save, Qt::Key_Return);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(m_save->visualState(), XPButtonState::Disabled);
    QCOMPARE(picture(m_save).pixelColor(37, 0), QColor(201, 199, 186));
    // Enabled again while the mouse is over it: hover.
    m_save->setEnabled(true);
    QCOMPARE(m_save->visualState(), XPButtonState::Hover);
    QTest::mouseClick(m_save, Qt::LeftButton, {}, centre(m_save));
    QCOMPARE(clicks.count(), 1);
}

void XPButtonTest::inactiveWindowGivesNoClick() {
    QSignalSpy clicks(m_save, &ccXPButton::clicked);
    hover(m_save);
    QTest::mousePress(m_save, Qt::LeftButton, {}, centre(m_save));
    // Another window takes the activation while the button is held down.
    QLabel other(QStringLiteral("another window"));
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!m_window->isActiveWindow());
    const XPButtonState before = m_save->visualState();
    QTest::mouseRelease(m_save, Qt::LeftButton, {}, centre(m_save));
    QCOMPARE(clicks.count(), 0);
    // The release is not even painted.
    QCOMPARE(m_save->visualState(), before);

    // A click on the inactive window activates it first and then counts, as on Windows.
    hover(m_save);
    QTest::mouseClick(m_save, Qt::LeftButton, {}, centre(m_save));
    QCOMPARE(clicks.count(), 1);
    QTRY_VERIFY(m_window->isActiveWindow());
}

void XPButtonTest::captionMarksTheAccessKey() {
    QCOMPARE(ccXPButton().caption(), QStringLiteral("&OK"));
    QCOMPARE(m_save->caption(), QStringLiteral("&Save"));
    QCOMPARE(m_save->displayedCaption(), QStringLiteral("Save"));
    QCOMPARE(m_save->underlinedIndex(), 0);
    QCOMPARE(m_save->accessKey(), QChar(u's'));
    QCOMPARE(m_save->shortcut(), QKeySequence(QStringLiteral("Alt+S")));
    QCOMPARE(m_exit->displayedCaption(), QStringLiteral("Exit"));
    QCOMPARE(m_exit->underlinedIndex(), 1);

    m_save->setCaption(QStringLiteral("Save && Exit"));
    QCOMPARE(m_save->displayedCaption(), QStringLiteral("Save & Exit"));
    QCOMPARE(m_save->underlinedIndex(), -1);
    QVERIFY(m_save->accessKey().isNull());
    QVERIFY(m_save->shortcut().isEmpty());
    QSignalSpy clicks(m_save, &ccXPButton::clicked);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::AltModifier);
    QCOMPARE(clicks.count(), 0);

    m_save->setCaption(QStringLiteral("A&&B&C"));
    QCOMPARE(m_save->displayedCaption(), QStringLiteral("A&BC"));
    QCOMPARE(m_save->underlinedIndex(), 3);
    QCOMPARE(m_save->shortcut(), QKeySequence(QStringLiteral("Alt+C")));
    QTest::keyClick(m_window.get(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(clicks.count(), 1);
}

void XPButtonTest::foreColourFromStoredText() {
    QCOMPARE(m_save->foreColor(), QColor(Qt::black));
    QVERIFY(m_save->setForeColor(QStringLiteral("4210752")));
    QCOMPARE(m_save->foreColor(), QColor(64, 64, 64));
    QVERIFY(m_save->setForeColor(QStringLiteral("16737808")));
    QCOMPARE(m_save->foreColor(), QColor(16, 102, 255));
    QVERIFY(!m_save->setForeColor(QStringLiteral("blue")));
    QVERIFY(!m_save->setForeColor(QStringLiteral("16777216")));
    QCOMPARE(m_save->foreColor(), QColor(16, 102, 255));
}

void XPButtonTest::statesPaintTheirColours() {
    // Each state in turn on one button; the focus rectangle of the pressed state lies inside the
    // caption's rectangle, which the frame check leaves out.
    struct Sample {
        XPButtonState state;
        QColor border;
        QColor firstInnerEdge;
    };
    const Sample samples[] = {
        {XPButtonState::Normal, QColor(0, 60, 116), QColor(255, 255, 255)},
        {XPButtonState::Focused, QColor(0, 60, 116), QColor(206, 231, 255)},
        {XPButtonState::Hover, QColor(0, 60, 116), QColor(255, 243, 206)},
        {XPButtonState::Pressed, QColor(0, 60, 116), QColor(191, 199, 202)},
        {XPButtonState::Disabled, QColor(201, 199, 186), QColor(247, 247, 239)},
    };
    for (const Sample& sample : samples) {
        switch (sample.state) {
        case XPButtonState::Focused:
            m_exit->setDisplayAsDefault(true);
            break;
        case XPButtonState::Hover:
            m_exit->setDisplayAsDefault(false);
            hover(m_exit);
            break;
        case XPButtonState::Pressed:
            QTest::mousePress(m_exit, Qt::LeftButton, {}, centre(m_exit));
            break;
        case XPButtonState::Disabled:
            m_exit->setEnabled(false);
            break;
        default:
            break;
        }
        QCOMPARE(m_exit->visualState(), sample.state);
        const QImage image = picture(m_exit);
        const int w = image.width();
        const int h = image.height();
        QCOMPARE(QSize(w, h), QSize(75, 23));
        QCOMPARE(image.pixelColor(w / 2, 0), sample.border);
        QCOMPARE(image.pixelColor(w / 2, 1), sample.firstInnerEdge);
        // The frame outside the caption's rectangle is exactly the face drawing.
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool frame = x < 3 || y < 3 || x >= w - 3 || y >= h - 3;
                const QColor expected = expectedPixel(sample.state, w, h, x, y);
                if (frame && expected.isValid() && image.pixelColor(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("state %1 at %2,%3: %4 instead of %5")
                                         .arg(static_cast<int>(sample.state))
                                         .arg(x)
                                         .arg(y)
                                         .arg(image.pixelColor(x, y).name(), expected.name())));
            }
        }
    }
}

void XPButtonTest::focusRectangle() {
    m_save->setCaption(QString());
    m_save->setFocus();
    QCOMPARE(picture(m_save).pixelColor(3, 3), QColor(Qt::black));
    m_save->setFocusRect(false);
    QCOMPARE(picture(m_save).pixelColor(3, 3), QColor(252, 252, 251));
    m_save->setFocusRect(true);
    m_exit->setFocus();
    QCOMPARE(picture(m_save).pixelColor(3, 3), QColor(252, 252, 251));
}

QTEST_MAIN(XPButtonTest)
#include "XPButtonTest.moc"
