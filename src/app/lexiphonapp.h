#pragma once
// The application object: start-up and shutdown.
#include "framework/winapp.h"

namespace app {

class CLexiphonApp : public fw::CWinApp {
 public:
  CLexiphonApp();

  bool InitInstance() override;
  int ExitInstance() override;

 protected:
  bool OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) override;

 private:
  void OnAppAbout();
};

extern CLexiphonApp theApp;

// 1 from the moment the skin file has been handed to the skinning library
// until its shutdown call.
extern int g_bSkinActive;

}  // namespace app
