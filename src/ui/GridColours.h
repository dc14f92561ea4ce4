// The colour scale on the windows' matrix grids: one way of painting a value box, a difference box or
// the numbers of a matrix text display, and the "Colour scale" switch offered in the grids' context
// menus, kept in Editor.ini. The colours themselves come from ColourScale.
#pragma once

#include <QColor>
#include <QString>
#include <filesystem>
#include <functional>

class QAction;
class QPlainTextEdit;
class QWidget;

namespace quire::gridcolours {

// Gives a box the colour of the value its text holds and a readable text colour; with the scale off,
// or on a box that holds no value, the given plain colours.
void paintValue(QWidget* box, const QString& text, bool on, const QColor& plainBack, const QColor& plainText);
// Gives a box the colour of a difference B - A and a readable text colour.
void paintDifference(QWidget* box, int difference);
// Colours every number of a read-only matrix text on the scale; off removes the colours.
void paintNumbers(QPlainTextEdit* display, bool on);

// The window's switch: a checkable action "Colour scale" named "actColourScale", ticked as Editor.ini
// says; each toggle writes the choice there and calls apply with it.
QAction* makeSwitch(QWidget* window, const std::filesystem::path& editorIni, std::function<void(bool)> apply);
// A right-click on the widget shows its own context menu (if it has one) with the switch below it.
void offerSwitch(QWidget* widget, QAction* action);

} // namespace quire::gridcolours
