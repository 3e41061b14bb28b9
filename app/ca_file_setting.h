#pragma once

#include <QString>
#include <string>

// The CA file (PEM) that the "caFile" key of harvio.ini names, trusted for https pages besides the
// system's certificates. The key stands before any section; a relative path is taken from the
// folder of the ini file. Empty when the file or the key is missing or the value is empty.
std::string ConfiguredCaFile(const QString& iniPath);
