#include "export/result_export.h"

#include <QFile>
#include <optional>

#include "engine/result_row.h"
#include "export/export_file_writer.h"
#include "export/marked_rows.h"
#include "platform/qt/message_box.h"
#include "ui/controls/my_list_ctrl.h"

std::optional<QList<int>> ConfirmMarkedRows(const CMyListCtrl& list, QWidget* parent) {
    const int markedCount = CountMarkedRows(list);
    if (markedCount == 0) return std::nullopt;
    QString question =
        QString::fromUtf8("确定导出选中的%1条数据吗？\n点击「是」继续导出，点击「否」取消导出。")
            .arg(markedCount);
    if (ShowMessageBox(parent, question, MessageButtons::YesNo) != MessageAnswer::Yes) return std::nullopt;
    // The question let a running search add rows; only as many as were confirmed are taken.
    return FirstMarkedRows(list, markedCount);
}

namespace {

std::string ExportPath(const std::string& programDirectory, const QString& fileName) {
    return programDirectory + "/" + QFile::encodeName(fileName).toStdString();
}

void ExportOneColumn(const CMyListCtrl& list, QWidget* parent, const std::string& programDirectory,
                     int subItem, const char* fileName, const char* successPrefix) {
    std::optional<QList<int>> rows = ConfirmMarkedRows(list, parent);
    if (!rows) return;
    QByteArray text;
    int linesWritten = 0;
    for (int row : *rows) {
        QByteArray cell = list.GetItemText(row, subItem);
        if (cell.isEmpty()) continue;
        text += cell + "\r\n";
        ++linesWritten;
    }
    const std::string path = ExportPath(programDirectory, QString::fromUtf8(fileName));
    // With no line to write the disk is left alone, which is no failure.
    ExportWriteResult result = WriteExportFile(path, text);
    if (!result.written && linesWritten > 0) {
        ShowMessageBox(parent, ExportFailureText(path, result), MessageButtons::Ok);
        return;
    }
    ShowMessageBox(parent,
                   QString::fromUtf8("%1%2条件数据").arg(QString::fromUtf8(successPrefix)).arg(linesWritten),
                   MessageButtons::Ok);
}

}  // namespace

void ReportExported(const StatusLineSetter& setStatusLine, qsizetype rows, const std::string& path) {
    setStatusLine(
        QString::fromUtf8("成功导出%1条件数据,导出路径:%2").arg(rows).arg(QFile::decodeName(path.c_str())));
}

QString ExportFileName(const QDateTime& localTime, const char* extension) {
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    return QString::asprintf("%04d-%02d-%02d-%02d%02d.%s", date.year(), date.month(), date.day(),
                             time.hour(), time.minute(), extension);
}

void OnExportAll(const CMyListCtrl& list, QWidget* parent, const std::string& programDirectory,
                 const StatusLineSetter& setStatusLine, const LocalClock& now) {
    std::optional<QList<int>> rows = ConfirmMarkedRows(list, parent);
    if (!rows) return;
    std::string text = CsvHeaderLine();
    for (int row : *rows) {
        std::array<std::string, kResultColumnCount> cells;
        for (int subItem = 0; subItem < kResultColumnCount; ++subItem)
            cells[subItem] = list.GetItemText(row, subItem).toStdString();
        text += CsvLine(cells);
    }
    // The name is taken after the answer, so it tells when the file was written.
    const std::string path = ExportPath(programDirectory, ExportFileName(now()));
    ExportWriteResult result = WriteExportFile(path, QByteArray::fromStdString(text));
    if (!result.written) {
        const QString failure = ExportFailureText(path, result);
        setStatusLine(failure);
        ShowMessageBox(parent, failure, MessageButtons::Ok);
        return;
    }
    ReportExported(setStatusLine, rows->size(), path);
}

void OnExportFax(const CMyListCtrl& list, QWidget* parent, const std::string& programDirectory) {
    ExportOneColumn(list, parent, programDirectory, kFaxSubItem, "fax.txt", "成功导出传真");
}

void OnExportMobile(const CMyListCtrl& list, QWidget* parent, const std::string& programDirectory) {
    ExportOneColumn(list, parent, programDirectory, kMobileSubItem, "mobile.txt", "成功导出手机");
}
