// A whole update driven message by message, as the updater sends it but without the updater:
// the flash must end up equal to the images the build carries.
#include <gtest/gtest.h>

#include "emulator/image_check.h"
#include "engine/image_set.h"
#include "engine/step_table.h"
#include "virtual_host.h"

namespace kt73b::emu {
namespace {

using testing::Answer;
using testing::Bytes;

class FullUpdate : public ::testing::Test {
  protected:
    // Sends one request and expects exactly the one answer.
    void Expect(const Bytes& request, const Bytes& answer) {
        EXPECT_EQ(host_.Exchange(request), std::vector<Bytes>{answer});
    }

    // The update-mode request, every row of the step table and the finish request; the chunk at
    // `skipOffset` of image `skipImage` is left out.
    void RunSteps(std::uint32_t skipImage = 0, std::uint32_t skipOffset = 0) {
        Expect(testing::UpdateModeRequest(), Answer(0));
        for (const StepRow& row : kStepTable) {
            if (row.type == kStepErase) {
                Expect(testing::EraseRequest(row.address, row.size), Answer(0));
                continue;
            }
            const auto image = LookupImage(row.imageId);
            ASSERT_EQ(image.size(), row.size);
            for (std::uint32_t offset = 0; offset < row.size; offset += kWriteChunkBytes) {
                if (row.imageId != skipImage || offset != skipOffset) {
                    Expect(testing::WriteFrame(row.address + offset,
                                               image.subspan(offset, kWriteChunkBytes)),
                           Answer(0));
                }
            }
        }
        Expect(testing::FinishRequest(), Answer(0));
    }

    std::string CompareWithBuiltInImages() {
        return CompareFlashWithImages(host_.Device().Device().Flash(), LookupImage);
    }

    testing::VirtualHost host_;
};

TEST_F(FullUpdate, LeavesTheFlashEqualToTheImages) {
    ASSERT_FALSE(CompareWithBuiltInImages().empty());
    EXPECT_EQ(host_.Exchange(testing::IdentityRequest()).at(0).at(6), 0x57);
    RunSteps();
    EXPECT_EQ(CompareWithBuiltInImages(), "");
    EXPECT_EQ(host_.Device().Device().FinishedCount(), 1);
    EXPECT_TRUE(host_.Device().ProtocolErrors().empty());
    EXPECT_EQ(host_.Device().RequestCount(RequestKind::kWrite), 1902u);
    EXPECT_EQ(host_.Device().RequestCount(RequestKind::kErase), 3u);
}

TEST_F(FullUpdate, AMissingChunkOrAnImageOfTheWrongSizeIsFound) {
    RunSteps(kImageHigh, 0x1000);
    const std::string difference = CompareWithBuiltInImages();
    EXPECT_NE(difference.find("image 137 at 0x0F1000"), std::string::npos) << difference;

    const auto shortImage = [](std::uint32_t id) {
        const auto image = LookupImage(id);
        return id == kImageMiddle ? image.first(image.size() - 1) : image;
    };
    const std::string size = CompareFlashWithImages(host_.Device().Device().Flash(), shortImage);
    EXPECT_NE(size.find("image 129 has 720895 bytes"), std::string::npos) << size;
}

}  // namespace
}  // namespace kt73b::emu
