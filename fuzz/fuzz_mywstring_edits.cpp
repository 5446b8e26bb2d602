// Sequences of CMyWString edits against a plain std::u16string model: no crash, the terminator at
// the length and the length below the capacity after every step, and the content the model
// predicts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "support/MyWString.h"

namespace {

constexpr std::size_t kMaxModelLen = 20000; // edits that could grow past this are skipped

// Few characters, so that searches hit: case pairs, separators, dots, double-byte letters, a
// surrogate pair and its halves.
const char16_t kAlphabet[] = {u'a', u'b', u'A',  u'B',  u'.',   u'\\',
                              u'/', u'1', u'曲', u'名', 0xD834, 0xDD1E};

std::u16string TakeText(FuzzedDataProvider& fdp, std::size_t nMax) {
    const std::size_t nLen = fdp.ConsumeIntegralInRange<std::size_t>(0, nMax);
    std::u16string str;
    for (std::size_t i = 0; i < nLen && fdp.remaining_bytes() > 0; ++i) {
        str += kAlphabet[fdp.ConsumeIntegralInRange<std::size_t>(0, std::size(kAlphabet) - 1)];
    }
    return str;
}

// Counts the way the class reads them: mostly small, sometimes the "whole text" markers.
DWORD TakeCount(FuzzedDataProvider& fdp) {
    switch (fdp.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
        return 0;
    case 1:
        return 0xFFFFFFFF;
    default:
        return fdp.ConsumeIntegralInRange<DWORD>(0, 40);
    }
}

char16_t Fold(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

std::size_t ModelFind(const std::u16string& str, std::size_t nStart, const std::u16string& strPat,
                      bool bFold) {
    if (strPat.empty() || nStart >= str.size() || strPat.size() > str.size() - nStart) {
        return std::u16string::npos;
    }
    for (std::size_t nPos = nStart; nPos + strPat.size() <= str.size(); ++nPos) {
        std::size_t i = 0;
        while (i < strPat.size() &&
               (bFold ? Fold(str[nPos + i]) == Fold(strPat[i]) : str[nPos + i] == strPat[i])) {
            ++i;
        }
        if (i == strPat.size()) {
            return nPos;
        }
    }
    return std::u16string::npos;
}

int ToPos(std::size_t n) {
    return n == std::u16string::npos ? -1 : static_cast<int>(n);
}

void CheckWellFormed(const CMyWString& str, const std::u16string& strModel) {
    FUZZ_CHECK(str.GetBuff() != nullptr);
    FUZZ_CHECK(str.GetLength() < str.GetBuffSize());
    FUZZ_CHECK(str.GetBuff()[str.GetLength()] == 0);
    FUZZ_CHECK(std::u16string(str.GetBuff(), str.GetLength()) == strModel);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QuietTraceForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    FuzzedDataProvider fdp(pData, nSize);
    CMyWString str;
    std::u16string strModel;
    for (int iStep = 0; iStep < 64 && fdp.remaining_bytes() > 0; ++iStep) {
        const int iOp = fdp.ConsumeIntegralInRange<int>(0, 17);
        const std::u16string strText = TakeText(fdp, 24);
        const DWORD dwPos = fdp.ConsumeIntegralInRange<DWORD>(0, 48);
        const DWORD dwCount = TakeCount(fdp);
        const BOOL bFlag = fdp.ConsumeBool() ? TRUE : FALSE;
        const bool bRoom = strModel.size() + 2 * strText.size() + 2 < kMaxModelLen;
        const DWORD dwLen = static_cast<DWORD>(strModel.size());
        const DWORD dwTextLen = static_cast<DWORD>(strText.size());
        switch (iOp) {
        case 0:
            str = strText.c_str();
            strModel = strText;
            break;
        case 1: {
            const BOOL bDone = str.SetData(strText.c_str(), dwCount);
            FUZZ_CHECK(bDone);
            strModel =
                (dwCount == 0 || dwCount == 0xFFFFFFFF) ? strText : strText.substr(0, dwCount);
            break;
        }
        case 2:
            if (bRoom) {
                FUZZ_CHECK(str.Append(strText.c_str(), bFlag));
                if (!strText.empty()) {
                    strModel += strText + (bFlag ? u"\n" : u"");
                }
            }
            break;
        case 3:
            if (bRoom) {
                const BOOL bDone = str.Append(strText.c_str(), dwPos, dwCount, bFlag);
                if (strText.empty()) {
                    FUZZ_CHECK(bDone);
                } else if (dwPos >= dwTextLen) {
                    FUZZ_CHECK(!bDone);
                } else {
                    FUZZ_CHECK(bDone);
                    strModel += strText.substr(dwPos, dwCount) + (bFlag ? u"\n" : u"");
                }
            }
            break;
        case 4:
            if (bRoom) {
                FUZZ_CHECK(str.Insert(dwPos, strText.c_str(), dwCount));
                const std::u16string strPart =
                    (dwCount == 0 || dwCount > dwTextLen) ? strText : strText.substr(0, dwCount);
                strModel.insert(dwPos < dwLen ? dwPos : dwLen, strPart);
            }
            break;
        case 5: {
            const BOOL bDone = str.Delete(dwPos, dwCount);
            FUZZ_CHECK(bDone == (dwPos < dwLen ? TRUE : FALSE));
            if (bDone) {
                strModel.erase(dwPos, dwCount);
            }
            break;
        }
        case 6: {
            const DWORD dwLast = fdp.ConsumeIntegralInRange<DWORD>(0, 48);
            const BOOL bDone = str.KeepSector(dwPos, dwLast);
            const DWORD dwFirst = dwPos < dwLast ? dwPos : dwLast;
            DWORD dwEnd = dwPos < dwLast ? dwLast : dwPos;
            FUZZ_CHECK(bDone == (dwLen != 0 && dwFirst < dwLen ? TRUE : FALSE));
            if (bDone) {
                dwEnd = dwEnd < dwLen ? dwEnd : dwLen - 1;
                strModel = strModel.substr(dwFirst, dwEnd - dwFirst + 1);
            }
            break;
        }
        case 7:
            if (bRoom) {
                const DWORD dwOldLen = fdp.ConsumeIntegralInRange<DWORD>(0, 30);
                const BOOL bDone = str.Replace(dwPos, dwOldLen, strText.c_str(), dwCount);
                const std::u16string strNew =
                    (dwCount == 0 || dwCount == 0xFFFFFFFF) ? strText : strText.substr(0, dwCount);
                if (dwLen == 0) {
                    FUZZ_CHECK(bDone);
                    strModel = strNew;
                } else {
                    FUZZ_CHECK(bDone == (dwPos < dwLen ? TRUE : FALSE));
                    if (bDone) {
                        strModel.replace(dwPos, dwOldLen, strNew);
                    }
                }
            }
            break;
        case 8:
            if (strModel.size() * (strText.size() + 1) < kMaxModelLen) {
                const std::u16string strPat = TakeText(fdp, 3);
                const DWORD dwDone =
                    str.ReplaceAll(dwPos, strPat.c_str(), 0, strText.c_str(), 0, bFlag);
                DWORD dwExpected = 0;
                std::size_t nAt = ModelFind(strModel, dwPos, strPat, bFlag);
                while (nAt != std::u16string::npos) {
                    strModel.replace(nAt, strPat.size(), strText);
                    ++dwExpected;
                    nAt = ModelFind(strModel, nAt + strText.size(), strPat, bFlag);
                }
                FUZZ_CHECK(dwDone == dwExpected);
            }
            break;
        case 9: {
            const std::u16string strPat = TakeText(fdp, 3);
            FUZZ_CHECK(str.Find(dwPos, strPat.c_str(), 0, bFlag) ==
                       ToPos(ModelFind(strModel, dwPos, strPat, bFlag)));
            int iLast = -1;
            for (std::size_t nAt = ModelFind(strModel, dwPos, strPat, bFlag);
                 nAt != std::u16string::npos;
                 nAt = ModelFind(strModel, nAt + strPat.size(), strPat, bFlag)) {
                iLast = static_cast<int>(nAt);
            }
            FUZZ_CHECK(str.ReverseFind(dwPos, strPat.c_str(), bFlag) == iLast);
            const int iCompare = str.Compare(strText.c_str(), FALSE);
            FUZZ_CHECK((iCompare < 0) == (strModel < strText));
            FUZZ_CHECK((iCompare == 0) == (strModel == strText));
            break;
        }
        case 10:
            str.LeaveExtension(dwCount % 6);
            strModel.assign(str.GetBuff(), str.GetLength());
            break;
        case 11:
            str.LeaveFileTitle(dwCount % 6);
            strModel.assign(str.GetBuff(), str.GetLength());
            break;
        case 12:
            str.LeaveFileName();
            strModel.assign(str.GetBuff(), str.GetLength());
            break;
        case 13: {
            const DWORD dwNewSize = fdp.ConsumeIntegralInRange<DWORD>(0, 64);
            FUZZ_CHECK(str.SetBuffSize(dwNewSize) == (dwNewSize != 0 ? TRUE : FALSE));
            if (dwNewSize != 0 && strModel.size() >= dwNewSize) {
                strModel.resize(dwNewSize - 1);
            }
            break;
        }
        case 14:
            // The string's own content as the source of its edits.
            if (bRoom && strModel.size() * 2 < kMaxModelLen) {
                const DWORD dwFrom = dwLen == 0 ? 0 : dwPos % dwLen;
                FUZZ_CHECK(str.Insert(dwPos, str.GetBuff() + dwFrom));
                if (dwLen != 0) {
                    strModel.insert(dwPos < dwLen ? dwPos : dwLen, strModel.substr(dwFrom));
                }
            }
            break;
        case 15:
            if (bRoom && strModel.size() * 2 < kMaxModelLen && dwLen != 0) {
                const DWORD dwFrom = dwPos % dwLen;
                const std::u16string strNew = strModel.substr(dwFrom);
                FUZZ_CHECK(str.Replace(dwPos % dwLen, dwCount % 8, str.GetBuff() + dwFrom));
                strModel.replace(dwPos % dwLen, dwCount % 8, strNew);
            }
            break;
        case 16: {
            const CMyWString strCopy(str);
            CheckWellFormed(strCopy, strModel);
            str = strCopy;
            break;
        }
        case 17:
            // Out to Shift-JIS and back: what CP932 holds survives; a surrogate becomes "?".
            if (strModel.find_first_of(u"\xD834\xDD1E") == std::u16string::npos) {
                const CMyWString strBack(str.GetString());
                CheckWellFormed(strBack, strModel);
            }
            break;
        }
        CheckWellFormed(str, strModel);
        FUZZ_CHECK(!str.GetError());
    }
    return 0;
}
