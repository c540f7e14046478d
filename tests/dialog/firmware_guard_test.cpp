// Placeholder images are not firmware: the dialog refuses to send them to a device it does not
// emulate itself, whatever the device is called, and images read from a folder count as real
// and are the bytes the device receives.
#include <algorithm>
#include <fstream>

#include "dialog_fixture.h"
#include "engine/image_set.h"
#include "platform/winmm/device_catalog.h"
#include "platform/winmm/loopback/loopback_provider.h"
#include "tests/support/listed_ports.h"

namespace kt73b::testing {
namespace {

constexpr const char* kPlaceholderRefusal =
    "This build carries placeholder firmware: it can update only the emulated KT-73B. Build "
    "with KT73B_FIRMWARE_DIR set to the folder of the real images.";

class FirmwareGuard : public DialogTest {
  protected:
    void TearDown() override {
        DialogTest::TearDown();
        UseImageSet(builtIn_);
        winmm::SetProvidersForTesting(winmm::DefaultProviders());
    }

    // Three images of the right sizes whose bytes differ from the built-in ones.
    std::string WriteImageFolder(std::size_t shortenImage = 3) {
        const std::string folder = std::filesystem::current_path().string() + "/images";
        std::filesystem::create_directory(folder);
        for (std::size_t i = 0; i < kImageSpecs.size(); ++i) {
            std::ofstream file(folder + "/" + std::to_string(kImageSpecs[i].id) + ".bin",
                               std::ios::binary);
            const std::size_t size = kImageSpecs[i].size - (i == shortenImage ? 1 : 0);
            for (std::size_t at = 0; at < size; ++at) {
                file.put(static_cast<char>((at * 7 + i) % 251));
            }
        }
        return folder;
    }

    const ImageSet builtIn_ = ActiveImageSet();
};

TEST_F(FirmwareGuard, PlaceholdersNeverReachADeviceOfTheSameNameNotEmulatedHere) {
    ASSERT_EQ(builtIn_.origin, ImageOrigin::kPlaceholder);
    // A device of the device's own name that this process does not emulate.
    ListedPorts foreign{{"VELK KT Series", "x"}};
    winmm::SetProvidersForTesting({&foreign, &winmm::LoopbackProvider::Instance()});
    CreateLogFile();
    StartDevice();
    OpenDialog();
    for (const int list : {IDC_MIDI_IN_LIST, IDC_MIDI_OUT_LIST}) {
        backend_.SelectListItem(IDD_UPDATER_DIALOG, list, 0);
    }
    Execute();
    ASSERT_TRUE(WaitForBoxes(1));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kPlaceholderRefusal});
    EXPECT_EQ(foreign.opens_, 0);
    EXPECT_TRUE(LogTexts().empty());
    EXPECT_TRUE(Control(ui::kIdOk).enabled && Control(IDC_RESCAN).enabled);
}

TEST_F(FirmwareGuard, ImagesFromAFolderAreRealAndAreTheBytesTheDeviceGets) {
    std::string error;
    ImageSet set;
    ASSERT_TRUE(ReadImageFolder(WriteImageFolder(kImageSpecs.size()), set, error)) << error;
    EXPECT_TRUE(IsRealFirmware(set));
    UseImageSet(set);
    StartDevice();
    OpenDialog();
    Execute();
    ASSERT_TRUE(WaitForStatus("Version update completed.", kUpdateWait)) << Status();
    EXPECT_EQ(FlashVersusImages(), "");  // the images of the folder, not those built in
    EXPECT_FALSE(std::ranges::equal(LookupImage(kImageLow), builtIn_.images[1]));
}

TEST_F(FirmwareGuard, AFolderWithAShortImageIsRefusedByName) {
    std::string error;
    ImageSet set;
    EXPECT_FALSE(ReadImageFolder(WriteImageFolder(2), set, error));
    EXPECT_NE(error.find("137.bin has 2912255 bytes; it must have 2912256"), std::string::npos)
        << error;
    EXPECT_EQ(set.origin, ImageOrigin::kPlaceholder);
}

}  // namespace
}  // namespace kt73b::testing
