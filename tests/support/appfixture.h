#pragma once
// Runs the real application start-up in a fresh temporary current directory
// and shuts it down again after the test, as the entry point would.
#include "support/messageboxwatcher.h"
#include "support/tempdir.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace frame {
class CMainFrame;
}
namespace panes {
class CLexiphonView;
class CMyEditView;
class CLexiphonDoc;
}  // namespace panes

namespace testing_support {

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // InitInstance with these command-line arguments.
  bool Start(const QStringList& args = {});
  // Closes the main window the way the user does, then ExitInstance.
  int Stop();

  frame::CMainFrame* Frame() const;
  panes::CLexiphonView* Input() const;
  panes::CMyEditView* Result() const;
  panes::CLexiphonDoc* Doc() const;

  std::unique_ptr<ScopedTempCwd> m_cwd;
  // The user's state folder (recovery copies), private to the test.
  std::unique_ptr<QTemporaryDir> m_state;
  bool m_bStarted = false;
};

// Lets deleteLater() and posted events run.
void ProcessDeferred();

}  // namespace testing_support
