// ccXPButton: the push button on every window. It paints itself in the rounded, gradient look of
// the XP default theme whatever the desktop's style, shows hover, pressed, focused and disabled
// states, and emits clicked() on a mouse release over it, Enter, Space or its access key.
#pragma once

#include "ui/XPButtonLogic.h"

#include <QAbstractButton>
#include <QColor>

namespace quire {

class ccXPButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ccXPButton(QWidget* parent = nullptr);
    explicit ccXPButton(const QString& caption, QWidget* parent = nullptr);

    // The caption; the character after the first single "&" is drawn underlined and becomes the
    // access key (Alt with that character), "&&" shows one ampersand. The default is "&OK".
    void setCaption(const QString& caption);
    QString caption() const { return text(); }
    // The caption as drawn, without the marking ampersands, and the index of the underlined
    // character in it (-1 when none).
    QString displayedCaption() const;
    int underlinedIndex() const;
    // The access key, lower-cased; a null character when the caption marks none.
    QChar accessKey() const;

    // The caption colour while enabled (black by default).
    void setForeColor(const QColor& colour);
    // Takes the colour from the decimal text of a 0x00BBGGRR value, as colours are stored;
    // returns false and keeps the current colour when the text is not such a value.
    bool setForeColor(const QString& decimalBgr);
    QColor foreColor() const { return m_foreColor; }

    // Whether the dotted focus rectangle is drawn while the button has the focus (true by default).
    void setFocusRect(bool show);
    bool focusRect() const { return m_focusRect; }

    // Marks the button as its window's default button, which shows it in the focused state.
    void setDisplayAsDefault(bool isDefault);
    bool displayAsDefault() const { return m_machine.isDefault(); }

    quire::ui::XPButtonState visualState() const { return m_machine.state(); }

    // Moves the mouse pointer to the centre of the button.
    void snapMouseTo();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void doubleClicked();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Repaints and raises the events the machine asked for.
    void react(const quire::ui::XPReaction& reaction);
    void accessKeyPressed(bool ambiguous);
    void syncWindowActive();
    quire::ui::XPCaption parsedCaption() const;
    QString mnemonicText() const;

    quire::ui::XPButtonMachine m_machine;
    QColor m_foreColor{Qt::black};
    bool m_focusRect = true;
};

} // namespace quire
