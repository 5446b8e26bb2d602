// Names that a directory listing leaves out because the program could not carry them, told to a
// listener of the calling thread, so that a caller can name each file it never saw.
#pragma once

#include <string_view>

namespace tessaly::win32 {

enum class ListingOmission {
    Unmappable, // the name has no CP932 form
    TooLong     // its CP932 form does not fit cFileName (MAX_PATH bytes with the terminator)
};

// Called with the folder's POSIX path, the on-disk name and why it was left out.
using ListingOmissionListener = void (*)(void* pContext, std::string_view strFolder,
                                         std::string_view strName, ListingOmission eReason);

// Sets the listener of the calling thread (null: none, the default). Returns the previous one,
// and its context through ppPreviousContext when given.
ListingOmissionListener SetListingOmissionListener(ListingOmissionListener pListener,
                                                   void* pContext,
                                                   void** ppPreviousContext = nullptr);

// Tells the calling thread's listener of a name that a listing made for it (on another thread,
// say) left out; without a listener the name is counted (UnmappableNameCount).
void TellListingOmission(std::string_view strFolder, std::string_view strName,
                         ListingOmission eReason);

} // namespace tessaly::win32
