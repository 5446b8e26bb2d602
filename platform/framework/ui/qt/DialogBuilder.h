// Makes a dialog's controls from its template: widgets of the right kind, at the template's
// rectangles converted from dialog units through the dialog font's base units.
#pragma once

#include <QFont>
#include <QRect>
#include <memory>
#include <vector>

#include "platform/framework/ui/Resources.h"

class CWnd;
class CDialog;

namespace tessaly::framework::detail {

class DialogWidget;

// Windows' dialog base units of a font: the average width of A-Z and a-z, and the line height.
struct DialogBaseUnits {
    int iBaseX;
    int iBaseY;
};
DialogBaseUnits BaseUnitsOf(const QFont& font);
// A rectangle in dialog units as pixels, each edge converted as MapDialogRect does.
QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy);

// Creates and registers the controls of the template inside pDialog; the permanent CWnd of each
// control goes to vecPermanents.
void BuildControls(DialogWidget* pDialog, CDialog* pOwner, const DialogTemplate& dialogTemplate,
                   const QFont& font, std::vector<std::unique_ptr<CWnd>>& vecPermanents);

} // namespace tessaly::framework::detail
