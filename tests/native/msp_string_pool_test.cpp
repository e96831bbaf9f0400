#include "msp/string_pool.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace orvh::msp {
namespace {

TEST(StringPool, NumbersStringsFromOneAndCountsEveryUse) {
    StringPool pool(1252);
    EXPECT_EQ(pool.Reference("File"), 1u);
    EXPECT_EQ(pool.Reference("Sequence"), 2u);
    EXPECT_EQ(pool.Reference("File"), 1u);
    EXPECT_EQ(pool.Reference("File"), 1u);

    // Code page 1252, then (length, references) for "File" and "Sequence".
    EXPECT_EQ(pool.PoolStream(), (Bytes{0xE4, 0x04, 0x00, 0x00, 4, 0, 3, 0, 8, 0, 1, 0}));
    EXPECT_EQ(pool.DataStream(), (Bytes{'F', 'i', 'l', 'e', 'S', 'e', 'q', 'u', 'e', 'n', 'c', 'e'}));
}

TEST(StringPool, EmptyStringIsTheNullStringAndIsNotStored) {
    StringPool pool(0);
    EXPECT_EQ(pool.Reference(""), 0u);
    EXPECT_EQ(pool.PoolStream(), (Bytes{0, 0, 0, 0}));
    EXPECT_TRUE(pool.DataStream().empty());
}

TEST(StringPool, KeepsBytesAsGiven) {
    StringPool pool(1252);
    pool.Reference("caf\xE9");
    EXPECT_EQ(pool.DataStream(), (Bytes{'c', 'a', 'f', 0xE9}));
}

TEST(StringPool, RefusesStringsLongerThanALengthWord) {
    StringPool pool(0);
    EXPECT_NO_THROW(pool.Reference(std::string(0xFFFF, 'x')));
    EXPECT_THROW(pool.Reference(std::string(0x10000, 'x')), std::length_error);
}

} // namespace
} // namespace orvh::msp
