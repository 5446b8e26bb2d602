// Inside the layer on Windows: names that differ only in Unicode normalisation are one name to the
// layer's lookups, as on Linux. Windows' file systems do not do that themselves (NTFS ignores case
// but compares the units of a name as they are: "café" composed and decomposed are two files), so
// where a path is missing as spelled, each missing component is sought in its composed (NFC) and
// decomposed (NFD) forms. A name that mixes the two forms is not found that way; listing its
// folder at every miss would cost a scan per file.
#pragma once

#include <string>

namespace tessaly::win32::detail {

// Whether a path holds a character that normalisation might change (U+0300 and above).
bool MayHaveOtherForms(const std::u16string& strWidePath);

// strWidePath with its components as the disk spells them: each component that is missing as
// given and exists in another form takes that form; the first missing one that has none ends the
// search, and it and the rest stay as given (so that a name to be created keeps its form).
// Returns whether anything was changed.
bool TakeDiskForms(std::u16string& strWidePath);

// After a call that failed: when it found the path missing (ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND) and TakeDiskForms changes it, true for the call to be made again;
// otherwise false with the call's error kept.
bool RetryInDiskForms(std::u16string& strWidePath);

} // namespace tessaly::win32::detail
