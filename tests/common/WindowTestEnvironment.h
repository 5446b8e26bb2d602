// The window system for the framework's own Qt tests, which include it by this name: the window
// driver's environment, RunModalWith and WaitUntil, with the Qt classes they use beside them.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "platform/framework/ui/Afxwin.h"
#include "tests/common/WindowDriver.h"
