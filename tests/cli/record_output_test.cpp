#include "cli/record_output.h"

#include <gtest/gtest.h>

#include "cli/gbk_text.h"

namespace {

// This file's plain literals are GBK; u8 literals are UTF-8.
std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

}  // namespace

TEST(GbkText, ConvertsBothWaysAndMarksBadBytes) {
    EXPECT_EQ(GbkToUtf8("公司 abc"), Utf8(u8"公司 abc"));
    EXPECT_EQ(Utf8ToGbk(Utf8(u8"台灯 led")), "台灯 led");
    EXPECT_EQ(GbkToUtf8("a\xff"
                        "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(GbkToUtf8("ab\xb9"), "ab\xEF\xBF\xBD");  // a lead byte cut off at the end
    EXPECT_EQ(Utf8ToGbk("x\xC3"), "x?");
    EXPECT_EQ(GbkToUtf8(std::string(100000, 'a') + "公").size(), 100000u + 3u);
}

TEST(JsonLine, ValidateAndEveryFieldUnderItsName) {
    CompanyRecord record;
    record.validate = 1;
    record.compName = "公司\"A\"";
    record.address = "a\\b\tc\nd\x01";
    const std::string line = JsonLine(record);
    EXPECT_EQ(line.rfind("{\"validate\":1,\"url\":\"\",", 0), 0u);
    EXPECT_EQ(line.substr(line.size() - 2), "}\n");
    for (const CompanyField& field : kCompanyFields) {
        EXPECT_NE(line.find("\"" + std::string(field.name) + "\":\""), std::string::npos) << field.name;
    }
    EXPECT_NE(line.find("\"compName\":\"" + Utf8(u8"公司") + "\\\"A\\\"\""), std::string::npos);
    EXPECT_NE(line.find("\"address\":\"a\\\\b\\tc\\nd\\u0001\""), std::string::npos);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
}

TEST(PrintableValue, OneLineUtf8) {
    EXPECT_EQ(PrintableValue("公司\tA\r\nB\\"), Utf8(u8"公司") + "\\tA\\r\\nB\\\\");
}
