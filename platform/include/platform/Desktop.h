// Starting the desktop's tools and opening help pages.
#pragma once

#include <QString>

namespace platform {

// The desktop's text editor (through the desktop's "open" on a new or given
// text file). Returns false when nothing could be started.
bool startTextEditor(const QString& file = {});
// The first calculator found on the program search path (gnome-calculator,
// kcalc, galculator, xcalc); empty when there is none.
QString findCalculator();
bool startCalculator();
// A program next to the running one or on the search path, started without
// waiting; false when it is not there.
bool startProgram(const QString& name);

// Opens an HTML help file at a topic (its anchor) in the desktop's browser;
// an empty topic opens the contents. Returns false when the file is missing.
bool openHelp(const QString& htmlFile, const QString& topic = {});

}  // namespace platform

#include <QIcon>

namespace platform {
// An icon of the desktop's theme (Adwaita when the desktop names none), by
// its standard name; the symbolic variant when the plain one is missing.
QIcon themeIcon(const QString& name);
}  // namespace platform
