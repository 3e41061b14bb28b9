#pragma once

#include <optional>
#include <span>
#include <string_view>

// The encodings of the web (the Encoding Standard's table of names and labels) and the glibc
// iconv converter that reads each.

// Names of the encodings the client treats apart from the others.
inline constexpr std::string_view kUtf8Encoding = "UTF-8";
inline constexpr std::string_view kGbkEncoding = "GBK";
inline constexpr std::string_view kGb18030Encoding = "gb18030";
inline constexpr std::string_view kUtf16BeEncoding = "UTF-16BE";
inline constexpr std::string_view kUtf16LeEncoding = "UTF-16LE";
inline constexpr std::string_view kWindows1252Encoding = "windows-1252";
inline constexpr std::string_view kUserDefinedEncoding = "x-user-defined";
inline constexpr std::string_view kReplacementEncoding = "replacement";

// "Get an encoding": the name of the encoding a label stands for, ASCII case and surrounding
// ASCII whitespace ignored; none for a label of no encoding.
std::optional<std::string_view> EncodingForLabel(std::string_view label);

// The iconv (glibc) name that converts an encoding's bytes; nullptr for the replacement encoding
// and x-user-defined, which iconv does not know, and for a name that is no encoding.
const char* IconvNameOfEncoding(std::string_view encoding);

// The names of all encodings, in the table's order.
std::span<const std::string_view> AllEncodings();
