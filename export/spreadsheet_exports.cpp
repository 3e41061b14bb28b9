#include "export/spreadsheet_exports.h"

#include <QFile>
#include <QFileDialog>

#include "engine/result_files.h"
#include "export/export_file_writer.h"
#include "platform/qt/message_box.h"

const char* const kExportWorkbookMenuText = "导出为 Excel 文件 (.xlsx)…";
const char* const kExportUtf8CsvMenuText = "导出为 UTF-8 CSV…";

namespace {

struct SpreadsheetFormat {
    const char* caption;
    const char* extension;
    const char* filter;
    WrittenFile (*write)(const std::string& path, const ResultRowSource& nextRow, ExistingFile existing);
};

constexpr SpreadsheetFormat kWorkbook = {"导出为 Excel 文件", "xlsx", "Excel 工作簿 (*.xlsx)",
                                         WriteResultWorkbook};
constexpr SpreadsheetFormat kUtf8Csv = {"导出为 UTF-8 CSV", "csv", "CSV 文件 (*.csv)", WriteUtf8Csv};

void ExportSpreadsheet(const SpreadsheetExportContext& context, const SpreadsheetFormat& format) {
    if (!ConfirmMarkedRows(context.rows, context.parent, context.exportDirectory)) return;
    const QString suggested = QFile::decodeName(context.exportDirectory.c_str()) + QLatin1Char('/') +
                              ExportFileName(context.now(), format.extension);
    const QString chosen = context.chooseFile(context.parent, QString::fromUtf8(format.caption), suggested,
                                              QString::fromUtf8(format.filter));
    if (chosen.isEmpty()) return;
    const std::string path = QFile::encodeName(chosen).toStdString();
    // The save dialog asked before it let the user choose a file that is there; a file that
    // appears after the choice is another program's and stays.
    const ExistingFile existing = QFile::exists(chosen) ? ExistingFile::kReplace : ExistingFile::kKeep;

    qsizetype rowsTaken = 0;
    const ResultRowSource nextRow = [&](ResultCells& cells) {
        if (!context.rows.nextRow(cells)) return false;
        ++rowsTaken;
        return true;
    };
    const WrittenFile written = format.write(path, nextRow, existing);
    if (!written.written) {
        const QString text =
            written.keptExisting
                ? QString::fromUtf8("导出未完成：文件 %1 在导出时由另一个程序建立，已保留该文件。")
                      .arg(QFile::decodeName(path.c_str()))
                : ExportFailureText(path, QString::fromLocal8Bit(written.failure.c_str()));
        context.setStatusLine(text);
        ShowMessageBox(context.parent, text, MessageButtons::Ok);
        return;
    }
    NoteAllExported(context.rows, rowsTaken);
    ReportExported(context.setStatusLine, rowsTaken, path);
}

}  // namespace

QString ChooseSaveFileInDialog(QWidget* parent, const QString& caption, const QString& suggestedPath,
                               const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
}

void OnExportWorkbook(const SpreadsheetExportContext& context) {
    ExportSpreadsheet(context, kWorkbook);
}

void OnExportUtf8Csv(const SpreadsheetExportContext& context) {
    ExportSpreadsheet(context, kUtf8Csv);
}
