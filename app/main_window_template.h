#pragma once

#include <QHash>

class QWidget;

// The main window's controls (template 102) in dialog units: the search conditions, the
// results and state, the result list with its buttons, the details and the bottom line.
// Every control with an id carries it as its object name ("1006"); labels and frames have none.
inline constexpr int kMainWindowWidthUnits = 463;
inline constexpr int kMainWindowHeightUnits = 395;

// Creates the controls as children of the window, placed in the window's font, and returns
// them by id.
QHash<int, QWidget*> CreateMainWindowControls(QWidget& window);
