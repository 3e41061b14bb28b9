#pragma once

#include <QString>
#include <functional>
#include <string>

#include "export/result_export.h"

class QWidget;

// The two exports of the result list's right-click menu, for the marked rows as "导出全部"
// takes them: an Excel workbook and a UTF-8 CSV file. Each asks first, then asks for the file
// name in the standard save dialog (in the export folder, the time-stamped name offered),
// and reports the count on the status line or the reason of a failure.

// Shows the save dialog; the chosen path, or empty when cancelled.
using SaveFileChooser = std::function<QString(QWidget* parent, const QString& caption,
                                              const QString& suggestedPath, const QString& filter)>;
QString ChooseSaveFileInDialog(QWidget* parent, const QString& caption, const QString& suggestedPath,
                               const QString& filter);

struct SpreadsheetExportContext {
    const MarkedRows& rows;
    QWidget* parent;
    std::string exportDirectory;
    StatusLineSetter setStatusLine;
    SaveFileChooser chooseFile = ChooseSaveFileInDialog;
    LocalClock now = [] { return QDateTime::currentDateTime(); };
};

// "导出为 Excel 文件 (.xlsx)…"
void OnExportWorkbook(const SpreadsheetExportContext& context);
// "导出为 UTF-8 CSV…"
void OnExportUtf8Csv(const SpreadsheetExportContext& context);

extern const char* const kExportWorkbookMenuText;
extern const char* const kExportUtf8CsvMenuText;
