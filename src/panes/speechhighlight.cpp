#include "panes/speechhighlight.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace panes {

namespace {

// Marks our extra selection among any others the pane has.
constexpr int kSpokenWordProperty = QTextFormat::UserProperty + 0x51;
constexpr int kPollMs = 30;

bool IsOurs(const QTextEdit::ExtraSelection& s) { return s.format.hasProperty(kSpokenWordProperty); }

}  // namespace

CSpeechHighlight::CSpeechHighlight(QPlainTextEdit* pPane, Poll poll)
    : QObject(pPane), m_pPane(pPane), m_poll(std::move(poll)) {
  m_timer.setInterval(kPollMs);
  connect(&m_timer, &QTimer::timeout, this, &CSpeechHighlight::Update);
  // Positions taken before an edit point elsewhere after it.
  connect(m_pPane->document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
    if (removed != 0 || added != 0) Stop();
  });
}

QString CSpeechHighlight::SpokenText(int nFrom, int nTo) const {
  const QString raw = m_pPane->document()->toRawText();
  nFrom = std::clamp(nFrom, 0, static_cast<int>(raw.size()));
  nTo = std::clamp(nTo, nFrom, static_cast<int>(raw.size()));
  QString text = raw.mid(nFrom, nTo - nFrom);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == 0x2029 || c == 0x2028) {
      text[i] = u'\n';
    } else if (c == 0xDBFF && i + 1 < text.size() && text[i + 1].unicode() >= 0xDF00) {
      // Plane 16's last private block: the bytes the pane carries as they are.
      text[i] = text[i + 1] = u' ';
      ++i;
    } else if (c == 0xFDD0 || c == 0xFDD1) {
      text[i] = u' ';
    }
  }
  return text;
}

void CSpeechHighlight::Follow(std::uint32_t nStream, int nFrom) {
  m_streams.emplace_back(nStream, nFrom);
  if (!m_timer.isActive()) m_timer.start();
}

void CSpeechHighlight::Stop() {
  m_streams.clear();
  m_timer.stop();
  Light(0, 0);
}

void CSpeechHighlight::Update() {
  if (m_streams.empty()) {
    Stop();
    return;
  }
  const SHeardWord heard = m_poll();
  // Streams already over are forgotten.
  while (!m_streams.empty() && m_streams.front().first < heard.nStream) m_streams.erase(m_streams.begin());
  if (heard.bDone || m_streams.empty()) {
    Stop();
    return;
  }
  if (m_streams.front().first != heard.nStream || heard.nLen <= 0) {
    Light(0, 0);
    return;
  }
  Light(m_streams.front().second + heard.nPos, heard.nLen);
}

void CSpeechHighlight::Light(int nFrom, int nLen) {
  const std::optional<std::pair<int, int>> want =
      nLen > 0 ? std::optional<std::pair<int, int>>({nFrom, nLen}) : std::nullopt;
  if (want == m_lit) return;
  m_lit = want;
  QList<QTextEdit::ExtraSelection> selections = m_pPane->extraSelections();
  selections.erase(std::remove_if(selections.begin(), selections.end(), IsOurs), selections.end());
  if (m_lit) {
    QTextCursor word(m_pPane->document());
    const int end = m_pPane->document()->characterCount() - 1;
    word.setPosition(std::clamp(nFrom, 0, end));
    word.setPosition(std::clamp(nFrom + nLen, 0, end), QTextCursor::KeepAnchor);
    QTextEdit::ExtraSelection s;
    s.cursor = word;
    // A soft amber that keeps the pane's own text colour readable, light or
    // dark.
    const bool dark = m_pPane->palette().color(QPalette::Base).lightness() < 128;
    s.format.setBackground(dark ? QColor(0x80, 0x60, 0x10) : QColor(0xFF, 0xE0, 0x82));
    s.format.setProperty(kSpokenWordProperty, true);
    selections.append(s);
    ScrollTo(word);
  }
  m_pPane->setExtraSelections(selections);
}

void CSpeechHighlight::ScrollTo(const QTextCursor& word) {
  const QRect view = m_pPane->viewport()->rect();
  const QRect at = m_pPane->cursorRect(word);
  if (view.contains(at.topLeft()) && view.contains(at.bottomLeft())) return;
  // The scroll bar counts visual lines; put the word a third of the way down.
  const QTextBlock block = m_pPane->document()->findBlock(word.position());
  int line = block.firstLineNumber();
  if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0)
    line += std::max(0, layout->lineForTextPosition(word.position() - block.position()).lineNumber());
  const int lineHeight = std::max(1, m_pPane->fontMetrics().lineSpacing());
  QScrollBar* bar = m_pPane->verticalScrollBar();
  bar->setValue(std::max(0, line - view.height() / lineHeight / 3));
}

}  // namespace panes
