#pragma once
// Fixture packages installed by a test without user interface, and removed again when the
// object goes, so the tests of one program never see each other's products.
#include "fixture_packages.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvh::test {

class ProductInstalls {
public:
    ProductInstalls() = default;
    ~ProductInstalls();
    ProductInstalls(const ProductInstalls&) = delete;
    ProductInstalls& operator=(const ProductInstalls&) = delete;

    // Installs the package from bin\fixtures, or from a copy of it in `sourceFolder`, which
    // then becomes the product's installation source. Returns the installer's result.
    unsigned Install(const fixtures::FixturePackage& package, const std::wstring& sourceFolder = {});
    // Removes the package's product at the end too, when the code under test installs it.
    void RemoveAtEnd(const fixtures::FixturePackage& package) { installed_.emplace_back(package.productCode); }

private:
    std::vector<std::wstring> installed_;
};

// Product codes of the installed products, in the installer's order.
std::vector<std::wstring> InstalledProductCodes();

// What the installer reports, as text; "error N" when it reports a failure, so that a
// test's message shows what went wrong.
std::wstring ProductInfoText(std::wstring_view productCode, const wchar_t* attribute);
std::wstring FileVersionText(const std::wstring& path);

} // namespace orvh::test
