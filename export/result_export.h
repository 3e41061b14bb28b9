#pragma once

#include <QDateTime>
#include <QString>
#include <QList>
#include <functional>
#include <optional>
#include <string>

class CMyListCtrl;
class QWidget;

// The three exports of the marked result rows into files in the program directory. Each asks
// first (Yes/No, with the number of marked rows), builds the whole text in memory, appends it
// with one write, and reports: the comma-separated export on the status line, the fax and
// mobile exports in a message box. A file that cannot be written is reported as a failure.

using StatusLineSetter = std::function<void(const QString&)>;
using LocalClock = std::function<QDateTime()>;

constexpr int kMobileSubItem = 6;
constexpr int kFaxSubItem = 7;

// "导出全部": all 20 cells of every marked row, after a header line, into "<time>.csv".
void OnExportAll(
    const CMyListCtrl& list, QWidget* parent, const std::string& programDirectory,
    const StatusLineSetter& setStatusLine,
    const LocalClock& now = [] { return QDateTime::currentDateTime(); });
// "导出传真" and "导出手机": the non-empty fax or mobile cells, one a line, into "fax.txt" or
// "mobile.txt".
void OnExportFax(const CMyListCtrl& list, QWidget* parent, const std::string& programDirectory);
void OnExportMobile(const CMyListCtrl& list, QWidget* parent, const std::string& programDirectory);

// Counts the marked rows and asks (Yes/No, with their number); the rows to export when the user
// says Yes, none when there is no marked row or the answer is No.
std::optional<QList<int>> ConfirmMarkedRows(const CMyListCtrl& list, QWidget* parent);

// The status line after a file export: "成功导出N条件数据,导出路径:PATH".
void ReportExported(const StatusLineSetter& setStatusLine, qsizetype rows, const std::string& path);

// The comma-separated file's name for a local time: "2010-05-01-0905.csv" for 9:05 on 1 May 2010.
// Other exports put their own extension in place of "csv".
QString ExportFileName(const QDateTime& localTime, const char* extension = "csv");
