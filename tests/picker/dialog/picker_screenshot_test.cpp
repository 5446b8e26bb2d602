#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/picker/dialog/PickerTestSupport.h"

namespace {

using tessaly::test::CTestPicker;
using tessaly::test::PickerTest;

using PickerScreenshot = PickerTest;

TEST_F(PickerScreenshot, RendersDialog103WithAFolderListed) {
    tessaly::test::ZoneScope zone("JST-9");
    MakeFolder("曲/アルバム");
    MakeFolder("曲/表紙");
    MakeFile("曲/01 はじまり.wav", 52428800);
    MakeFile("曲/02 Interlude.wav", 1234567);
    MakeFile("曲/readme.txt", 1000);
    MakeFile("曲/huge.iso", 5000000000ull);
    SetWriteTime("曲/01 はじまり.wav", 1177992309);
    SetWriteTime("曲/02 Interlude.wav", 1177995909);
    SetWriteTime("曲/readme.txt", 1178006709);
    const std::string strShot = std::string(TESSALY_SCREENSHOT_DIR) + "/picker.png";
    const std::filesystem::path pathShot(std::u8string(strShot.begin(), strShot.end()));
    std::filesystem::remove(pathShot);
    CTestPicker picker;
    RunPicker(picker, "曲", [&] {
        picker.m_ListCtrl.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_TRUE(tessaly::test::SaveScreenshot(picker.m_hWnd, strShot));
        EXPECT_EQ(tessaly::test::WindowText(picker.m_hWnd), "ファイル・フォルダの入力");
        picker.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(std::filesystem::exists(pathShot));
    EXPECT_GT(std::filesystem::file_size(pathShot), 0u);
}

} // namespace
