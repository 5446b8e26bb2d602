// The resource tables: what a slip in res/ would break (a duplicated id, a control outside its
// dialog, the wrong default button, the about item's text, templates or icons left unregistered).
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <set>
#include <string>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/Resources.h"
#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"
#include "res/Resources.h"

namespace {

const DialogTemplate* const kTemplates[] = {&g_dlgMain, &g_dlgAbout, &g_dlgPicker};

TEST(ResTemplates, IdsAreUniqueAndControlsLieInsideTheirDialog) {
    for (const DialogTemplate* pTemplate : kTemplates) {
        SCOPED_TRACE(pTemplate->nId);
        ASSERT_FALSE(pTemplate->items.empty());
        std::set<int> setIds;
        for (const DialogItemTemplate& item : pTemplate->items) {
            SCOPED_TRACE(item.nId);
            if (item.nId != -1) {
                EXPECT_TRUE(setIds.insert(item.nId).second) << "duplicated id";
            }
            EXPECT_GE(item.x, 0);
            EXPECT_GE(item.y, 0);
            EXPECT_GT(item.cx, 0);
            EXPECT_GT(item.cy, 0);
            EXPECT_LE(item.x + item.cx, pTemplate->cx);
            EXPECT_LE(item.y + item.cy, pTemplate->cy);
            EXPECT_TRUE((item.dwStyle & (WS_CHILD | WS_VISIBLE)) == (WS_CHILD | WS_VISIBLE));
        }
    }
}

TEST(ResTemplates, EachDialogHasOneDefaultButtonAndItIsIdOne) {
    for (const DialogTemplate* pTemplate : kTemplates) {
        SCOPED_TRACE(pTemplate->nId);
        int iDefaults = 0;
        for (const DialogItemTemplate& item : pTemplate->items) {
            if (item.eKind == EControlKind::PushButton &&
                (item.dwStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                ++iDefaults;
                EXPECT_EQ(item.nId, IDOK);
            }
        }
        EXPECT_EQ(iDefaults, 1);
    }
    // The main dialog's is "終了" (exit), first in tab order.
    EXPECT_EQ(g_dlgMain.items.front().nId, IDOK);
    EXPECT_STREQ(g_dlgMain.items.front().pszCaption, "\xE7\xB5\x82\xE4\xBA\x86");
}

TEST(ResRegistration, TemplatesStringAndIconsAreFoundById) {
    RegisterTessalyResources();
    RegisterTessalyResources(); // a second call changes nothing
    using tessaly::framework::FindDialogTemplate;
    EXPECT_EQ(FindDialogTemplate(IDD_MAIN_DIALOG), &g_dlgMain);
    EXPECT_EQ(FindDialogTemplate(IDD_ABOUTBOX), &g_dlgAbout);
    EXPECT_EQ(FindDialogTemplate(IDD_FILE_DIALOG), &g_dlgPicker);
    EXPECT_EQ(FindDialogTemplate(104), nullptr);
    // The picker has no system menu, so no close box; the main window shows in the task bar.
    EXPECT_EQ(g_dlgPicker.dwStyle & WS_SYSMENU, 0u);
    EXPECT_NE(g_dlgMain.dwExStyle & WS_EX_APPWINDOW, 0u);

    // "Tessaly のバージョン情報(&A)..." as the program reads it, in CP932.
    CString strAbout;
    ASSERT_TRUE(LoadStringResource(IDS_ABOUTBOX, strAbout));
    EXPECT_EQ(std::string(strAbout.GetString(), strAbout.GetLength()),
              "Tessaly \x82\xcc\x83o\x81[\x83W\x83\x87\x83\x93\x8f\xee\x95\xf1(&A)...");

    // The icons are compiled into the static library and reachable once registered.
    for (int iSize : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage image(QStringLiteral(":/tessaly/icons/tessaly_%1.png").arg(iSize));
        EXPECT_EQ(image.width(), iSize);
        EXPECT_EQ(image.height(), iSize);
    }
    for (const char* pszName : {"file", "folder"}) {
        for (int iSize : {16, 32}) {
            const QImage image(QStringLiteral(":/tessaly/icons/%1_%2.png").arg(QString::fromLatin1(pszName)).arg(iSize));
            EXPECT_EQ(image.size().width(), iSize) << pszName;
        }
    }
}

} // namespace
