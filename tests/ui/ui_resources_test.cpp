#include "resources/ui/ui_resources.h"

#include <gtest/gtest.h>

namespace kt73b::res {
namespace {

// The texts and layouts themselves are checked where they are shown (tests/dialog, tests/gui,
// tests/windows); here, what a lookup of an id without an entry gives.
TEST(UiResources, IdsWithoutAnEntryGiveNothing) {
    EXPECT_EQ(LoadString(112), "");
    EXPECT_EQ(FindDialogTemplate(101), nullptr);
}

}  // namespace
}  // namespace kt73b::res
