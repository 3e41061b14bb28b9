#include "http/encoding_prescan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

using EncodingFinder = std::optional<std::string_view> (*)(std::string_view);

struct Case {
    std::string page;
    std::string encoding;  // empty: none found
};

void ExpectEncodings(EncodingFinder find, const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(find(c.page).value_or(""), c.encoding) << c.page.substr(0, 120);
}

// The HTML standard, "prescan a byte stream to determine its encoding" with "get an attribute":
// comments, tags and their attributes, and what a meta tag must hold to count.
TEST(PrescanEncoding, WalksCommentsTagsAndAttributes) {
    const std::vector<Case> cases = {
        {"<meta charset=\"utf-8\">", "UTF-8"},
        {"<!DOCTYPE html><html><head><meta charset=gbk>", "GBK"},
        // A comment runs to the first "-->", whose dashes may be those of "<!--".
        {"<!--<meta charset=\"utf-8\">--><meta charset=big5>", "Big5"},
        {"<!--><meta charset=utf-8>", "UTF-8"},
        {"<!---><meta charset=utf-8>", "UTF-8"},
        {"<!-- -- ><meta charset=utf-8> ", ""},
        // Attributes of other tags, start or end tags, are read and passed over.
        {"<img alt=\"<meta charset=utf-8>\"><meta charset=big5>", "Big5"},
        {"<p title='x charset=utf-8'>", ""},
        {"</p charset=utf-8><meta charset=big5>", "Big5"},
        {"<a <meta charset=utf-8>", ""},
        // "<!", "</" and "<?" run to the next ">".
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?><meta charset=big5>", "Big5"},
        {"</ x><meta charset=utf-8>", "UTF-8"},
        // "<meta" counts only before whitespace or "/".
        {"<meta/charset=utf-8>", "UTF-8"},
        {"<metacharset=utf-8>", ""},
        {"<META\tCHARSET=UTF-8>", "UTF-8"},
        // Quoted and unquoted values; an unquoted one ends only at whitespace or ">".
        {"<meta charset = ' utf-8 '>", "UTF-8"},
        {"<meta charset=utf-8/>", ""},
        {"<meta charset=\"utf-8'>", ""},
        {"<meta =charset=utf-8>", ""},
        {"<meta charset", ""},
        // Labels of no encoding are passed over and the next declaration counts.
        {"<meta charset=\"klingon\"><meta charset=\"utf-8\">", "UTF-8"},
        // http-equiv with content, in any order and case; content alone, or http-equiv alone,
        // is not enough.
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">", "UTF-8"},
        {"<META HTTP-EQUIV=CONTENT-TYPE CONTENT=\"TEXT/HTML; CHARSET=BIG5\">", "Big5"},
        {"<meta content=\"text/html; charset=utf-8\" http-equiv=\"content-type\">", "UTF-8"},
        {"<meta content=\"text/html; charset=utf-8\">", ""},
        {"<meta http-equiv=\"Content-Type\"><meta charset=big5>", "Big5"},
        {"<meta http-equiv=\"refresh\" content=\"0; charset=utf-8\">", ""},
        // charset outranks content; a repeated attribute counts the first time only.
        {"<meta http-equiv=content-type content=\"charset=utf-8\" charset=big5>", "Big5"},
        {"<meta http-equiv=content-type content=\"charset=utf-8\" charset=klingon>", ""},
        {"<meta charset=klingon content=\"charset=utf-8\" http-equiv=content-type>", ""},
        {"<meta charset=utf-8 charset=big5>", "UTF-8"},
        {"<meta charset=klingon charset=utf-8>", ""},
        // A declared UTF-16 is read as UTF-8, x-user-defined as windows-1252.
        {"<meta charset=utf-16>", "UTF-8"},
        {"<meta charset=UTF-16BE>", "UTF-8"},
        {"<meta charset=x-user-defined>", "windows-1252"},
        // UTF-16 XML declarations.
        {"<\0?\0x\0m\0l\0"s, "UTF-16LE"},
        {"\0<\0?\0x\0m\0l"s, "UTF-16BE"},
        // Only the first 1,024 bytes are read.
        {std::string(kPrescanLength - 20, ' ') + "<meta charset=utf-8>", "UTF-8"},
        {std::string(kPrescanLength - 19, ' ') + "<meta charset=utf-8>", ""},
    };
    ExpectEncodings(PrescanEncoding, cases);
}

// The HTML standard, "algorithm for extracting a character encoding from a meta element", on the
// content attribute of a meta tag with http-equiv="content-type".
TEST(PrescanEncoding, ExtractsTheCharsetOfTheContentAttribute) {
    const auto meta = [](const std::string& content) {
        return "<meta http-equiv=content-type content='" + content + "'>";
    };
    const std::vector<Case> cases = {
        {meta("text/html; charset=utf-8"), "UTF-8"},
        {meta("text/html;CHARSET = big5"), "Big5"},
        {meta("charsetcharset=utf-8"), "UTF-8"},
        {meta("text/html; charset=\"utf-8\""), "UTF-8"},
        {meta("text/html; charset=\"utf-8"), ""},
        {meta("text/html; charset=utf-8;q=1"), "UTF-8"},
        {meta("text/html; charset=utf-8 big5"), "UTF-8"},
        {meta("text/html; charset="), ""},
        {meta("text/html; charset utf-8"), ""},
        {meta("text/html; charset=klingon; charset=utf-8"), ""},
    };
    ExpectEncodings(PrescanEncoding, cases);
}

// A meta tag that does not lie whole in the first 1,024 bytes counts while the parser is still in
// the head: the text of title, script and style elements is no markup, and the body's first tag
// ends the head.
TEST(HeadMetaEncoding, ReadsTheWholeHead) {
    const std::string filler(kPrescanLength, 'x');
    const std::string meta = "<meta charset=utf-8>";
    const std::vector<Case> cases = {
        {"<html><head><title>" + filler + "</title>" + meta + "</head>", "UTF-8"},
        {"<head><script>document.write('<div>');" + filler + "</SCRIPT >" + meta, "UTF-8"},
        {"<style>p { }</style><!--" + filler + "-->" + "<link rel=icon href=x>" + meta, "UTF-8"},
        {"<head><noscript>" + filler + "<p></noscript>" + meta, "UTF-8"},
        {std::string(kPrescanLength - 10, ' ') + meta, "UTF-8"},
        {"<head>" + filler + "<meta charset=klingon>" + meta, "UTF-8"},
        {"<head><title>" + filler + meta, ""},
        {"<head>" + filler + "</head>" + meta, ""},
        {"<html>" + filler + "<body>" + meta, ""},
        {"<head>" + filler + "<div class=a>" + meta, ""},
        {"<head>" + filler + "</body>" + meta, ""},
    };
    ExpectEncodings(HeadMetaEncoding, cases);
    for (const Case& c : cases) EXPECT_EQ(PrescanEncoding(c.page), std::nullopt) << c.page.substr(0, 40);
}

}  // namespace
