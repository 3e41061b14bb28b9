#pragma once

class QCoreApplication;

// Loads Qt's own Chinese translation (standard buttons, dialogs, context menus) for the
// application, from the folder where this Qt keeps its translations. False when the file is
// missing; message boxes then name their buttons themselves.
bool InstallChineseTranslation(QCoreApplication& application);
bool ChineseTranslationInstalled();
