// Inside the layer: the objects behind HANDLEs. Every kind of handle (open files and folders,
// directory searches) lives in one table, so a handle of one kind handed to a function of another,
// a closed handle or a made-up value is refused with ERROR_INVALID_HANDLE instead of crashing.
#pragma once

#include <memory>

#include "platform/win32/Win32Types.h"

namespace tessaly::win32::detail {

enum class HandleKind { File, Find };

class HandleObject {
public:
    virtual ~HandleObject() = default;
    virtual HandleKind Kind() const = 0;
    // Releases what the handle holds; false with GetLastError set when that fails.
    virtual bool Close() = 0;
};

// Enters the object into the table and returns its handle (never null or INVALID_HANDLE_VALUE).
HANDLE RegisterHandle(std::shared_ptr<HandleObject> pObject);

// The live object behind h when it is of that kind; null with ERROR_INVALID_HANDLE otherwise.
// The object stays valid for the caller even if another thread closes h meanwhile.
std::shared_ptr<HandleObject> LookupHandle(HANDLE h, HandleKind kind);

template <class T> std::shared_ptr<T> LookupHandleAs(HANDLE h, HandleKind kind) {
    return std::static_pointer_cast<T>(LookupHandle(h, kind));
}

// Removes h from the table and closes its object: CloseHandle and FindClose. FALSE with
// ERROR_INVALID_HANDLE when h is not a live handle of that kind.
BOOL ReleaseHandle(HANDLE h, HandleKind kind);

} // namespace tessaly::win32::detail
