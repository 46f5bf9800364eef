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

class QWidget;

namespace translate {

class CFrameLink : public std::enable_shared_from_this<CFrameLink> {
 public:
  // The frame's handling of a worker's text (WM_TRANSLATION_DONE); the
  // buffer stays the worker's.
  using DeliverFn = std::function<void(const char* pszText)>;

  // The frame's link, made on first use; fnDeliver is what delivery runs.
  // Interface thread only.
  static std::shared_ptr<CFrameLink> For(QWidget* pFrame, DeliverFn fnDeliver);

  // Worker side. Runs fn with the frame on the interface thread and returns
  // true once it has run; false, fn not run, when the frame is gone first.
  bool Send(std::function<void(QWidget*)> fn);
  // Hands the text to the frame and waits until it is shown; the request is
  // then over. False when the frame is gone first.
  bool Deliver(const char* pszText);
  // The standard message box over the frame, which stays usable meanwhile;
  // returns once the box is dismissed, or false at once when the frame is
  // gone. A box still open when the frame goes goes with it.
  bool MessageBox(const QString& text);

  bool IsGone() const;
  // Stops the worker's transfers when the frame goes.
  const std::shared_ptr<platform::CInternetAbort>& Abort() const { return m_pAbort; }

  explicit CFrameLink(QWidget* pFrame);

 private:
  friend class CFrameLinkHolder;
  QWidget* Frame() const;
  void Detach();

  mutable std::mutex m_mutex;
  QWidget* m_pFrame;
  DeliverFn m_fnDeliver;  // interface thread only
  std::shared_ptr<platform::CInternetAbort> m_pAbort = std::make_shared<platform::CInternetAbort>();
};

}  // namespace translate
