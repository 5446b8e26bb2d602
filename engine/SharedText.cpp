#include "engine/SharedText.h"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <new>
#include <stdexcept>

// Every buffer starts with this head. A plain buffer holds its bytes and their terminator right
// behind it; a view (kView set in the length word) holds a reference to the plain buffer whose
// tail it reads.
struct CSharedText::Head {
    static constexpr std::uint32_t kView = 0x80000000u;
    // A count this high is left alone: the buffer then lives to the end of the process rather than
    // being freed under a copy still in use.
    static constexpr std::uint32_t kPinned = 0xFFFFFFFFu;

    std::atomic<std::uint32_t> uRefs;
    std::uint32_t uLengthAndKind;

    std::uint32_t Length() const { return uLengthAndKind & ~kView; }
    bool IsView() const { return (uLengthAndKind & kView) != 0; }
};

namespace {

using Head = CSharedText::Head;

struct ViewHead {
    Head head;
    Head* pParent;
    const char* pcText;
};

const char* TextOf(const Head* pHead) {
    if (pHead->IsView()) {
        return reinterpret_cast<const ViewHead*>(pHead)->pcText;
    }
    return reinterpret_cast<const char*>(pHead + 1);
}

void AddRef(Head* pHead) {
    if (pHead->uRefs.load(std::memory_order_relaxed) != Head::kPinned) {
        pHead->uRefs.fetch_add(1, std::memory_order_relaxed);
    }
}

void ReleaseRef(Head* pHead) {
    while (pHead != nullptr) {
        if (pHead->uRefs.load(std::memory_order_relaxed) == Head::kPinned ||
            pHead->uRefs.fetch_sub(1, std::memory_order_acq_rel) != 1) {
            return;
        }
        Head* pParent = nullptr;
        if (pHead->IsView()) {
            pParent = reinterpret_cast<ViewHead*>(pHead)->pParent;
        }
        ::operator delete(pHead);
        pHead = pParent;
    }
}

Head* MakePlain(const char* pcText, size_t uLength) {
    void* pv = ::operator new(sizeof(Head) + uLength + 1);
    Head* pHead = new (pv) Head{{1}, static_cast<std::uint32_t>(uLength)};
    char* pcOut = reinterpret_cast<char*>(pHead + 1);
    std::memcpy(pcOut, pcText, uLength);
    pcOut[uLength] = '\0';
    return pHead;
}

Head* MakeView(Head* pParent, size_t uLength) {
    AddRef(pParent);
    void* pv = ::operator new(sizeof(ViewHead));
    const char* pcText = TextOf(pParent) + (pParent->Length() - uLength);
    auto* pView = new (pv)
        ViewHead{{{1}, static_cast<std::uint32_t>(uLength) | Head::kView}, pParent, pcText};
    return &pView->head;
}

// The plain buffers made last on this thread, newest first, each holding one reference. Scans
// assign a file's full path, then its folder, name and root: these few cover all of them.
class CRecentTexts {
public:
    static constexpr int kSize = 4;
    // A view costs a ViewHead; shorter tails are copied.
    static constexpr size_t kMinViewLength = sizeof(ViewHead) - sizeof(Head);

    ~CRecentTexts() {
        for (Head*& pHead : m_apHeads) {
            ReleaseRef(pHead);
            pHead = nullptr;
        }
    }

    Head* Share(const char* pcText, size_t uLength) {
        for (int i = 0; i < kSize; ++i) {
            Head* pHead = m_apHeads[i];
            if (pHead == nullptr || pHead->Length() < uLength) {
                continue;
            }
            const char* pcTail = TextOf(pHead) + (pHead->Length() - uLength);
            if (std::memcmp(pcTail, pcText, uLength) != 0) {
                continue;
            }
            if (pHead->Length() == uLength) {
                AddRef(pHead);
                MoveToFront(i);
                return pHead;
            }
            if (uLength >= kMinViewLength) {
                return MakeView(pHead, uLength);
            }
        }
        Head* pHead = MakePlain(pcText, uLength);
        AddRef(pHead);
        ReleaseRef(m_apHeads[kSize - 1]);
        m_apHeads[kSize - 1] = pHead;
        MoveToFront(kSize - 1);
        return pHead;
    }

private:
    void MoveToFront(int i) {
        Head* pHead = m_apHeads[i];
        for (; i > 0; --i) {
            m_apHeads[i] = m_apHeads[i - 1];
        }
        m_apHeads[0] = pHead;
    }

    Head* m_apHeads[kSize] = {};
};

thread_local CRecentTexts t_recent;

} // namespace

CSharedText::CSharedText(LPCTSTR pszText) {
    if (pszText != nullptr) {
        Assign(pszText, std::strlen(pszText));
    }
}

CSharedText::CSharedText(const CString& str) {
    Assign(str.GetString(), static_cast<size_t>(str.GetLength()));
}

CSharedText::CSharedText(const CSharedText& other) noexcept : m_pHead(other.m_pHead) {
    if (m_pHead != nullptr) {
        AddRef(m_pHead);
    }
}

CSharedText::~CSharedText() {
    ReleaseRef(m_pHead);
}

CSharedText& CSharedText::operator=(const CSharedText& other) noexcept {
    if (other.m_pHead != nullptr) {
        AddRef(other.m_pHead);
    }
    ReleaseRef(m_pHead);
    m_pHead = other.m_pHead;
    return *this;
}

CSharedText& CSharedText::operator=(CSharedText&& other) noexcept {
    if (this != &other) {
        ReleaseRef(m_pHead);
        m_pHead = other.m_pHead;
        other.m_pHead = nullptr;
    }
    return *this;
}

CSharedText& CSharedText::operator=(LPCTSTR pszText) {
    if (pszText == nullptr) {
        Empty();
    } else {
        Assign(pszText, std::strlen(pszText));
    }
    return *this;
}

CSharedText& CSharedText::operator=(const CString& str) {
    Assign(str.GetString(), static_cast<size_t>(str.GetLength()));
    return *this;
}

void CSharedText::Assign(const char* pcText, size_t uLength) {
    if (uLength >= Head::kView) {
        throw std::length_error("CSharedText: text too long");
    }
    // The new buffer first: pcText may be this text's own.
    Head* pNew = uLength == 0 ? nullptr : t_recent.Share(pcText, uLength);
    ReleaseRef(m_pHead);
    m_pHead = pNew;
}

void CSharedText::Format(LPCTSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    CString strText;
    strText.FormatV(pszFormat, args);
    va_end(args);
    *this = strText;
}

void CSharedText::Join(std::string_view strFirst, char cSep, std::string_view strSecond) {
    // Built in the thread's room: a walk joins every file's path.
    thread_local std::string t_strJoined;
    t_strJoined.assign(strFirst);
    t_strJoined += cSep;
    t_strJoined.append(strSecond);
    Assign(t_strJoined.data(), t_strJoined.size());
}

void CSharedText::Empty() {
    ReleaseRef(m_pHead);
    m_pHead = nullptr;
}

int CSharedText::GetLength() const {
    return m_pHead == nullptr ? 0 : static_cast<int>(m_pHead->Length());
}

LPCTSTR CSharedText::GetString() const {
    return m_pHead == nullptr ? "" : TextOf(m_pHead);
}

void CSharedText::PrefetchText() const {
    if (m_pHead != nullptr) {
        __builtin_prefetch(TextOf(m_pHead));
    }
}

const void* CSharedText::SharedBuffer() const {
    if (m_pHead != nullptr && m_pHead->IsView()) {
        return reinterpret_cast<const ViewHead*>(m_pHead)->pParent;
    }
    return m_pHead;
}

namespace {
std::string_view ViewOf(LPCTSTR psz) {
    return psz == nullptr ? std::string_view() : std::string_view(psz);
}
} // namespace

bool operator==(const CSharedText& txt1, const CSharedText& txt2) {
    return txt1.View() == txt2.View();
}
bool operator==(const CSharedText& txt, const CString& str) {
    return txt.View() == std::string_view(str.Str());
}
bool operator==(const CSharedText& txt, LPCTSTR psz) {
    return txt.View() == ViewOf(psz);
}
bool operator!=(const CSharedText& txt1, const CSharedText& txt2) {
    return !(txt1 == txt2);
}
bool operator!=(const CSharedText& txt, const CString& str) {
    return !(txt == str);
}
bool operator!=(const CSharedText& txt, LPCTSTR psz) {
    return !(txt == psz);
}
bool operator==(const CString& str, const CSharedText& txt) {
    return txt == str;
}
bool operator==(LPCTSTR psz, const CSharedText& txt) {
    return txt == psz;
}
bool operator!=(const CString& str, const CSharedText& txt) {
    return !(txt == str);
}
bool operator!=(LPCTSTR psz, const CSharedText& txt) {
    return !(txt == psz);
}

CString operator+(const CSharedText& txt, LPCTSTR psz) {
    return CString(txt.GetString(), txt.GetLength()) + psz;
}
CString operator+(const CSharedText& txt, const CString& str) {
    return CString(txt.GetString(), txt.GetLength()) + str;
}
CString operator+(const CSharedText& txt1, const CSharedText& txt2) {
    return txt1 + CString(txt2.GetString(), txt2.GetLength());
}
CString operator+(const CString& str, const CSharedText& txt) {
    return str + CString(txt.GetString(), txt.GetLength());
}
CString operator+(LPCTSTR psz, const CSharedText& txt) {
    return CString(psz) + CString(txt.GetString(), txt.GetLength());
}
