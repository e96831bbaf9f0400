// The resource class's wave sounds, played from the test resource module.
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "resources_module.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <string>

namespace orvh {
namespace {

struct WaveCase {
    const char* name;
    std::int32_t index;
    bool played;
};

void PrintTo(const WaveCase& c, std::ostream* os) { *os << c.name; }

class PlayWaveCases : public testing::TestWithParam<WaveCase> {
protected:
    void SetUp() override {
        resources_.DllName(test::ResourcesModulePath());
        ASSERT_NE(resources_.ModuleHandle(), nullptr);
        CurrentError().Set(1, L"before", L"before");
    }
    // The sound plays from the module's memory: it is stopped before the module goes.
    void TearDown() override { ::PlaySoundW(nullptr, nullptr, 0); }
    OvResDll resources_;
};

// The sound plays in the background: the call returns before an audio device is opened,
// so a wave resource gives true even where there is none (as in the test prefix).
TEST_P(PlayWaveCases, StartsTheSoundOrReturnsFalse) {
    const auto& c = GetParam();
    EXPECT_EQ(resources_.PlayWave(c.index), c.played);
    // A failure shows only in the result.
    EXPECT_EQ(CurrentError().number, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Module, PlayWaveCases,
    testing::Values(WaveCase{"wave", RM_WAVE, true}, WaveCase{"missing_id", RM_MISSING, false},
                    // Only resources of the type WAVE are sounds.
                    WaveCase{"data_resource", RM_DATA, false}, WaveCase{"id_zero", 0, false},
                    WaveCase{"id_beyond_16_bits", 0x10000 + RM_WAVE, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh
