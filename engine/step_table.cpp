#include "engine/step_table.h"

#include "engine/image_set.h"

namespace kt73b {

const std::array<StepRow, kStepCount> kStepTable = {{
    {kStepErase, 0x040000, 0x0B0000, 0},
    {kStepErase, 0x000000, 0x040000, 0},
    {kStepWrite, 0x000000, 0x040000, kImageLow},
    {kStepErase, 0x0F0000, 0x2C7000, 0},
    {kStepWrite, 0x0F0000, 0x2C7000, kImageHigh},
    {kStepWrite, 0x040000, 0x0B0000, kImageMiddle},
}};

}  // namespace kt73b
