#pragma once
// A translation worker's way to the main frame. The worker hands work to the
// interface thread and waits until it has run there; once the frame is gone
// (destroyed, or being destroyed) nothing reaches it any more and the
// worker's transfers stop. The link never touches the frame off the
// interface thread.
#include "platform/http.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>

namespace frame {
class CMainFrame;
}

namespace translate {

class CFrameLink : public std::enable_shared_from_this<CFrameLink> {
 public:
  // The frame's link, made on first use. Interface thread only.
  static std::shared_ptr<CFrameLink> For(frame::CMainFrame* pFrame);

  // Worker side. Runs fn with the frame on the interface thread and returns
  // true once it has run; false, fn not run, when the frame is gone first.
  bool Send(std::function<void(frame::CMainFrame*)> fn);
  // The standard message box over the frame, which stays usable meanwhile;
  // returns once the box is dismissed, or false at once when the frame is
  // gone. A box still open when the frame goes goes with it.
  bool MessageBox(const QString& text);

  bool IsGone() const;
  // Stops the worker's transfers when the frame goes.
  const std::shared_ptr<platform::CInternetAbort>& Abort() const { return m_pAbort; }

  explicit CFrameLink(frame::CMainFrame* pFrame);

 private:
  friend class CFrameLinkHolder;
  frame::CMainFrame* Frame() const;
  void Detach();

  mutable std::mutex m_mutex;
  frame::CMainFrame* m_pFrame;
  std::shared_ptr<platform::CInternetAbort> m_pAbort = std::make_shared<platform::CInternetAbort>();
};

}  // namespace translate
