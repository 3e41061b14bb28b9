#pragma once

#include <QImage>

// The header's pictures, made pixel by pixel: the background band stretched over every header
// cell, and the two sort arrows stretched onto the square at a sorted cell's right end.
QImage HeaderBackgroundBitmap();
// The ascending arrow points down, the descending one up.
QImage SortArrowBitmap(bool ascending);
