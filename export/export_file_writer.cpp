#include "export/export_file_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace {

// Writes every byte, going on after short writes and interrupted calls.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

ExportWriteResult WriteExportFile(const std::string& path, const QByteArray& text) {
    if (path.empty() || text.isEmpty()) return {};
    // O_APPEND puts every write at the end, also when another program appends meanwhile.
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return {false, errno};
    ExportWriteResult result{true, 0};
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        !WriteAll(fd, text.constData(), static_cast<size_t>(text.size())))
        result = {false, errno};
    // Closing also releases the lock; its failure can mean the bytes never reached the disk.
    if (close(fd) != 0 && result.written) result = {false, errno};
    return result;
}

QString ExportFailureText(const std::string& path, const ExportWriteResult& result) {
    QString reason = result.error == EWOULDBLOCK ? QString::fromUtf8("文件正被另一个导出使用")
                                                 : QString::fromLocal8Bit(std::strerror(result.error));
    return ExportFailureText(path, reason);
}

QString ExportFailureText(const std::string& path, const QString& reason) {
    return QString::fromUtf8("导出失败：无法写入文件 %1（%2）").arg(QFile::decodeName(path.c_str()), reason);
}
