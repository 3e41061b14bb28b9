#pragma once

#include <QByteArray>
#include <QString>
#include <string>

// The outcome of one export write: written, or the errno of the step that failed (0 when there
// was nothing to write).
struct ExportWriteResult {
    bool written = false;
    int error = 0;
};

// Appends text to the file at path, creating it when absent and never truncating it. The file
// is held under an exclusive advisory lock while it is written, so two exports never interleave
// their lines; a file another export holds is refused (EWOULDBLOCK) instead of waited for.
// An empty path or text touches nothing.
ExportWriteResult WriteExportFile(const std::string& path, const QByteArray& text);

// The message that tells the user an export file could not be written, with path and reason.
QString ExportFailureText(const std::string& path, const ExportWriteResult& result);
QString ExportFailureText(const std::string& path, const QString& reason);
