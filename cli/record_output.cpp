#include "cli/record_output.h"

#include <cstdio>

#include "cli/gbk_text.h"

namespace {

void AppendJsonString(std::string& out, const std::string& utf8) {
    out += '"';
    for (const char byte : utf8) {
        switch (byte) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(byte) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(byte));
                    out += escaped;
                } else {
                    out += byte;
                }
        }
    }
    out += '"';
}

}  // namespace

std::string JsonLine(const CompanyRecord& record) {
    std::string line = "{\"validate\":" + std::to_string(record.validate);
    for (const CompanyField& field : kCompanyFields) {
        line += ",\"";
        line += field.name;
        line += "\":";
        AppendJsonString(line, GbkToUtf8(record.*(field.member)));
    }
    line += "}\n";
    return line;
}

std::string PrintableValue(const std::string& gbkText) {
    std::string printable;
    for (const char byte : GbkToUtf8(gbkText)) {
        switch (byte) {
            case '\\':
                printable += "\\\\";
                break;
            case '\t':
                printable += "\\t";
                break;
            case '\r':
                printable += "\\r";
                break;
            case '\n':
                printable += "\\n";
                break;
            default:
                printable += byte;
        }
    }
    return printable;
}
