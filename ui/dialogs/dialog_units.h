#pragma once

#include <QSize>

class QWidget;

// Dialog units, the measure the dialogs' sizes are given in: a quarter of the average character
// width across and an eighth of the character height down, in the widget's font.
QSize DialogUnitsToPixels(const QWidget* widget, int widthUnits, int heightUnits);
