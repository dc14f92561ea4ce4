// Painting a window with the interface colours, and opening web pages.
#include "WindowLook.h"

#include "app/Colours.h"
#include "platform/Text1252.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
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
    // Only the role labels, frames and option buttons draw their text with: the text role would
    // spread to the edit fields inside a frame and paint their text in the window's colours.
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void applyWindowColours(QWidget* window, const QColor& back, const QColor& fore) {
    setBackground(window, back);
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QGroupBox*>(widget)) {
            setBackground(widget, back);
            setTextColour(widget, fore);
        } else if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget)) {
            setTextColour(widget, fore);
        }
    }
}

std::array<QWidget*, 6> addFrameStripes(QWidget* window, int width, int height) {
    const std::array<QRect, 6> places = {QRect(0, 0, width, 6),        QRect(0, height - 6, width, 6),
                                         QRect(0, 0, 4, height),       QRect(width - 4, 0, 4, height),
                                         QRect(12, 40, width - 24, 2), QRect(12, height - 48, width - 24, 2)};
    std::array<QWidget*, 6> stripes{};
    for (std::size_t i = 0; i < places.size(); ++i)
        stripes[i] = placed(new QWidget(window), ("Shape" + std::to_string(i + 1)).c_str(), places[i]);
    return stripes;
}

QLabel* addWindowTitle(QWidget* window, int width) {
    auto* title = placed(new QLabel(window), "lblTitle", QRect(14, 10, width - 28, 28));
    QFont titleFont = title->font();
    titleFont.setPointSize(13);
    titleFont.setBold(true);
    title->setFont(titleFont);
    return title;
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
