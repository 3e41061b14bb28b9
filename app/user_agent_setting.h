#pragma once

#include <QString>
#include <string>

// The User-Agent text that the "userAgent" key of harvio.ini names (UTF-8). The key stands
// before any section. Its value is the rest of the line, trimmed, taken as it stands: a browser's
// text holds ";" and ",", which the ini reader of the other keys would take for a comment and a
// list. Surrounding double quotes are dropped. Empty when the file or the key is missing or the
// value is empty.
std::string ConfiguredUserAgent(const QString& iniPath);
