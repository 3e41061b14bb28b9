#pragma once

#include <QIcon>

// The program's icon, drawn at the sizes the title bar, the task bar and the about box use.
QIcon ApplicationIcon();
