#include "app/cli/json_events.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "resources/ui/resource_ids.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::cli {

namespace {

using nlohmann::json;

// Port names and texts are bytes in the system's code page, not always UTF-8: replace what is not.
std::string Line(const json& object) {
    return object.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string FinalObject(const DeviceEnd& end) {
    return Line({{"device", end.device},
                 {"event", "final"},
                 {"in", end.in},
                 {"out", end.out},
                 {"result", end.result},
                 {"exit_status", end.exitStatus},
                 {"step", end.step},
                 {"seconds", end.seconds}});
}

JsonEvents::JsonEvents(int device, Sink out, RunObserver& next)
    : device_(device), out_(std::move(out)), next_(next) {}

void JsonEvents::Write(std::string_view event, std::string_view key, std::string_view value) {
    json object = {{"device", device_}, {"event", event}};
    if (!key.empty()) {
        object[std::string(key)] = value;
    }
    out_(Line(object));
}

void JsonEvents::StepStarted(int step) {
    step_ = step;
    out_(Line({{"device", device_}, {"event", "step"}, {"step", step}}));
    next_.StepStarted(step);
}

void JsonEvents::ProgressMoved(std::uint32_t position, std::uint32_t high) {
    out_(
        Line({{"device", device_}, {"event", "progress"}, {"position", position}, {"high", high}}));
    next_.ProgressMoved(position, high);
}

void JsonEvents::StatusTextSet(std::string_view text) {
    Write("status", "text", text);
    next_.StatusTextSet(text);
}

void JsonEvents::Failed(FailureKind kind) {
    const FailureRow& row = RowFor(kind);
    out_(Line({{"device", device_},
               {"event", "failed"},
               {"kind", FailureKindName(kind)},
               {"text", FailureText(row)},
               {"ends_run", row.endsRun}}));
    if (row.endsRun && result_.empty()) {
        result_ = FailureText(row);
    }
    next_.Failed(kind);
}

void JsonEvents::Completed() {
    Write("completed");
    result_ = res::LoadString(IDS_UPDATE_COMPLETED);
    next_.Completed();
}

}  // namespace kt73b::cli
