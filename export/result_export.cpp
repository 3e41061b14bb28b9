#include "export/result_export.h"

#include <QFile>

#include "engine/result_row.h"
#include "export/export_file_writer.h"
#include "platform/program_paths.h"
#include "platform/qt/message_box.h"

namespace {

constexpr mode_t kExportFolderMode = 0755;

}  // namespace

bool ConfirmMarkedRows(const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory) {
    if (rows.count == 0) return false;
    QString question =
        QString::fromUtf8("确定导出选中的%1条数据吗？\n点击「是」继续导出，点击「否」取消导出。")
            .arg(rows.count);
    if (ShowMessageBox(parent, question, MessageButtons::YesNo) != MessageAnswer::Yes) return false;
    // A folder that cannot be made shows up as the write's failure, with its reason.
    MakeFolders(exportDirectory, kExportFolderMode);
    return true;
}

namespace {

std::string ExportPath(const std::string& exportDirectory, const QString& fileName) {
    return exportDirectory + "/" + QFile::encodeName(fileName).toStdString();
}

void ExportOneColumn(const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory, int subItem,
                     const char* fileName, const char* successPrefix) {
    if (!ConfirmMarkedRows(rows, parent, exportDirectory)) return;
    QByteArray text;
    int linesWritten = 0;
    std::vector<int> written;
    ResultCells cells;
    for (int taken = 0; rows.nextRow(cells); ++taken) {
        const std::string& cell = cells[subItem];
        if (cell.empty()) continue;
        text += QByteArray::fromStdString(cell) + "\r\n";
        ++linesWritten;
        written.push_back(taken);
    }
    const std::string path = ExportPath(exportDirectory, QString::fromUtf8(fileName));
    // With no line to write the disk is left alone, which is no failure.
    ExportWriteResult result = WriteExportFile(path, text);
    if (!result.written && linesWritten > 0) {
        ShowMessageBox(parent, ExportFailureText(path, result), MessageButtons::Ok);
        return;
    }
    NoteExported(rows, written);
    ShowMessageBox(parent,
                   QString::fromUtf8("%1%2条件数据").arg(QString::fromUtf8(successPrefix)).arg(linesWritten),
                   MessageButtons::Ok);
}

}  // namespace

void NoteExported(const MarkedRows& rows, const std::vector<int>& written) {
    if (rows.exported && !written.empty()) rows.exported(written);
}

void NoteAllExported(const MarkedRows& rows, qsizetype taken) {
    std::vector<int> written(static_cast<std::size_t>(taken));
    for (std::size_t place = 0; place < written.size(); ++place) written[place] = static_cast<int>(place);
    NoteExported(rows, written);
}

void ReportExported(const StatusLineSetter& setStatusLine, qsizetype rows, const std::string& path) {
    setStatusLine(
        QString::fromUtf8("成功导出%1条件数据,导出路径:%2").arg(rows).arg(QFile::decodeName(path.c_str())));
}

QString ExportFileName(const QDateTime& localTime, const char* extension) {
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    return QString::asprintf("%04d-%02d-%02d-%02d%02d.%s", date.year(), date.month(), date.day(), time.hour(),
                             time.minute(), extension);
}

void OnExportAll(const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory,
                 const StatusLineSetter& setStatusLine, const LocalClock& now) {
    if (!ConfirmMarkedRows(rows, parent, exportDirectory)) return;
    std::string text = CsvHeaderLine();
    qsizetype rowsTaken = 0;
    ResultCells cells;
    for (; rows.nextRow(cells); ++rowsTaken) text += CsvLine(cells);
    // The name is taken after the answer, so it tells when the file was written.
    const std::string path = ExportPath(exportDirectory, ExportFileName(now()));
    ExportWriteResult result = WriteExportFile(path, QByteArray::fromStdString(text));
    if (!result.written) {
        const QString failure = ExportFailureText(path, result);
        setStatusLine(failure);
        ShowMessageBox(parent, failure, MessageButtons::Ok);
        return;
    }
    NoteAllExported(rows, rowsTaken);
    ReportExported(setStatusLine, rowsTaken, path);
}

void OnExportFax(const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory) {
    ExportOneColumn(rows, parent, exportDirectory, kFaxSubItem, "fax.txt", "成功导出传真");
}

void OnExportMobile(const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory) {
    ExportOneColumn(rows, parent, exportDirectory, kMobileSubItem, "mobile.txt", "成功导出手机");
}
