// The port lists and their pre-selection, with devices registered in-process under chosen names.
#include <functional>
#include <memory>

#include "dialog_fixture.h"
#include "platform/winmm/loopback/loopback_registry.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {
namespace {

// A device that only has a name.
class NamedDevice : public loopback::LoopbackDevice {
  public:
    explicit NamedDevice(const std::string& name) : id_(loopback::RegisterDevice(name, this)) {}
    ~NamedDevice() override { loopback::UnregisterDevice(id_); }
    void OnHostMessage(const std::uint8_t*, std::size_t) override {}

  private:
    int id_;
};

class PortLists : public DialogTest {
  protected:
    void Register(std::initializer_list<std::string> names) {
        for (const auto& name : names) {
            devices_.push_back(std::make_unique<NamedDevice>(name));
        }
    }
    void TearDown() override {
        DialogTest::TearDown();
        devices_.clear();
    }
    bool WaitForOutList(const std::function<bool(const ui::HeadlessControl&)>& shows) {
        return WaitUntil([&] { return shows(Control(IDC_MIDI_OUT_LIST)); }, kShortWait);
    }
    std::vector<std::unique_ptr<NamedDevice>> devices_;
};

TEST_F(PortLists, TheFirstCopySelectsTheLastMatchingEntry) {
    Register({"USB Audio Device", "Another Device", "VELK KT Series"});  // two of the names
    OpenDialog();
    const auto out = Control(IDC_MIDI_OUT_LIST);
    EXPECT_EQ(out.items,
              (std::vector<std::string>{"USB Audio Device", "Another Device", "VELK KT Series"}));
    EXPECT_EQ(out.selection, 2);
    EXPECT_EQ(Control(IDC_MIDI_IN_LIST).selection, 2);
    EXPECT_EQ(*backend_.Title(IDD_UPDATER_DIALOG), "Velk KT-73B System v3.00");
}

TEST_F(PortLists, RescanReplacesAChoiceMadeByHand) {
    Register({"Another Device", "VELK KT Series"});
    OpenDialog();
    backend_.SelectListItem(IDD_UPDATER_DIALOG, IDC_MIDI_OUT_LIST, 0);
    ASSERT_TRUE(WaitForOutList([](const auto& list) { return list.selection == 0; }));
    backend_.Click(IDD_UPDATER_DIALOG, IDC_RESCAN);
    ASSERT_TRUE(WaitForOutList([](const auto& list) { return list.selection == 1; }));
    // A device that went away takes its entry and, with no match left, the selection with it.
    devices_.pop_back();
    backend_.Click(IDD_UPDATER_DIALOG, IDC_RESCAN);
    ASSERT_TRUE(WaitForOutList([](const auto& list) { return list.items.size() == 1; }));
    EXPECT_EQ(Control(IDC_MIDI_OUT_LIST).selection, -1);
}

}  // namespace
}  // namespace kt73b::testing
