#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
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

// The comma-separated file's name for a local time: "2010-05-01-0905.csv" for 9:05 on 1 May 2010.
QString ExportFileName(const QDateTime& localTime);
