#pragma once

#include <QByteArray>
#include <QList>

// One line of the comma-separated export: every field between double quotes and followed by a
// comma, the line ended by "\r\n". A double quote inside a field is doubled, so that a
// spreadsheet reads the field whole; every other byte is kept as it is, line breaks included.
QByteArray CsvLine(const QList<QByteArray>& fields);
