// The descriptions the resource class records.
#include "resources/resource_failures.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

TEST(ResourceFailures, DescriptionsNameTheId) {
    EXPECT_EQ(CustomResourceNotFoundText(7), L"Custom resource with Identifier 7 not found.");
    EXPECT_EQ(CustomResourceNotFoundText(-1), L"Custom resource with Identifier -1 not found.");
    EXPECT_EQ(PictureResourceNotFoundText(201), L"Picture resource with Identifier 201 not found.");
    EXPECT_EQ(ResourceNotFoundText(65535), L"Resource with Identifier 65535 not found.");
}

// "InvalId" is the program's own spelling.
TEST(ResourceFailures, FixedDescriptions) {
    EXPECT_EQ(ResourceLoadErrorText(), L"Error loading from file");
    EXPECT_EQ(InvalidPictureText(), L"InvalId Picture");
}

} // namespace
} // namespace orvh
