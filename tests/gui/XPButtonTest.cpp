// Drives real XP-style buttons in a real window: each mouse and keyboard event once, access keys,
// arrows, the disabled look, an inactive window, captions, colours and the painted faces.
#include "ui/XPButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using quire::ccXPButton;
using S = quire::ui::XPButtonState;

namespace {

// The colour the button's face drawing gives a pixel, or an invalid colour where nothing paints.
QColor expectedPixel(S state, int x, int y) {
    QColor colour;
    for (const quire::ui::PaintRect& r : quire::ui::xpButtonFace(state, 75, 23))
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
            colour = QColor(r.colour.red, r.colour.green, r.colour.blue);
    return colour;
}

} // namespace

class XPButtonTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_window = std::make_unique<QWidget>();
        m_window->resize(300, 100);
        m_save = new ccXPButton(QStringLiteral("&Save"), m_window.get());
        m_save->setGeometry(10, 10, 75, 23);
        m_exit = new ccXPButton(QStringLiteral("E&xit"), m_window.get());
        m_exit->setGeometry(100, 10, 75, 23);
        m_clicks = std::make_unique<QSignalSpy>(m_save, &ccXPButton::clicked);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // The window gives its first button the focus; start from the plain look.
        m_save->clearFocus();
        moveAway();
        expect(S::Normal, 0);
    }
    void cleanup() {
        // The next test's window opens at the same place: leave the pointer off its buttons.
        moveAway();
        m_clicks.reset();
        m_window.reset();
    }
    void mouseHoverPressDragReleaseAndDoubleClick() {
        hover(m_save);
        expect(S::Hover, 0);
        press(m_save);
        expect(S::Pressed, 0);
        // Dragged off, the button shows the focused look, and a release there is no click.
        const QPoint off(120, 11);
        QTest::mouseMove(m_save, off);
        expect(S::Focused, 0);
        QTest::mouseRelease(m_save, Qt::LeftButton, {}, off);
        expect(S::Focused, 0);
        hover(m_save);
        clickSave();
        expect(S::Hover, 1);
        // A double click as the platform delivers it: a click, a press with the double-click event, the release.
        QSignalSpy doubles(m_save, &ccXPButton::doubleClicked);
        press(m_save);
        QTest::mouseDClick(m_save, Qt::LeftButton, {}, m_save->rect().center());
        release(m_save);
        expect(S::Hover, 1);
        QCOMPARE(doubles.count(), 1);
        // A disabled button ignores the mouse and its access key.
        m_save->setEnabled(false);
        clickSave();
        altKey(Qt::Key_S);
        expect(S::Disabled, 1);
    }
    void spaceAndEnterClick() {
        m_save->setFocus();
        QTest::keyPress(m_save, Qt::Key_Space);
        expect(S::Pressed, 0);
        // Holding Space repeats the key; only the real release clicks.
        QKeyEvent repeatedUp(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QKeyEvent repeatedDown(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(m_save, &repeatedUp);
        QApplication::sendEvent(m_save, &repeatedDown);
        expect(S::Pressed, 0);
        QTest::keyRelease(m_save, Qt::Key_Space);
        expect(S::Focused, 1);
        QTest::keyClick(m_save, Qt::Key_Return);
        QTest::keyClick(m_save, Qt::Key_Enter, Qt::KeypadModifier);
        expect(S::Focused, 3);
    }
    void accessKeysAndArrowsMoveAndClick() {
        QSignalSpy exits(m_exit, &ccXPButton::clicked);
        altKey(Qt::Key_X);
        QCOMPARE(exits.count(), 1);
        QCOMPARE(m_exit->visualState(), S::Focused);
        QTest::keyClick(m_window.get(), Qt::Key_S); // without Alt the letter is just a key
        expect(S::Normal, 0);
        QTest::keyClick(m_exit, Qt::Key_Left);
        expect(S::Focused, 0);
        QTest::keyClick(m_save, Qt::Key_Down);
        QVERIFY(m_exit->hasFocus());
        altKey(Qt::Key_S);
        expect(S::Focused, 1);
        // A new caption brings its access key ("&&" is a plain "&" and no key).
        m_save->setCaption(QStringLiteral("A&&B&C"));
        QCOMPARE(m_save->shortcut(), QKeySequence(QStringLiteral("Alt+C")));
    }
    void inactiveWindowGivesNoClick() {
        hover(m_save);
        press(m_save);
        // Another window takes the activation while the button is held down.
        QLabel other(QStringLiteral("another window"));
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        const S before = m_save->visualState();
        release(m_save);
        expect(before, 0); // the release is not even painted
    }
    void statesPaintTheirColours() {
        // Each state in turn on one button; its frame outside the caption's rectangle (where the
        // focus rectangle of the pressed state lies) is exactly the face drawing.
        for (S state : {S::Normal, S::Focused, S::Hover, S::Pressed, S::Disabled}) {
            m_exit->setDisplayAsDefault(state == S::Focused);
            if (state == S::Hover)
                hover(m_exit);
            if (state == S::Pressed)
                press(m_exit);
            m_exit->setEnabled(state != S::Disabled);
            QCOMPARE(m_exit->visualState(), state);
            const QImage image = m_exit->grab().toImage();
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 75; ++x) {
                    const QColor expected = expectedPixel(state, x, y);
                    if ((x < 3 || y < 3 || x >= 72 || y >= 20) && expected.isValid() &&
                        image.pixelColor(x, y) != expected)
                        QFAIL(qPrintable(QStringLiteral("state %1 at %2,%3").arg(int(state)).arg(x).arg(y)));
                }
        }
        // The dotted focus rectangle: drawn with the focus, not when switched off.
        m_save->setCaption(QString());
        m_save->setFocus();
        QCOMPARE(m_save->grab().toImage().pixelColor(3, 3), QColor(Qt::black));
        m_save->setFocusRect(false);
        QCOMPARE(m_save->grab().toImage().pixelColor(3, 3), QColor(252, 252, 251));
    }

private:
    // Moves the mouse onto the button (or away from both buttons) the way a user would.
    void hover(QWidget* target) { QTest::mouseMove(target, target->rect().center()); }
    void moveAway() { QTest::mouseMove(m_window.get(), QPoint(280, 90)); }
    void press(QWidget* w) { QTest::mousePress(w, Qt::LeftButton, {}, w->rect().center()); }
    void release(QWidget* w) { QTest::mouseRelease(w, Qt::LeftButton, {}, w->rect().center()); }
    void clickSave() { QTest::mouseClick(m_save, Qt::LeftButton, {}, m_save->rect().center()); }
    void altKey(Qt::Key key) { QTest::keyClick(m_window.get(), key, Qt::AltModifier); }
    // The save button's look and its clicks so far.
    void expect(S state, int clicks) {
        QCOMPARE(m_save->visualState(), state);
        QCOMPARE(m_clicks->count(), clicks);
    }

    std::unique_ptr<QWidget> m_window;
    ccXPButton* m_save = nullptr;
    ccXPButton* m_exit = nullptr;
    std::unique_ptr<QSignalSpy> m_clicks;
};

QTEST_MAIN(XPButtonTest)
#include "XPButtonTest.moc"
