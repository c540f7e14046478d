#include "platform/ui/wx/wx_backend.h"

#include <wx/app.h>

#include <algorithm>

#include "platform/ui/dialog.h"
#include "platform/ui/wx/byte_text.h"
#include "platform/ui/wx/message_box.h"
#include "platform/ui/wx/wx_dialog_window.h"

namespace kt73b::ui {

namespace {
constexpr unsigned kMbIconMask = 0x00F0;

long BoxStyle(unsigned type) {
    // The dialogs show OK boxes only; the icon is the error icon or none. wx's box leaves the
    // icon out when no icon flag is given (wxICON_NONE would make it look one up and fail).
    return wxOK | ((type & kMbIconMask) == kMbIconError ? wxICON_ERROR : 0L);
}
}  // namespace

int WxBackend::RunModal(Dialog& dialog) {
    const res::DialogTemplate* layout = res::FindDialogTemplate(dialog.TemplateId());
    if (layout == nullptr || wxTheApp == nullptr) {
        return -1;
    }
    WxDialogWindow window(InnermostWindow(), *layout, dialog, *this);
    live_.push_back({&dialog, &window});
    dialog.Attach(&window);
    if (dialog.OnInitDialog()) {
        window.FocusFirstTabStop();
    }
    const int result = window.RunModalLoop();
    dialog.OnDestroy();
    dialog.Detach();
    std::erase_if(live_, [&window](const Live& live) { return live.window == &window; });
    return result;
}

void WxBackend::WakeDialogThread() {
    if (wakeQueued_.exchange(true)) {
        return;
    }
    // Handover: the GUI thread runs the queued calls when wx dispatches this event, in the main
    // loop or in any nested modal loop (message boxes, the about box).
    wxTheApp->CallAfter([this] { RunPendingCalls(); });
}

void WxBackend::RunPendingCalls() {
    wakeQueued_ = false;
    // A call may open a nested loop that opens or closes windows: walk a copy. Every window in it
    // stays alive meanwhile, since its RunModal is further down this thread's stack.
    const std::vector<Live> live = live_;
    for (const Live& entry : live) {
        entry.dialog->RunPendingCalls();
    }
}

int WxBackend::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return ShowBox(nullptr, text, caption, type);
}

int WxBackend::ShowBox(wxWindow* owner, std::string_view text, std::string_view caption,
                       unsigned type) {
    wxGenericMessageDialog box(owner, FromBytes(text), FromBytes(caption), BoxStyle(type));
    wxGenericMessageDialog* const outer = openBox_;
    openBox_ = &box;
    box.ShowModal();
    openBox_ = outer;
    return kIdOk;
}

WxDialogWindow* WxBackend::FindWindow(int templateId) const {
    const auto found = std::find_if(live_.rbegin(), live_.rend(), [templateId](const Live& live) {
        return live.window->TemplateId() == templateId;
    });
    return found == live_.rend() ? nullptr : found->window;
}

wxWindow* WxBackend::InnermostWindow() const {
    return live_.empty() ? nullptr : live_.back().window;
}

}  // namespace kt73b::ui
