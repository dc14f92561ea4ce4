// Painting a window with the interface colours, and opening web pages.
#include "WindowLook.h"

#include "app/Colours.h"
#include "platform/Text1252.h"

#include <QDesktopServices>
#include <QPalette>
#include <QUrl>
#include <QWidget>

namespace quire {

QColor colourOf(std::string_view decimal) {
    const auto rgb = parseColour(decimal);
    return rgb ? QColor(rgb->red, rgb->green, rgb->blue) : QColor(Qt::black);
}

QString fromCp1252(std::string_view text) {
    return QString::fromStdString(text::toUtf8(text));
}

std::optional<std::string> toCp1252(const QString& text) {
    return text::fromUtf8(text.toStdString());
}

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Link, colour);
    palette.setColor(QPalette::LinkVisited, colour);
    widget->setPalette(palette);
}

bool OpenWebPage(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

QString linkHtml(const QString& url, const QString& text, const QColor& colour) {
    return QStringLiteral("<a href=\"%1\" style=\"color:%2\">%3</a>").arg(url, colour.name(), text.toHtmlEscaped());
}

QString readmeUrl(const SharedState& state) {
    return QUrl::fromLocalFile(QString::fromStdString((state.programFolder / "readme.txt").string())).toString();
}

} // namespace quire
