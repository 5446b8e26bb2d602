// The application's input filter and the drop delivery. Internal to the framework.
#pragma once

#include <QPoint>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/framework/ui/WinUser.h"

namespace tessaly::framework::detail {

void InstallInputFilter();
void SetAcceptsFiles(QWidget* pWidget, bool bAccept);
// A drop of the given drive paths on the window, as WM_DROPFILES through its dialog.
void DeliverDrop(HWND hWnd, const std::vector<std::string>& vecPaths);

} // namespace tessaly::framework::detail
