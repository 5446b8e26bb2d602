#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "PathTestFolder.h"
#include "platform/win32/ListingOmissions.h"
#include "platform/win32/Win32Errors.h"

namespace {

struct Omission {
    std::string strFolder;
    std::string strName;
    tessaly::win32::ListingOmission eReason;
};

void Record(void* pContext, std::string_view strFolder, std::string_view strName,
            tessaly::win32::ListingOmission eReason) {
    static_cast<std::vector<Omission>*>(pContext)->push_back(
        {std::string(strFolder), std::string(strName), eReason});
}

class ListingOmissions : public PathTestFolder {
protected:
    void TearDown() override {
        tessaly::win32::SetListingOmissionListener(nullptr, nullptr);
        PathTestFolder::TearDown();
    }
};

} // namespace

TEST_F(ListingOmissions, TheListenerHearsOfEveryNameALookupLeavesOut) {
    // 255 bytes on disk, but '?' has no CP932 form of its own: its codes make the name reach 260
    // bytes, which cFileName cannot hold with its terminator.
    const std::string strFits = std::string(251, 'f') + ".wav";
    const std::string strLong = std::string(246, 'a') + "?????.wav";
    TESSALY_STAND_IN_ONLY("a name longer than Windows lets a name be");
    MakeFolder("dir");
    MakeFile("dir/" + strFits);
    MakeFile("dir/" + strLong);
    std::vector<Omission> heard;
    ASSERT_EQ(tessaly::win32::SetListingOmissionListener(&Record, &heard), nullptr);

    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA("P:\\dir\\*.*", &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    int iListed = 0;
    do {
        ++iListed;
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    EXPECT_EQ(iListed, 3); // ".", ".." and the name that fits
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].strFolder, Posix("dir"));
    EXPECT_EQ(heard[0].strName, strLong);
    EXPECT_EQ(heard[0].eReason, tessaly::win32::ListingOmission::TooLong);

    // A lookup of the one name says the same, and keeps its own error.
    heard.clear();
    EXPECT_EQ(FindFirstFileA(("P:\\dir\\" + strLong).c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].strFolder, Posix("dir"));

    // A listener belongs to its thread; without one nothing is told.
    heard.clear();
    std::thread([] {
        WIN32_FIND_DATAA other;
        const HANDLE hOther = FindFirstFileA("P:\\dir\\*.*", &other);
        ASSERT_NE(hOther, INVALID_HANDLE_VALUE);
        FindClose(hOther);
    }).join();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(tessaly::win32::SetListingOmissionListener(nullptr, nullptr), &Record);
    hFind = FindFirstFileA("P:\\dir\\*.*", &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    FindClose(hFind);
    EXPECT_TRUE(heard.empty());
}
