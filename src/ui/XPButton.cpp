// ccXPButton: maps Qt's mouse, keyboard, focus and activation events onto the button's state
// machine and paints the state it decides.
#include "ui/XPButton.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>

namespace quire {

using ui::XPButtonState;

namespace {

QColor toQColor(Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// Keys that count as plain presses: no modifier except the keypad's.
bool unmodified(const QKeyEvent* event) {
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

ccXPButton::ccXPButton(QWidget* parent) : ccXPButton(QStringLiteral("&OK"), parent) {}

ccXPButton::ccXPButton(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCaption(caption);
}

void ccXPButton::setCaption(const QString& caption) {
    setText(caption);
    // The access key follows the caption's own marking rules, not Qt's.
    const char32_t key = parsedCaption().accessKey;
    if (key == 0) {
        setShortcut(QKeySequence());
    } else {
        const char32_t upper = QChar::toUpper(key);
        setShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, static_cast<Qt::Key>(upper))));
    }
    updateGeometry();
    update();
}

ui::XPCaption ccXPButton::parsedCaption() const {
    return ui::parseCaption(text().toStdU32String());
}

QString ccXPButton::displayedCaption() const {
    return QString::fromStdU32String(parsedCaption().text);
}

int ccXPButton::underlinedIndex() const {
    return parsedCaption().underline;
}

QChar ccXPButton::accessKey() const {
    const char32_t key = parsedCaption().accessKey;
    return key <= 0xFFFF ? QChar(static_cast<char16_t>(key)) : QChar();
}

// The caption in Qt's mnemonic notation, so that Qt underlines exactly the marked character.
QString ccXPButton::mnemonicText() const {
    const ui::XPCaption parsed = parsedCaption();
    QString result;
    for (std::size_t i = 0; i < parsed.text.size(); ++i) {
        if (static_cast<int>(i) == parsed.underline)
            result += QLatin1Char('&');
        const QString character = QString::fromStdU32String(parsed.text.substr(i, 1));
        result += character == QLatin1String("&") ? QStringLiteral("&&") : character;
    }
    return result;
}

void ccXPButton::setForeColor(const QColor& colour) {
    m_foreColor = colour;
    update();
}

bool ccXPButton::setForeColor(const QString& decimalBgr) {
    const auto colour = parseColour(decimalBgr.toStdString());
    if (!colour)
        return false;
    setForeColor(toQColor(*colour));
    return true;
}

void ccXPButton::setFocusRect(bool show) {
    m_focusRect = show;
    update();
}

void ccXPButton::setDisplayAsDefault(bool isDefault) {
    react(m_machine.setDefault(isDefault));
}

void ccXPButton::snapMouseTo() {
    QCursor::setPos(mapToGlobal(rect().center()));
}

QSize ccXPButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(displayedCaption());
    return QSize(std::max(75, textWidth + 16), std::max(23, metrics.height() + 10));
}

QSize ccXPButton::minimumSizeHint() const {
    return QSize(16, 16);
}

void ccXPButton::react(const ui::XPReaction& reaction) {
    if (reaction.repaint)
        update();
    // A double-click handler may close the window and delete the button.
    const QPointer<ccXPButton> alive(this);
    if (reaction.doubleClick)
        emit doubleClicked();
    if (reaction.click && alive)
        emit clicked();
}

bool ccXPButton::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Shortcut:
        accessKeyPressed(static_cast<QShortcutEvent*>(event)->isAmbiguous());
        return true;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // Qt hands the window's activation down to its visible children as these two events.
        syncWindowActive();
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void ccXPButton::accessKeyPressed(bool ambiguous) {
    if (!isEnabled())
        return;
    if (focusPolicy() != Qt::NoFocus)
        setFocus(Qt::ShortcutFocusReason);
    // Two buttons with the same access key: the key only moves the focus between them.
    if (ambiguous)
        return;
    const ui::XPReaction reaction = m_machine.accessKey();
    repaint();
    // Show the new state before the Click handler, which may run for a long time.
    const QPointer<ccXPButton> alive(this);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (alive)
        react({.click = reaction.click});
}

void ccXPButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const XPButtonState state = m_machine.state();
    for (const ui::PaintRect& r : ui::xpButtonFace(state, width(), height()))
        painter.fillRect(QRect(r.x, r.y, r.width, r.height), toQColor(r.colour));

    const QRect inner = rect().adjusted(3, 3, -3, -3);
    if (inner.isEmpty())
        return;
    painter.save();
    painter.setClipRect(inner);
    painter.setFont(font());
    painter.setPen(state == XPButtonState::Disabled ? toQColor(ui::kXPDisabledTextColour) : m_foreColor);
    painter.drawText(inner, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, mnemonicText());
    painter.restore();

    if (m_machine.hasFocus() && m_focusRect && static_cast<int>(state) >= static_cast<int>(XPButtonState::Focused)) {
        // A dotted rectangle: every other pixel of its outline.
        for (int x = inner.left(); x <= inner.right(); ++x) {
            for (const int y : {inner.top(), inner.bottom()}) {
                if ((x + y) % 2 == 0)
                    painter.fillRect(x, y, 1, 1, Qt::black);
            }
        }
        for (int y = inner.top() + 1; y < inner.bottom(); ++y) {
            for (const int x : {inner.left(), inner.right()}) {
                if ((x + y) % 2 == 0)
                    painter.fillRect(x, y, 1, 1, Qt::black);
            }
        }
    }
}

void ccXPButton::resizeEvent(QResizeEvent* event) {
    QRegion shape(rect());
    for (const ui::PaintRect& corner : ui::xpButtonCutCorners(width(), height()))
        shape -= QRegion(corner.x, corner.y, corner.width, corner.height);
    setMask(shape);
    QAbstractButton::resizeEvent(event);
}

void ccXPButton::showEvent(QShowEvent* event) {
    syncWindowActive();
    QAbstractButton::showEvent(event);
}

void ccXPButton::syncWindowActive() {
    const bool active = isActiveWindow();
    if (active != m_machine.parentActive())
        react(m_machine.setParentActive(active));
}

void ccXPButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        react(m_machine.setEnabled(isEnabled()));
        break;
    case QEvent::ParentChange:
        syncWindowActive();
        break;
    default:
        break;
    }
}

void ccXPButton::enterEvent(QEnterEvent*) {
    if (!m_machine.mouseInside())
        react(m_machine.mouseEnter());
}

void ccXPButton::leaveEvent(QEvent*) {
    if (m_machine.mouseInside())
        react(m_machine.mouseLeave());
}

void ccXPButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // A click on a window that is not active activates it first, as Windows does before the
    // button sees the press; window managers that activate later would otherwise eat the click.
    if (!isActiveWindow()) {
        window()->activateWindow();
        react(m_machine.setParentActive(true));
        // The focus comes with the click, before the window system confirms the activation.
        if (focusPolicy() & Qt::ClickFocus) {
            setFocus(Qt::MouseFocusReason);
            react(m_machine.focusIn());
        }
    }
    react(m_machine.leftDown());
}

void ccXPButton::mouseMoveEvent(QMouseEvent* event) {
    // While a mouse button is held the button keeps the mouse, so entering and leaving are
    // decided from the pointer's position.
    const bool over = rect().contains(event->position().toPoint());
    if (over && !m_machine.mouseInside())
        react(m_machine.mouseEnter());
    else if (!over && m_machine.mouseInside())
        react(m_machine.mouseLeave());
}

void ccXPButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    react(m_machine.leftUp(rect().contains(event->position().toPoint())));
}

void ccXPButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    react(m_machine.doubleClick());
}

void ccXPButton::keyPressEvent(QKeyEvent* event) {
    const bool plain = unmodified(event);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (plain && !event->isAutoRepeat()) {
            react(m_machine.enterKey());
            return;
        }
        break;
    case Qt::Key_Space:
        if (plain) {
            react(m_machine.spaceDown());
            return;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        if (plain) {
            focusNextPrevChild(false);
            return;
        }
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        if (plain) {
            focusNextPrevChild(true);
            return;
        }
        break;
    default:
        break;
    }
    // Other keys belong to the window (Escape, a dialog's shortcuts).
    event->ignore();
}

void ccXPButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        react(m_machine.spaceUp());
        return;
    }
    event->ignore();
}

void ccXPButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    react(m_machine.focusIn());
}

void ccXPButton::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    react(m_machine.focusOut());
}

} // namespace quire
