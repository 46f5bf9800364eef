#pragma once
// Lights the word being spoken in a text pane: an extra selection, so the
// user's selection, the text, the undo history and the modified flag stay as
// they are; the pane scrolls to keep the word in sight. It asks the speech
// side what is being heard on a timer while speech plays, and follows Pause,
// Resume and Stop through that answer alone.
#include <QObject>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace panes {

// What the voice is saying now: a word of the text spoken as stream nStream
// (UTF-16 offset and length; length 0 before the first word).
struct SHeardWord {
  std::uint32_t nStream = 0;
  bool bDone = true;
  int nPos = 0;
  int nLen = 0;
};

class CSpeechHighlight : public QObject {
 public:
  using Poll = std::function<SHeardWord()>;

  CSpeechHighlight(QPlainTextEdit* pPane, Poll poll);

  // The text to speak for the pane's positions [nFrom, nTo): one UTF-16 unit
  // for each position, so an offset into it plus nFrom is a pane position.
  // Paragraph and line breaks become '\n', characters that only carry bytes
  // the code page cannot show become blanks.
  QString SpokenText(int nFrom, int nTo) const;

  // Text taken from nFrom on was queued as stream nStream.
  void Follow(std::uint32_t nStream, int nFrom);
  // Forgets every stream and clears the light.
  void Stop();
  // Looks at what is heard now; the timer calls it.
  void Update();

  // The word lit, as pane positions; nothing when none.
  std::optional<std::pair<int, int>> Lit() const { return m_lit; }

 private:
  void Light(int nFrom, int nLen);
  void ScrollTo(const QTextCursor& word);

  QPlainTextEdit* m_pPane;
  Poll m_poll;
  QTimer m_timer;
  std::vector<std::pair<std::uint32_t, int>> m_streams;  // stream, its first pane position
  std::optional<std::pair<int, int>> m_lit;
};

}  // namespace panes
