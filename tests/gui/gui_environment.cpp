#include "gui_environment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <cstdlib>
#include <memory>

#include "x_display.h"

namespace kt73b::testing {

namespace {

std::string g_unavailable = "the GUI environment did not run";

// A failed wx check is a failed test, not a dialog that waits for a click.
void FailOnAssert(const wxString& file, int line, const wxString&, const wxString& cond,
                  const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx check failed: " << cond.utf8_str().data() << " " << message.utf8_str().data();
}

class GuiEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        std::string whyNot;
        display_ = XDisplay::Open(&whyNot);
        if (display_ == nullptr) {
            g_unavailable = whyNot;
            return;
        }
        setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus to look for
        // For the dialog programs the tests start, when built with a sanitizer.
        setenv("LSAN_OPTIONS", "suppressions=" KT73B_LSAN_SUPPRESSIONS, 0);
        setenv("TSAN_OPTIONS", "suppressions=" KT73B_TSAN_SUPPRESSIONS, 0);
        wxApp::SetInstance(new wxApp);
        if (!wxEntryStart(argc_, argv_) || !wxTheApp->CallOnInit()) {
            g_unavailable = "wxWidgets could not open the display";
            return;
        }
        wxSetAssertHandler(&FailOnAssert);
        started_ = true;
        g_unavailable.clear();
    }

    void TearDown() override {
        if (started_)
            wxEntryCleanup();
        display_.reset();
    }

  private:
    char name_[16] = "kt73b-gui-tests";
    char* args_[2] = {name_, nullptr};
    int argc_ = 1;
    char** argv_ = args_;
    std::unique_ptr<XDisplay> display_;
    bool started_ = false;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

const std::string& GuiUnavailableReason() {
    return g_unavailable;
}

}  // namespace kt73b::testing
