#pragma once

#include <QString>

class IMessageBox;
class QWidget;

// The help file "Porlune.HLP" in the program folder, shown at a context
// number. The file is HTML (UTF-8) whose sections carry anchors named
// "c" + context number; the viewer is one window, reused.
namespace HelpViewer {

// False (after telling the user) when the help file is missing.
bool show(QWidget* parent, IMessageBox& box, const QString& helpFile, int context);

} // namespace HelpViewer
