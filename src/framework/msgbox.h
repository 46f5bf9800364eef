#pragma once
// The framework's standard message box: modal, one OK button, the warning
// icon, the application's name as title.
#include <QString>

class QWidget;

namespace fw {

// parent null: the application's main window, when it is visible.
void AfxMessageBox(const QString& text, QWidget* parent = nullptr);

}  // namespace fw
