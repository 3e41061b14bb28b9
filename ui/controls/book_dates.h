#pragma once

#include <QString>
#include <cstdint>

// A time of the lead book as the window shows it: the local date, "yyyy-MM-dd".
QString BookDate(int64_t when);
// The last export of a company: its date, or "尚未导出" when it never was exported (0).
QString LastExportedText(int64_t when);
