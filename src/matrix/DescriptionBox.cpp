// The description field: its typed-length limit and its text with CR LF line breaks.
#include "matrix/DescriptionBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <algorithm>

namespace quire {
namespace {

// Every line break as one LF, as the box holds it.
QString withLf(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

DescriptionBox::DescriptionBox(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

std::string DescriptionBox::crLfText() const {
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

void DescriptionBox::setCrLfText(const std::string& utf8) {
    const QString text = withLf(QString::fromStdString(utf8));
    if (text != toPlainText())
        setPlainText(text);
}

int DescriptionBox::room() const {
    const auto selected = static_cast<int>(textCursor().selectedText().size());
    return kMaxLength - (static_cast<int>(toPlainText().size()) - selected);
}

void DescriptionBox::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool inserts = !typed.isEmpty() && (typed.front().isPrint() || lineBreak) &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (inserts && room() < static_cast<int>(typed.size())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DescriptionBox::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText())
        return;
    QString text = withLf(source->text());
    text.truncate(std::max(0, room()));
    textCursor().insertText(text);
    ensureCursorVisible();
}

} // namespace quire
