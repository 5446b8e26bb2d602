#include "platform/framework/ui/WinApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/qt/InputFilter.h"
#include "platform/framework/ui/qt/UiInternal.h"

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Qt ends the process (qFatal) when its platform cannot be opened; the user gets one line that
// names the problem, and the status 1.
void StartupMessageHandler(QtMsgType eType, const QMessageLogContext& context,
                           const QString& strMessage) {
    if (eType == QtFatalMsg) {
        std::fprintf(stderr, "tessaly: cannot open a window: %s\n",
                     strMessage.section(QLatin1Char('\n'), 0, 0).toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (g_previousHandler != nullptr) {
        g_previousHandler(eType, context, strMessage);
    }
}

bool NoDisplayConfigured() {
    const char* pszPlatform = std::getenv("QT_QPA_PLATFORM");
    if (pszPlatform != nullptr && *pszPlatform != '\0') {
        return false; // the user chose a platform (offscreen, vnc ...): let Qt judge it
    }
    const char* pszDisplay = std::getenv("DISPLAY");
    const char* pszWayland = std::getenv("WAYLAND_DISPLAY");
    return (pszDisplay == nullptr || *pszDisplay == '\0') &&
           (pszWayland == nullptr || *pszWayland == '\0');
}

} // namespace

namespace tessaly::framework {

void InitWindowSystem(int& argc, char** argv) {
    if (QApplication::instance() == nullptr) {
        static int s_argc = argc;
        // Qt keeps the argument vector for the application's whole life.
        new QApplication(s_argc, argv);
    }
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    // Qt's own texts (the folder chooser, the message box's buttons) in Japanese, as the
    // program's captions are.
    static QTranslator* s_pTranslator = nullptr;
    if (s_pTranslator == nullptr) {
        s_pTranslator = new QTranslator;
        if (s_pTranslator->load(QLocale(QLocale::Japanese, QLocale::Japan),
                                QStringLiteral("qtbase"), QStringLiteral("_"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(s_pTranslator);
        }
    }
    detail::InstallFontSubstitutions();
    detail::InstallInputFilter();
    WindowThreadId();
    PumpPendingMessages();
    RegisterWindowProviders();
}

} // namespace tessaly::framework

int AfxWinMain(int argc, char** argv) {
    if (NoDisplayConfigured()) {
        std::fprintf(stderr, "tessaly: cannot open a window: no display (DISPLAY and "
                             "WAYLAND_DISPLAY are not set)\n");
        return 1;
    }
    g_previousHandler = qInstallMessageHandler(StartupMessageHandler);
    tessaly::framework::InitWindowSystem(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) {
        std::fprintf(stderr, "tessaly: no application object\n");
        return 1;
    }
    if (pApp->InitInstance()) {
        QApplication::exec();
    }
    return pApp->ExitInstance();
}
