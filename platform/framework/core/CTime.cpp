#include "platform/framework/core/CTime.h"

#include <time.h>

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
    std::tm tmFields{};
    tmFields.tm_year = nYear - 1900;
    tmFields.tm_mon = nMonth - 1;
    tmFields.tm_mday = nDay;
    tmFields.tm_hour = nHour;
    tmFields.tm_min = nMin;
    tmFields.tm_sec = nSec;
    tmFields.tm_isdst = -1;
    m_tTime = mktime(&tmFields);
}

CTime CTime::GetCurrentTime() {
    return CTime(std::time(nullptr));
}

std::tm* CTime::GetLocalTm(std::tm* ptm) const {
    if (ptm == nullptr) {
        return nullptr;
    }
    // localtime's static buffer is not thread-safe.
#ifdef _WIN32
    return localtime_s(ptm, &m_tTime) == 0 ? ptm : nullptr;
#else
    return localtime_r(&m_tTime, ptm);
#endif
}

std::tm CTime::LocalFields() const {
    std::tm tmFields{};
    GetLocalTm(&tmFields);
    return tmFields;
}

int CTime::GetYear() const {
    return LocalFields().tm_year + 1900;
}
int CTime::GetMonth() const {
    return LocalFields().tm_mon + 1;
}
int CTime::GetDay() const {
    return LocalFields().tm_mday;
}
int CTime::GetHour() const {
    return LocalFields().tm_hour;
}
int CTime::GetMinute() const {
    return LocalFields().tm_min;
}
int CTime::GetSecond() const {
    return LocalFields().tm_sec;
}
int CTime::GetDayOfWeek() const {
    return LocalFields().tm_wday + 1;
}

CString CTime::Format(LPCTSTR pszFormat) const {
    if (pszFormat == nullptr) {
        return CString();
    }
    const std::tm tmFields = LocalFields();
    char acBuffer[512];
    const std::size_t cbLen = std::strftime(acBuffer, sizeof(acBuffer), pszFormat, &tmFields);
    return CString(acBuffer, static_cast<int>(cbLen));
}
