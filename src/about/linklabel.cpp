#include "about/linklabel.h"

#include "framework/msgbox.h"
#include "platform/shellopen.h"
#include "text/codepage.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QThread>

#include <memory>
#include <utility>

namespace about {

namespace {

constexpr unsigned kToolId = 1;

struct LinkError {
  unsigned nCode;
  const char* text;
};

constexpr LinkError kLinkErrors[] = {
    {0, "The operating system is out\nof memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied\naccess to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred. "},
    {27, "The filename association is\nincomplete or invalid."},
    {28, "The DDE transaction could not\nbe completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    {31, "There is no application associated\nwith the given filename extension."},
    {32, "The specified dynamic-link library was not found."},
};

}  // namespace

CLinkLabel::CLinkLabel(QWidget* pParent)
    : QLabel(pParent),
      m_crLink(0, 0, 238),
      m_crVisited(85, 26, 139),
      m_crHover(QApplication::palette().color(QPalette::Active, QPalette::Highlight)) {
  // A new static is left-aligned and starts at its top.
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setTextFormat(Qt::PlainText);
}

CLinkLabel::~CLinkLabel() { m_toolTip.DestroyWindow(); }

void CLinkLabel::SubclassWindow() {
  if (m_bSubclassed) return;
  // Attached from here on: the hook's refit and tooltip need that.
  m_bSubclassed = true;
  PreSubclassWindow();
}

void CLinkLabel::PreSubclassWindow() {
  // Notify: the control sees clicks and pointer moves.
  setMouseTracking(true);

  if (m_strTarget.empty()) m_strTarget = text::FromUnicode(text());
  if (text().isEmpty()) setText(text::ToUnicode(m_strTarget));

  m_font = font();
  m_font.setUnderline(m_bUnderline);
  setFont(m_font);

  FitToText();
  LoadHandCursor();
  OnSetCursor();

  m_toolTip.Create(this);
  m_toolTip.AddTool(this, text::ToUnicode(m_strTarget), rect(), kToolId);
}

void CLinkLabel::SetLinkTarget(std::string strTarget) {
  m_strTarget = std::move(strTarget);
  if (!m_bSubclassed) return;
  FitToText();
  m_toolTip.UpdateTipText(text::ToUnicode(m_strTarget), this, kToolId);
}

void CLinkLabel::SetVisited(bool bVisited) {
  m_bVisited = bVisited;
  if (m_bSubclassed) update();
}

QColor CLinkLabel::OnCtlColor() const {
  if (m_bOver) return m_crHover;
  if (m_bVisited) return m_crVisited;
  return m_crLink;
}

void CLinkLabel::FitToText() {
  if (!m_bSubclassed || !m_bFitToText) return;
  // geometry() is already in the parent's client coordinates.
  const QRect rc = geometry();
  int left = rc.x();
  int top = rc.y();
  int right = rc.x() + rc.width();
  int bottom = rc.y() + rc.height();

  const QFontMetrics fm(m_font);
  const int cx = fm.horizontalAdvance(text());
  const int cy = fm.height();

  const Qt::Alignment align = alignment();
  if (align & Qt::AlignVCenter) {
    const int d = (bottom - top - cy) / 2;
    top += d;
    bottom -= d;
  } else {
    bottom = top + cy;
  }
  if (align & Qt::AlignHCenter) {
    const int d = (right - left - cx) / 2;
    left += d;
    right -= d;
  } else if (align & Qt::AlignRight) {
    left = right - cx;
  } else {
    right = left + cx;
  }
  setGeometry(left, top, right - left, bottom - top);
}

void CLinkLabel::LoadHandCursor() {
  if (m_hCursor) return;
  // The platform's pointing hand is the link cursor every desktop user knows.
  m_hCursor = QCursor(Qt::PointingHandCursor);
}

bool CLinkLabel::OnSetCursor() {
  // Qt shows a widget's cursor whenever the pointer is over it, so setting
  // it once answers every later request.
  if (!m_hCursor) {
    unsetCursor();
    return false;
  }
  setCursor(*m_hCursor);
  return true;
}

bool CLinkLabel::event(QEvent* e) {
  if (m_toolTip.RelayEvent(this, e)) return true;
  return QLabel::event(e);
}

void CLinkLabel::paintEvent(QPaintEvent* e) {
  if (!m_bSubclassed) {
    QLabel::paintEvent(e);
    return;
  }
  // No background: the dialog's shows through.
  QPainter dc(this);
  dc.setFont(m_font);
  dc.setPen(OnCtlColor());
  const Qt::Alignment align = alignment();
  int flags = Qt::TextSingleLine | ((align & Qt::AlignVCenter) ? Qt::AlignVCenter : Qt::AlignTop);
  if (align & Qt::AlignHCenter)
    flags |= Qt::AlignHCenter;
  else if (align & Qt::AlignRight)
    flags |= Qt::AlignRight;
  else
    flags |= Qt::AlignLeft;
  dc.drawText(rect(), flags, text());
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* e) {
  QLabel::mouseMoveEvent(e);
  if (!m_bSubclassed) return;
  OnMouseMove(e->position().toPoint());
  e->accept();
}

void CLinkLabel::OnMouseMove(const QPoint& point) {
  if (m_bOver) {
    if (!rect().contains(point)) {
      m_bOver = false;
      releaseMouse();
      repaint();
    }
    return;
  }
  // Holding the grab is what lets the control see the pointer leave.
  m_bOver = true;
  repaint();
  grabMouse();
}

void CLinkLabel::mousePressEvent(QMouseEvent* e) {
  if (!m_bSubclassed) {
    QLabel::mousePressEvent(e);
    return;
  }
  m_bPressed = e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
  e->accept();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* e) {
  if (!m_bSubclassed) {
    QLabel::mouseReleaseEvent(e);
    return;
  }
  const bool bClicked =
      m_bPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
  m_bPressed = false;
  e->accept();
  if (bClicked) OnClicked();
}

void CLinkLabel::hideEvent(QHideEvent* e) {
  // A hidden control never sees the pointer leave.
  if (m_bOver) LeaveHover();
  QLabel::hideEvent(e);
}

void CLinkLabel::LeaveHover() {
  m_bOver = false;
  releaseMouse();
  update();
}

void CLinkLabel::OnClicked() { OpenLinkAsync(text::ToUnicode(m_strTarget), platform::SW_SHOW); }

void CLinkLabel::OnLinkOpened(int nResult) {
  m_bVisited = nResult > 32;
  if (m_bVisited) {
    SetVisited(true);
    return;
  }
  // The message box needs the pointer; hover tracking starts again with the
  // next move over the link.
  if (m_bOver) LeaveHover();
  QApplication::beep();
  ReportLinkError(nResult);
}

int CLinkLabel::OpenLink(const QString& target, int nShowCmd) {
  return OpenWithBrowser(target, nShowCmd, platform::ShellOpen(target, nShowCmd));
}

void CLinkLabel::OpenLinkAsync(const QString& target, int nShowCmd) {
  platform::ShellOpenAsync(target, nShowCmd, this, [this, target, nShowCmd](int nShell) {
    if (static_cast<unsigned>(nShell) > 32) {
      OnLinkOpened(nShell);
      return;
    }
    // The browser query may wait for the desktop's settings tool: on a
    // thread of its own. A box closed meanwhile hears nothing.
    auto result = std::make_shared<int>(nShell);
    QThread* worker = QThread::create([result, target, nShowCmd, nShell] {
      *result = OpenWithBrowser(target, nShowCmd, nShell);
    });
    connect(worker, &QThread::finished, this, [this, result] { OnLinkOpened(*result); });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
  });
}

int CLinkLabel::OpenWithBrowser(const QString& target, int nShowCmd, int nShell) {
  if (static_cast<unsigned>(nShell) > 32) return nShell;

  // The registered browser, started directly: the class of web pages, then
  // that class's open command.
  QString strClass;
  if (ReadDefaultRegValue(QStringLiteral(".htm"), strClass) != 0) return nShell;
  QString strCommand;
  if (ReadDefaultRegValue(strClass + QStringLiteral("\\shell\\open\\command"), strCommand) != 0)
    return nShell;

  // Everything from the placeholder on is dropped; the target goes in as one
  // argument of its own, so no target can add words to the command.
  std::optional<QStringList> argv = platform::SplitCommandLine(platform::CutAtPlaceholder(strCommand));
  if (!argv || argv->isEmpty()) return platform::ERROR_BAD_FORMAT;
  argv->append(platform::TargetArgument(target));
  return platform::StartCommand(*argv, nShowCmd);
}

int CLinkLabel::ReadDefaultRegValue(const QString& subkey, QString& value) {
  QString read;
  const int nError = platform::ReadClassesRootValue(subkey, read);
  if (nError == 0) value = read;
  return nError;
}

void CLinkLabel::ReportLinkError(int nError) {
  QString str = QString::asprintf("Unknown Error (%d) occurred.", nError);
  for (const LinkError& err : kLinkErrors) {
    if (err.nCode == static_cast<unsigned>(nError)) {
      str = QString::fromLatin1(err.text);
      break;
    }
  }
  fw::AfxMessageBox(QStringLiteral("Unable to open hyperlink:\n\n") + str, isVisible() ? window() : nullptr);
}

}  // namespace about
