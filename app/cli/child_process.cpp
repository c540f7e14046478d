#include "app/cli/child_process.h"

namespace kt73b::cli {

bool ChildProcess::TakeLines(std::vector<std::string>& lines) {
    const bool open = ReadAvailable();
    std::size_t start = 0;
    for (std::size_t end; (end = pending_.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(pending_.substr(start, end - start));
    }
    pending_.erase(0, start);
    if (!open && !pending_.empty()) {
        lines.push_back(std::move(pending_));
        pending_.clear();
    }
    return open;
}

std::string ChildProcess::ReadLine(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const bool open = ReadAvailable();
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!open || left.count() <= 0) {
            return {};
        }
        WaitForOutput({this}, left);
    }
}

}  // namespace kt73b::cli
