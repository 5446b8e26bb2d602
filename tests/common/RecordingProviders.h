// Providers that record instead of showing a window, installed for one scope and then restored.
// Header-only.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/framework/core/MessageBox.h"

namespace tessaly::test {

// Records every message box's CP932 text and type, answers nAnswer.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int nAnswer = IDOK) {
        m_previous = framework::SetMessageBoxProvider([this, nAnswer](LPCTSTR pszText, UINT nType) {
            std::lock_guard lock(m_mutex);
            m_vecTexts.emplace_back(pszText);
            m_vecTypes.push_back(nType);
            return nAnswer;
        });
    }
    ~MessageBoxRecorder() { framework::SetMessageBoxProvider(std::move(m_previous)); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<std::string> Texts() const {
        std::lock_guard lock(m_mutex);
        return m_vecTexts;
    }
    std::vector<UINT> Types() const {
        std::lock_guard lock(m_mutex);
        return m_vecTypes;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_vecTexts;
    std::vector<UINT> m_vecTypes;
    framework::MessageBoxProvider m_previous;
};

} // namespace tessaly::test
