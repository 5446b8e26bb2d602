// tessaly: the window program.
#include "app/MainApp.h"
#include "res/Resources.h"

namespace {
CMainApp theApp;
}

int main(int argc, char** argv) {
    RegisterTessalyResources();
    return AfxWinMain(argc, argv);
}
