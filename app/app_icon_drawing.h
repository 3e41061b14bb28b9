#pragma once

class QPainter;

// The program's icon drawn into a square of the given side from the painter's origin: a
// magnifying glass over a directory page, white lens and handle on a blue ground. The window's
// icons and the icon files the desktop's menu shows are all drawn by it.
void DrawApplicationIcon(QPainter& painter, double size);
