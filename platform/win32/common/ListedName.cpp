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
                                                   void* pContext) {
    const ListingOmissionListener pPrevious = t_pOmissionListener;
    t_pOmissionListener = pListener;
    t_pOmissionContext = pContext;
    return pPrevious;
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
    NoteUnmappableName();
    if (t_pOmissionListener != nullptr) {
        const DWORD dwError = GetLastError();
        t_pOmissionListener(t_pOmissionContext, strFolder, strDisk, eReason);
        SetLastError(dwError);
    }
    return false;
}

} // namespace detail
} // namespace tessaly::win32
