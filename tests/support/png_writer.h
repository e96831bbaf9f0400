#pragma once
// Writes an image as a PNG file (8-bit RGB, stored deflate blocks): enough to keep a
// screenshot as a build artifact without an image library.
#include <cstdint>
#include <string>
#include <vector>

namespace orvh::test {

struct Image {
    int width = 0;
    int height = 0;
    // 0x00RRGGBB, top row first.
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

std::string EncodePng(const Image& image);
void WritePng(const std::wstring& path, const Image& image);

} // namespace orvh::test
