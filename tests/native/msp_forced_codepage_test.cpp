#include "msp/forced_codepage.h"

#include <gtest/gtest.h>

namespace orvh::msp {
namespace {

TEST(ForcedCodepage, IsReadFromTheExportedTable) {
    EXPECT_EQ(ForcedCodepage("\r\n\r\n1252\t_ForceCodepage\r\n"), 1252u);
    EXPECT_EQ(ForcedCodepage("\r\n\r\n0\t_ForceCodepage\r\n"), 0u);
    EXPECT_EQ(ForcedCodepage("\n\n65001\t_ForceCodepage\n"), 65001u);
}

TEST(ForcedCodepage, IsMissingFromOtherText) {
    EXPECT_EQ(ForcedCodepage(""), std::nullopt);
    EXPECT_EQ(ForcedCodepage("\r\n\r\n1252\tProperty\r\n"), std::nullopt);
    EXPECT_EQ(ForcedCodepage("\r\n\r\nabc\t_ForceCodepage\r\n"), std::nullopt);
}

} // namespace
} // namespace orvh::msp
