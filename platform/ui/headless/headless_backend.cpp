#include "platform/ui/headless/headless_backend.h"

#include "platform/ui/dialog.h"

namespace kt73b::ui {

int HeadlessBackend::RunModal(Dialog& dialog) {
    const res::DialogTemplate* layout = res::FindDialogTemplate(dialog.TemplateId());
    if (layout == nullptr) {
        return -1;
    }
    HeadlessWindow window(*this, *layout);
    {
        std::lock_guard lock(mutex_);
        live_.push_back({&dialog, &window});
        NotifyChanged();
    }
    dialog.Attach(&window);
    dialog.OnInitDialog();
    RunLoopUntil([&window] { return window.ended; });
    dialog.OnDestroy();
    dialog.Detach();
    std::lock_guard lock(mutex_);
    std::erase_if(live_, [&window](const Live& live) { return live.window == &window; });
    NotifyChanged();
    return window.result;
}

void HeadlessBackend::WakeDialogThread() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    wake_.notify_all();
}

// Runs on the dialog's thread: test actions and other threads' calls, until `done` holds. Nested
// loops (message boxes, the about box) run here too, so calls keep flowing meanwhile.
void HeadlessBackend::RunLoopUntil(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    while (!done()) {
        wake_.wait(lock, [&] { return woken_ || !actions_.empty() || done(); });
        woken_ = false;
        while (!actions_.empty()) {
            auto action = std::move(actions_.front());
            actions_.pop_front();
            lock.unlock();
            action();
            lock.lock();
        }
        const std::vector<Live> live = live_;
        lock.unlock();
        for (const Live& entry : live) {
            entry.dialog->RunPendingCalls();
        }
        lock.lock();
    }
}

int HeadlessBackend::ShowMessageBox(std::string_view text, std::string_view caption,
                                    unsigned type) {
    return ShowBox(text, caption, type, 0);
}

int HeadlessBackend::ShowBox(std::string_view text, std::string_view caption, unsigned type,
                             int owner) {
    HeadlessWindow* ownerWindow = nullptr;
    {
        std::lock_guard lock(mutex_);
        boxes_.push_back({std::string(text), std::string(caption), type, owner});
        NotifyChanged();
        if (policy_ == BoxPolicy::kDismissAtOnce) {
            return kIdOk;
        }
        if (Live* live = FindLiveLocked(owner)) {
            ownerWindow = live->window;
        }
        ++openBoxes_;
        dismissRequested_ = false;
        if (ownerWindow != nullptr) {
            ownerWindow->messageBoxOpen = true;
        }
    }
    RunLoopUntil([this, ownerWindow] {
        return dismissRequested_ || (ownerWindow != nullptr && ownerWindow->ended);
    });
    std::lock_guard lock(mutex_);
    dismissRequested_ = false;
    --openBoxes_;
    if (ownerWindow != nullptr) {
        ownerWindow->messageBoxOpen = false;
    }
    NotifyChanged();
    return kIdOk;
}

void HeadlessBackend::Post(std::function<void()> action) {
    std::lock_guard lock(mutex_);
    actions_.push_back(std::move(action));
    wake_.notify_all();
}

HeadlessBackend::Live* HeadlessBackend::FindLiveLocked(int templateId) {
    for (auto it = live_.rbegin(); it != live_.rend(); ++it) {
        if (it->window->templateId == templateId) {
            return &*it;
        }
    }
    return nullptr;
}

void HeadlessBackend::Click(int templateId, int controlId) {
    Post([this, templateId, controlId] {
        Dialog* target = nullptr;
        {
            std::lock_guard lock(mutex_);
            Live* live = FindLiveLocked(templateId);
            // A covered window, a window under a message box or a disabled button takes no click.
            if (live == nullptr || &live_.back() != live || openBoxes_ > 0) {
                return;
            }
            const auto control = live->window->controls.find(controlId);
            if (control != live->window->controls.end() && !control->second.enabled) {
                return;
            }
            target = live->dialog;
        }
        target->OnCommand(controlId);
    });
}

void HeadlessBackend::SysCommand(int templateId, unsigned command) {
    Post([this, templateId, command] {
        Dialog* target = nullptr;
        {
            std::lock_guard lock(mutex_);
            Live* live = FindLiveLocked(templateId);
            if (live == nullptr || &live_.back() != live || openBoxes_ > 0) {
                return;
            }
            target = live->dialog;
        }
        target->OnSysCommand(command);
    });
}

void HeadlessBackend::SelectListItem(int templateId, int listId, int index) {
    Post([this, templateId, listId, index] {
        std::lock_guard lock(mutex_);
        Live* live = FindLiveLocked(templateId);
        if (live == nullptr || openBoxes_ > 0) {
            return;
        }
        const auto control = live->window->controls.find(listId);
        if (control == live->window->controls.end() || !control->second.enabled) {
            return;
        }
        if (index >= 0 && index < static_cast<int>(control->second.items.size())) {
            control->second.selection = index;
            NotifyChanged();
        }
    });
}

void HeadlessBackend::PressEscape(int templateId) {
    Click(templateId, kIdCancel);
}

void HeadlessBackend::CloseWindow(int templateId) {
    Post([this, templateId] {
        Dialog* target = nullptr;
        {
            std::lock_guard lock(mutex_);
            Live* live = FindLiveLocked(templateId);
            if (live == nullptr) {
                return;
            }
            target = live->dialog;
            if (openBoxes_ > 0) {
                dismissRequested_ = true;
            }
        }
        target->OnCommand(kIdCancel);
    });
}

void HeadlessBackend::SetBoxPolicy(BoxPolicy policy) {
    std::lock_guard lock(mutex_);
    policy_ = policy;
}

void HeadlessBackend::DismissMessageBox() {
    std::lock_guard lock(mutex_);
    dismissRequested_ = true;
    wake_.notify_all();
}

bool HeadlessBackend::WaitUntil(const std::function<bool(const HeadlessBackend&)>& predicate,
                                std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return predicate(*this); });
}

const HeadlessWindow* HeadlessBackend::FindWindowLocked(int templateId) const {
    for (auto it = live_.rbegin(); it != live_.rend(); ++it) {
        if (it->window->templateId == templateId) {
            return it->window;
        }
    }
    return nullptr;
}

std::optional<HeadlessControl> HeadlessBackend::ControlState(int templateId, int controlId) const {
    std::lock_guard lock(mutex_);
    const HeadlessWindow* window = FindWindowLocked(templateId);
    if (window == nullptr) {
        return std::nullopt;
    }
    const auto control = window->controls.find(controlId);
    if (control == window->controls.end()) {
        return std::nullopt;
    }
    return control->second;
}

std::vector<HeadlessMessageBox> HeadlessBackend::MessageBoxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::optional<std::string> HeadlessBackend::Title(int templateId) const {
    std::lock_guard lock(mutex_);
    const HeadlessWindow* window = FindWindowLocked(templateId);
    if (window == nullptr) {
        return std::nullopt;
    }
    return window->title;
}

std::vector<std::pair<unsigned, std::string>> HeadlessBackend::SystemMenu(int templateId) const {
    std::lock_guard lock(mutex_);
    const HeadlessWindow* window = FindWindowLocked(templateId);
    if (window == nullptr) {
        return {};
    }
    return window->systemMenu;
}

bool HeadlessBackend::IsOpen(int templateId) const {
    std::lock_guard lock(mutex_);
    return FindWindowLocked(templateId) != nullptr;
}

}  // namespace kt73b::ui
