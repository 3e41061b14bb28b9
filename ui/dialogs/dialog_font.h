#pragma once

#include <QFont>

// The window font: "宋体" 9 point, or the first installed CJK font that can stand in for it.
QFont DialogFont();
