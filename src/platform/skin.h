#pragma once
// The skinning library: five calls that put a skin over the main window and
// every dialog the program opens. Their order and arguments are recorded so
// that start-up and shutdown can be checked.
#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace platform {

int SkinInit(void* hInstance, int reserved1, int reserved2, int reserved3);  // 1
int SkinExit();                                                              // 2
int SkinLoadFile(const char* pszFile);                                       // 3
int SkinSetWindow(QWidget* hWnd, const char* pszElement);                    // 5
int SkinSetDialogs(const char* pszElement);                                  // 8

struct SkinCall {
  int ordinal;
  QStringList args;
};
const std::vector<SkinCall>& SkinCallLog();
void ClearSkinCallLog();

// The style sheet the loaded skin gives an element (empty: none).
QString SkinSheet(const QString& element);

}  // namespace platform
