#pragma once

#include <QString>

// A cleaned page as a person reads it in the browser, for the rules wizard to show: tags gone,
// a line per block (paragraph, row, list item, title), table cells apart by a tab, script and
// style contents left out, blanks squeezed. What a rule captures is the text between tags with
// each tag a blank, squeezed; a value selected here reads the same.
QString PageVisibleText(const QString& cleanedPage);

// The value a selection of the visible text stands for: line and cell breaks read as blanks,
// blanks squeezed, none at either end.
QString ValueAsRead(const QString& selection);
