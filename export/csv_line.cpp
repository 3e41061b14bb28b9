#include "export/csv_line.h"

QByteArray CsvLine(const QList<QByteArray>& fields) {
    QByteArray line;
    for (const QByteArray& field : fields) {
        line += '"';
        line += QByteArray(field).replace("\"", "\"\"");
        line += "\",";
    }
    line += "\r\n";
    return line;
}
