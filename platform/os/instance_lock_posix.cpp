// Per-user lock files: one file per instance name in a folder only this user may write, locked
// with flock, which the kernel drops when the process ends however it ends.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/os/instance_lock.h"

namespace kt73b::os {

namespace {

std::string LockFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return std::string(runtime) + "/kt73b-updater";
    }
    return "/tmp/kt73b-updater-" + std::to_string(getuid());
}

// A folder that someone else made, or that others may write, could be used to deny us a number.
bool OwnedPrivateFolder(const std::string& folder) {
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & 0022) == 0;
}

int ToDescriptor(void* handle) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle)) - 1;
}

void* ToHandle(int descriptor) {
    return reinterpret_cast<void*>(std::intptr_t{descriptor} + 1);
}

}  // namespace

InstanceLock::~InstanceLock() {
    Release();
}

bool InstanceLock::TryClaim(const std::string& name) {
    Release();
    const std::string folder = LockFolder();
    if (!OwnedPrivateFolder(folder)) {
        return false;
    }
    const std::string path = folder + "/" + name + ".lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    handle_ = ToHandle(fd);
    return true;
}

void InstanceLock::Release() {
    if (handle_ != nullptr) {
        close(ToDescriptor(handle_));  // closing the only descriptor drops the flock
        handle_ = nullptr;
    }
}

}  // namespace kt73b::os
