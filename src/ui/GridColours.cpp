// Painting the grids with the colour scale, and the switch in their context menus.
#include "ui/GridColours.h"

#include "ui/ColourScale.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <memory>

namespace quire::gridcolours {
namespace {

QColor qt(scale::Rgb c) {
    return {c.r, c.g, c.b};
}

void setColours(QWidget* box, const QColor& back, const QColor& text) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, back);
    palette.setColor(QPalette::Text, text);
    box->setPalette(palette);
}

// Shows the widget's own context menu with the switch added below it.
class SwitchMenu : public QObject {
public:
    SwitchMenu(QWidget* widget, QAction* action) : QObject(widget), m_action(action) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ContextMenu)
            return false;
        std::unique_ptr<QMenu> menu;
        if (auto* line = qobject_cast<QLineEdit*>(watched))
            menu.reset(line->createStandardContextMenu());
        else if (auto* text = qobject_cast<QPlainTextEdit*>(watched))
            menu.reset(text->createStandardContextMenu());
        else
            menu = std::make_unique<QMenu>();
        if (!menu->isEmpty())
            menu->addSeparator();
        menu->addAction(m_action);
        menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }

private:
    QAction* m_action;
};

} // namespace

void paintValue(QWidget* box, const QString& text, bool on, const QColor& plainBack, const QColor& plainText) {
    const auto value = on ? scale::cellValue(text.toStdString()) : std::nullopt;
    if (!value) {
        setColours(box, plainBack, plainText);
        return;
    }
    const scale::Rgb back = scale::valueColour(*value);
    setColours(box, qt(back), qt(scale::textColour(back)));
}

void paintDifference(QWidget* box, int difference) {
    const scale::Rgb back = scale::differenceColour(difference);
    setColours(box, qt(back), qt(scale::textColour(back)));
}

void paintNumbers(QPlainTextEdit* display, bool on) {
    QList<QTextEdit::ExtraSelection> marks;
    if (on) {
        static const QRegularExpression number(QStringLiteral("\\d+"));
        for (QTextBlock block = display->document()->begin(); block.isValid(); block = block.next()) {
            auto it = number.globalMatch(block.text());
            while (it.hasNext()) {
                const auto match = it.next();
                const auto value = scale::cellValue(match.captured().toStdString());
                if (!value)
                    continue;
                QTextEdit::ExtraSelection mark;
                mark.cursor = QTextCursor(block);
                mark.cursor.setPosition(block.position() + static_cast<int>(match.capturedStart()));
                mark.cursor.setPosition(block.position() + static_cast<int>(match.capturedEnd()),
                                        QTextCursor::KeepAnchor);
                const scale::Rgb back = scale::valueColour(*value);
                mark.format.setBackground(qt(back));
                mark.format.setForeground(qt(scale::textColour(back)));
                marks.append(mark);
            }
        }
    }
    display->setExtraSelections(marks);
}

QAction* makeSwitch(QWidget* window, const std::filesystem::path& editorIni, std::function<void(bool)> apply) {
    auto* action = new QAction(QStringLiteral("Colour scale"), window);
    action->setObjectName(QStringLiteral("actColourScale"));
    action->setCheckable(true);
    action->setChecked(scale::isOn(editorIni));
    QObject::connect(action, &QAction::toggled, window, [editorIni, apply = std::move(apply)](bool on) {
        scale::setOn(editorIni, on);
        apply(on);
    });
    return action;
}

void offerSwitch(QWidget* widget, QAction* action) {
    new SwitchMenu(widget, action);
}

} // namespace quire::gridcolours
