#include "core/password_source.h"

#include <atomic>

namespace veltrix {
namespace {
std::atomic<IPasswordSource*> currentSource{nullptr};
}

IPasswordSource* CurrentPasswordSource() {
    return currentSource.load();
}

void SetPasswordSource(IPasswordSource* source) {
    currentSource.store(source);
}

}  // namespace veltrix
