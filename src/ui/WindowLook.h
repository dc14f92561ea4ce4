// Painting a window with the interface colours, and opening web pages and documents.
#pragma once

#include "app/SharedState.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <array>
#include <string_view>

class QLabel;
class QWidget;

namespace quire {

// The colour of a stored decimal 0x00BBGGRR text; black when the text is not a colour.
QColor colourOf(std::string_view decimal);

// Windows-1252 text as a QString for a widget, and back (empty optional when Windows-1252
// cannot hold the text).
QString fromCp1252(std::string_view text);
std::optional<std::string> toCp1252(const QString& text);

// Sets the widget's background colour (children without a background of their own show it).
void setBackground(QWidget* widget, const QColor& colour);
// Sets the colour of a label's, frame's or option button's text (not of the fields inside a frame).
void setTextColour(QWidget* widget, const QColor& colour);
// Gives a window and its labels and frames the background colour, and its labels, frames, check
// boxes and option buttons (which draw on their frame's background) the text colour.
void applyWindowColours(QWidget* window, const QColor& back, const QColor& fore);

// Names a child widget and puts it in its place; returns it.
template <class W>
W* placed(W* widget, const char* name, QRect place) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(place);
    return widget;
}

// The six decorative stripes of a dialog of that size (named Shape1 to Shape6): bands along the
// four edges, a rule under the title and one over the buttons.
std::array<QWidget*, 6> addFrameStripes(QWidget* window, int width, int height);
// The dialog's title label, "lblTitle", in large bold type.
QLabel* addWindowTitle(QWidget* window, int width);

// Opens a web address with the desktop's opener; false when there is none. Quire has no web site
// of its own, so its links open the read-me in the program folder.
bool OpenWebPage(const QString& url);
// A link for a label, underlined and drawn in the given colour.
QString linkHtml(const QString& url, const QString& text, const QColor& colour);
QString readmeUrl(const SharedState& state);

} // namespace quire
