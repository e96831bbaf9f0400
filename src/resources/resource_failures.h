#pragma once
// The errors the resource class records when a resource cannot be read: their numbers
// and descriptions.
#include <cstdint>
#include <string>

namespace orvh {

inline constexpr std::int32_t kResourceNotFoundError = 326;
inline constexpr std::int32_t kResourceLoadError = 31037;
inline constexpr std::int32_t kInvalidPictureError = 481;

inline constexpr const wchar_t* kErrorSourceResources = L"OvResDll";

std::wstring CustomResourceNotFoundText(std::int32_t id);
std::wstring PictureResourceNotFoundText(std::int32_t id);
// The data of a resource to save is missing or empty.
std::wstring ResourceNotFoundText(std::int32_t id);
std::wstring ResourceLoadErrorText();
// Spelt as the program has always reported it.
std::wstring InvalidPictureText();

} // namespace orvh
