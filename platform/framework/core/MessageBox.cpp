#include "platform/framework/core/MessageBox.h"

#include <mutex>

namespace tessaly::framework {
namespace {

struct MessageBoxState {
    std::mutex mutex;
    MessageBoxProvider provider;
    std::vector<std::string> vecQuietTexts;
};

MessageBoxState& State() {
    static auto* pState =
        new MessageBoxState; // never destroyed: detached workers may outlive statics
    return *pState;
}

} // namespace

MessageBoxProvider SetMessageBoxProvider(MessageBoxProvider provider) {
    MessageBoxState& state = State();
    std::lock_guard lock(state.mutex);
    MessageBoxProvider previous = std::move(state.provider);
    state.provider = std::move(provider);
    return previous;
}

std::vector<std::string> QuietMessageBoxTexts() {
    MessageBoxState& state = State();
    std::lock_guard lock(state.mutex);
    return state.vecQuietTexts;
}

void ClearQuietMessageBoxTexts() {
    MessageBoxState& state = State();
    std::lock_guard lock(state.mutex);
    state.vecQuietTexts.clear();
}

} // namespace tessaly::framework

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT /*nIDHelp*/) {
    using namespace tessaly::framework;
    MessageBoxState& state = State();
    MessageBoxProvider provider;
    {
        std::lock_guard lock(state.mutex);
        if (!state.provider) {
            state.vecQuietTexts.emplace_back(lpszText != nullptr ? lpszText : "");
            return IDOK;
        }
        provider = state.provider;
    }
    // Called unlocked: a modal box may run for long, and its provider may trace or ask again.
    return provider(lpszText != nullptr ? lpszText : "", nType);
}
