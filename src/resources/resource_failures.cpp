#include "resources/resource_failures.h"

namespace orvh {

std::wstring CustomResourceNotFoundText(std::int32_t id) {
    return L"Custom resource with Identifier " + std::to_wstring(id) + L" not found.";
}

std::wstring PictureResourceNotFoundText(std::int32_t id) {
    return L"Picture resource with Identifier " + std::to_wstring(id) + L" not found.";
}

std::wstring ResourceNotFoundText(std::int32_t id) {
    return L"Resource with Identifier " + std::to_wstring(id) + L" not found.";
}

std::wstring ResourceLoadErrorText() { return L"Error loading from file"; }

std::wstring InvalidPictureText() { return L"InvalId Picture"; }

} // namespace orvh
