#pragma once

class QWidget;

// The Yes/No questions before the results are cleared and before the window closes; true on Yes.
bool ConfirmClearResults(QWidget* parent);
bool ConfirmExit(QWidget* parent);
