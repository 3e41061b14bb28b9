#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <string>

#include "export/marked_rows.h"

class QWidget;

// The three exports of the marked result rows into files in the export folder (made when
// missing). Each asks first (Yes/No, with the number of marked rows), builds the whole text in
// memory, appends it with one write, and reports: the comma-separated export on the status line,
// the fax and mobile exports in a message box. A file that cannot be written is reported as a
// failure.

using StatusLineSetter = std::function<void(const QString&)>;
using LocalClock = std::function<QDateTime()>;

constexpr int kMobileSubItem = 6;
constexpr int kFaxSubItem = 7;

// "导出全部": all 20 cells of every marked row, after a header line, into "<time>.csv".
void OnExportAll(
    const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory,
    const StatusLineSetter& setStatusLine,
    const LocalClock& now = [] { return QDateTime::currentDateTime(); });
// "导出传真" and "导出手机": the non-empty fax or mobile cells, one a line, into "fax.txt" or
// "mobile.txt".
void OnExportFax(const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory);
void OnExportMobile(const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory);

// Asks (Yes/No, with the number of marked rows) and, when the user says Yes, makes the export
// folder if it is missing. False without a marked row or for any other answer.
bool ConfirmMarkedRows(const MarkedRows& rows, QWidget* parent, const std::string& exportDirectory);

// Tells the rows' owner which of them went into the written file (their places among the rows
// taken); NoteAllExported: the first `taken` rows.
void NoteExported(const MarkedRows& rows, const std::vector<int>& written);
void NoteAllExported(const MarkedRows& rows, qsizetype taken);

// The status line after a file export: "成功导出N条件数据,导出路径:PATH".
void ReportExported(const StatusLineSetter& setStatusLine, qsizetype rows, const std::string& path);

// The comma-separated file's name for a local time: "2010-05-01-0905.csv" for 9:05 on 1 May 2010.
// Other exports put their own extension in place of "csv".
QString ExportFileName(const QDateTime& localTime, const char* extension = "csv");
