// The framework's calendar time: seconds since 1970 UTC, broken down in local time.
#pragma once

#include <ctime>

#include "platform/framework/core/CString.h"

class CTime {
public:
    CTime() = default;
    explicit CTime(std::time_t tTime) : m_tTime(tTime) {}
    // Local time; -1 (invalid) when the fields do not form a time.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    static CTime GetCurrentTime();

    std::time_t GetTime() const { return m_tTime; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday

    // The local time's fields into *ptm; null when the time has none.
    std::tm* GetLocalTm(std::tm* ptm) const;

    // strftime's conversions, in local time.
    CString Format(LPCTSTR pszFormat) const;

    bool operator==(const CTime& other) const { return m_tTime == other.m_tTime; }
    bool operator<(const CTime& other) const { return m_tTime < other.m_tTime; }

private:
    std::tm LocalFields() const;

    std::time_t m_tTime = 0;
};
