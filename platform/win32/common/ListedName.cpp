#include "platform/win32/common/ListedName.h"

#include "platform/win32/ListingOmissions.h"
#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"

namespace tessaly::win32 {
namespace {
thread_local ListingOmissionListener t_pOmissionListener = nullptr;
thread_local void* t_pOmissionContext = nullptr;
} // namespace

ListingOmissionListener SetListingOmissionListener(ListingOmissionListener pListener,
                                                   void* pContext, void** ppPreviousContext) {
    const ListingOmissionListener pPrevious = t_pOmissionListener;
    if (ppPreviousContext != nullptr) {
        *ppPreviousContext = t_pOmissionContext;
    }
    t_pOmissionListener = pListener;
    t_pOmissionContext = pContext;
    return pPrevious;
}

void TellListingOmission(std::string_view strFolder, std::string_view strName,
                         ListingOmission eReason) {
    if (t_pOmissionListener == nullptr) {
        NoteUnmappableName();
        return;
    }
    const DWORD dwError = GetLastError();
    t_pOmissionListener(t_pOmissionContext, strFolder, strName, eReason);
    SetLastError(dwError);
}

namespace detail {

bool ListedName(std::string_view strFolder, std::string_view strDisk, std::string& strAnsi) {
    ListingOmission eReason;
    if (!DiskNameToAnsi(strDisk, strAnsi)) {
        eReason = ListingOmission::Unmappable;
    } else if (strAnsi.size() >= MAX_PATH) {
        eReason = ListingOmission::TooLong;
    } else {
        return true;
    }
    TellListingOmission(strFolder, strDisk, eReason);
    return false;
}

} // namespace detail
} // namespace tessaly::win32
