// The spoken word lit in the input pane, with the real voice playing into
// memory: exact positions through line breaks, 4-byte characters and bytes
// the code page cannot show; the user's selection, text, undo history and
// modified flag untouched; Pause holds the light, the end clears it; the pane
// scrolls to the word.
#include "frame/mainframe.h"
#include "panes/lexiphonview.h"
#include "panes/speechhighlight.h"
#include "platform/speech/audiosink.h"
#include "speech/voiceglobals.h"
#include "support/appfixture.h"
#include "text/codepage.h"

#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <climits>

using namespace speech;
using testing_support::AppFixture;

namespace {

class SpeechHighlightTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
    m_sink = std::make_shared<CMemorySink>();
    ASSERT_EQ(g_pVoice->SetOutput(m_sink), S_OK);
  }
  panes::CSpeechHighlight* Light() { return Frame()->SpeechHighlight(); }
  QString LitText() {
    const auto lit = Light()->Lit();
    if (!lit) return {};
    QTextCursor c(Input()->document());
    c.setPosition(lit->first);
    c.setPosition(lit->first + lit->second, QTextCursor::KeepAnchor);
    return c.selectedText();
  }
  bool Done() { return g_pVoice->WaitUntilDone(0) == S_OK; }
  // Lets the "device" play a twentieth of a second more, then looks.
  bool Step() {
    if (!m_nLimit) m_nLimit = m_sink->Position();
    *m_nLimit += static_cast<std::uint64_t>(std::max(8000, m_sink->SampleRate()) / 20);
    m_sink->SetLimit(*m_nLimit);
    const bool moved =
        QTest::qWaitFor([&] { return Done() || (m_sink->IsWriterWaiting() && m_sink->Position() == *m_nLimit); }, 20000);
    Light()->Update();
    return moved;
  }
  // Every word lit while the text plays, in order.
  QStringList LitWords() {
    QStringList words;
    std::pair<int, int> last{-1, -1};
    while (!Done()) {
      if (!Step()) break;
      const auto lit = Light()->Lit();
      if (lit && *lit != last) {
        words << LitText();
        last = *lit;
      }
    }
    m_sink->SetLimit(std::nullopt);
    m_nLimit.reset();
    return words;
  }
  bool OurSelectionShown() {
    for (const QTextEdit::ExtraSelection& s : Input()->extraSelections())
      if (s.cursor.hasSelection() && s.format.background().style() != Qt::NoBrush) return true;
    return false;
  }

  std::shared_ptr<CMemorySink> m_sink;
  std::optional<std::uint64_t> m_nLimit;
};

TEST_F(SpeechHighlightTest, LightsExactlyEachWordOfMixedTextAndTouchesNothingElse) {
  // A paragraph break, a line break inside a paragraph, U+20BB7 (four bytes
  // in the code page, two UTF-16 units) and a byte that is not text at all.
  const std::string bytes = "Read this line.\r\n" + text::FromUnicode(u"我们学习\U00020BB7。") +
                            "\nGood \x80 night.";
  Input()->SetWindowTextBytes(bytes);
  QTextCursor selection(Input()->document());
  selection.setPosition(5);
  selection.setPosition(9, QTextCursor::KeepAnchor);
  Input()->setTextCursor(selection);
  Input()->document()->setModified(false);
  const bool undo = Input()->document()->isUndoAvailable();

  ASSERT_EQ(Frame()->SpeakPaneRange(0, INT_MAX), S_OK);
  const QStringList words = LitWords();
  EXPECT_EQ(words, QStringList({"Read", "this", "line", "我", "们", "学", "习", QString::fromUcs4(U"\U00020BB7"),
                                "Good", "night"}));

  EXPECT_EQ(Input()->GetWindowTextBytes(), bytes);
  EXPECT_EQ(Input()->textCursor().selectionStart(), 5);
  EXPECT_EQ(Input()->textCursor().selectionEnd(), 9);
  EXPECT_FALSE(Input()->document()->isModified());
  EXPECT_EQ(Input()->document()->isUndoAvailable(), undo);
  // The speech is over: the light goes with it.
  Light()->Update();
  EXPECT_FALSE(Light()->Lit());
  EXPECT_FALSE(OurSelectionShown());
}

TEST_F(SpeechHighlightTest, PauseHoldsTheLightAndAnEditPutsItOut) {
  Input()->SetWindowTextBytes("Every morning the fishermen went out in their boats, and every evening they came back.");
  ASSERT_EQ(Frame()->SpeakPaneRange(0, INT_MAX), S_OK);
  while (!Light()->Lit() && !Done()) ASSERT_TRUE(Step());
  ASSERT_TRUE(Light()->Lit());
  EXPECT_TRUE(OurSelectionShown());
  ASSERT_EQ(g_pVoice->Pause(), S_OK);
  const auto held = Light()->Lit();
  m_sink->SetLimit(std::nullopt);
  QTest::qWait(150);  // the timer looks a few times meanwhile
  EXPECT_EQ(Light()->Lit(), held);

  // Typing moves the text under the light: it goes out, speech goes on.
  QTest::keyClick(Input(), Qt::Key_X);
  EXPECT_FALSE(Light()->Lit());
  EXPECT_FALSE(OurSelectionShown());
  ASSERT_EQ(g_pVoice->Resume(), S_OK);
  ASSERT_EQ(g_pVoice->WaitUntilDone(60000), S_OK);
  Light()->Update();
  EXPECT_FALSE(Light()->Lit());
}

TEST_F(SpeechHighlightTest, ThePaneScrollsToTheWordFarDown) {
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += "Line number " + std::to_string(i) + " of a long text.\r\n";
  bytes += "Here the reading starts.";
  Input()->SetWindowTextBytes(bytes);
  Input()->resize(400, 300);
  Input()->verticalScrollBar()->setValue(0);
  const int from = Input()->document()->lastBlock().position();

  ASSERT_EQ(Frame()->SpeakPaneRange(from, INT_MAX), S_OK);
  while (!Light()->Lit() && !Done()) ASSERT_TRUE(Step());
  ASSERT_TRUE(Light()->Lit());
  EXPECT_EQ(LitText(), "Here");
  QTextCursor word(Input()->document());
  word.setPosition(Light()->Lit()->first);
  EXPECT_TRUE(Input()->viewport()->rect().contains(Input()->cursorRect(word).center()));
  EXPECT_GT(Input()->verticalScrollBar()->value(), 2000);
  m_sink->SetLimit(std::nullopt);
}

}  // namespace
