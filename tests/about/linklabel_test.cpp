// The link label as the user meets it: drawn colours by state, hover with
// the mouse grab, cursor and tooltip, clicks that visit or report, the sizes
// FitToText gives for each alignment, and the error texts.
#define QTEST_QPA_MOUSE_HANDLING
#include "about/linklabel.h"
#include "fakeprogram.h"
#include "platform/shellopen.h"
#include "support/messageboxwatcher.h"
#include "text/codepage.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using about::CLinkLabel;
using testing_support::MessageBoxWatcher;

namespace {

// Whether the label as drawn has a pixel of exactly this colour (the
// underline and the glyphs' cores are drawn in the text colour).
bool Shows(CLinkLabel& label, const QColor& colour) {
  const QImage image = label.grab().toImage();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).rgb() == colour.rgb()) return true;
  return false;
}

class LinkLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_parent.resize(400, 200);
    m_pLink = new CLinkLabel(&m_parent);
    m_pLink->setText(QStringLiteral("example.org"));
    m_pLink->setGeometry(20, 30, 200, 40);
  }

  void TearDown() override {
    platform::SetShellOpenerForTesting(nullptr);
    platform::SetBrowserSettingForTesting(nullptr);
  }

  void AttachAndShow() {
    m_pLink->SubclassWindow();
    m_parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_parent));
  }

  // Real pointer moves and clicks through the window, as the platform sends them.
  QPoint InWindow(QPoint inLink) const { return m_pLink->mapTo(&m_parent, inLink); }
  void MoveTo(QPoint inWindow) { QTest::mouseMove(m_parent.windowHandle(), inWindow); }
  void ClickLink() { QTest::mouseClick(m_parent.windowHandle(), Qt::LeftButton, {}, InWindow(QPoint(3, 3))); }

  QWidget m_parent;
  CLinkLabel* m_pLink = nullptr;
};

TEST_F(LinkLabelTest, AttachingTakesTheTextAsTargetUnderlinesAndSetsCursorAndTooltip) {
  EXPECT_EQ(m_pLink->m_crLink, QColor(0, 0, 238));
  EXPECT_EQ(m_pLink->m_crVisited, QColor(85, 26, 139));
  EXPECT_EQ(m_pLink->m_crHover, QApplication::palette().color(QPalette::Active, QPalette::Highlight));
  // Not attached yet: a new target is only stored.
  m_pLink->SetLinkTarget("");
  EXPECT_EQ(m_pLink->geometry(), QRect(20, 30, 200, 40));

  AttachAndShow();
  EXPECT_EQ(m_pLink->m_strTarget, "example.org");
  EXPECT_TRUE(m_pLink->m_font.underline());
  EXPECT_EQ(m_pLink->cursor().shape(), Qt::PointingHandCursor);

  m_pLink->SetLinkTarget(text::FromUnicode(u"https://example.org/词典"));
  const QPoint inside(2, 2);
  QHelpEvent request(QEvent::ToolTip, inside, m_pLink->mapToGlobal(inside));
  QApplication::sendEvent(m_pLink, &request);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QStringLiteral("https://example.org/词典"));
  QToolTip::hideText();
}

TEST_F(LinkLabelTest, HoverHoldsTheGrabAndColoursFollowTheState) {
  AttachAndShow();
  EXPECT_TRUE(Shows(*m_pLink, m_pLink->m_crLink));
  m_pLink->SetVisited(true);
  EXPECT_TRUE(Shows(*m_pLink, m_pLink->m_crVisited));
  EXPECT_FALSE(Shows(*m_pLink, m_pLink->m_crLink));

  // Hover wins over visited; moves inside change nothing.
  MoveTo(InWindow(QPoint(3, 3)));
  MoveTo(InWindow(QPoint(m_pLink->width() - 1, m_pLink->height() - 1)));
  EXPECT_TRUE(m_pLink->m_bOver);
  EXPECT_EQ(QWidget::mouseGrabber(), m_pLink);
  EXPECT_TRUE(Shows(*m_pLink, m_pLink->m_crHover));
  EXPECT_FALSE(Shows(*m_pLink, m_pLink->m_crVisited));

  // The grab brings the first move outside to the link.
  MoveTo(InWindow(QPoint(m_pLink->width() + 5, 3)));
  EXPECT_FALSE(m_pLink->m_bOver);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  EXPECT_TRUE(Shows(*m_pLink, m_pLink->m_crVisited));

  MoveTo(InWindow(QPoint(3, 3)));
  m_parent.hide();
  EXPECT_FALSE(m_pLink->m_bOver);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(LinkLabelTest, ClickVisitsOnlyWhenTheLinkOpened) {
  AttachAndShow();
  m_pLink->SetLinkTarget("https://example.org/");
  QStringList opened;
  int nResult = platform::kShellOpenOk;
  platform::SetShellOpenerForTesting([&](const QString& target) {
    opened << target;
    return nResult;
  });
  // Nothing registered to fall back on.
  platform::SetBrowserSettingForTesting([] { return QString(); });
  const QByteArray oldBrowser = qgetenv("BROWSER");
  qunsetenv("BROWSER");

  MessageBoxWatcher boxes;
  ClickLink();
  EXPECT_EQ(opened, QStringList{"https://example.org/"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return m_pLink->m_bVisited; }, 5000));
  EXPECT_TRUE(boxes.boxes().empty());
  MoveTo(QPoint(390, 190));
  EXPECT_TRUE(Shows(*m_pLink, m_pLink->m_crVisited));

  nResult = platform::SE_ERR_NOASSOC;
  ClickLink();
  ASSERT_TRUE(boxes.waitFor(1, 10000));
  EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("Unable to open hyperlink:\n\nThere is no application "
                                                      "associated\nwith the given filename extension.")});
  EXPECT_FALSE(m_pLink->m_bVisited);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  if (!oldBrowser.isNull()) qputenv("BROWSER", oldBrowser);
}

// The desktop's opener found through PATH is one that waits for the test's
// word and then answers with the given exit status.
TEST_F(LinkLabelTest, TheClickReturnsWhileTheOpenerRunsAndItsAnswerComesAfter) {
  AttachAndShow();
  platform::SetBrowserSettingForTesting([] { return QString(); });
  const QByteArray oldBrowser = qgetenv("BROWSER"), oldPath = qgetenv("PATH");
  qunsetenv("BROWSER");
  m_pLink->SetLinkTarget("https://example.org/");
  for (const int nExit : {3, 0}) {
    SCOPED_TRACE(nExit);
    QTemporaryDir dir;
    ASSERT_TRUE(about_test::WriteRecorder(
        dir.filePath("xdg-open"), "while [ ! -e \"$(dirname \"$0\")/go\" ]; do sleep 0.02; done\nexit " +
                                      QByteArray::number(nExit) + "\n"));
    qputenv("PATH", QFile::encodeName(dir.path()) + ":" + oldPath);
    m_pLink->SetVisited(false);
    m_pLink->m_bVisited = false;

    MessageBoxWatcher boxes;
    ClickLink();
    // Back from the click with the opener still waiting: nothing known yet.
    EXPECT_EQ(about_test::RecordedArgv(dir.path()), QStringList{"https://example.org/"});
    EXPECT_FALSE(m_pLink->m_bVisited);
    EXPECT_TRUE(boxes.boxes().empty());

    QFile go(dir.filePath("go"));
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    go.close();
    if (nExit == 0) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return m_pLink->m_bVisited; }, 10000));
      EXPECT_TRUE(boxes.boxes().empty());
    } else {
      // "No tool to open it", and no browser registered to fall back on.
      ASSERT_TRUE(boxes.waitFor(1, 10000));
      EXPECT_TRUE(boxes.texts()[0].contains(QStringLiteral("no application associated")));
      EXPECT_FALSE(m_pLink->m_bVisited);
    }
  }
  qputenv("PATH", oldPath);
  if (!oldBrowser.isNull()) qputenv("BROWSER", oldBrowser);
}

TEST_F(LinkLabelTest, ErrorTextsFollowTheTableAndUnknownCodesShowTheNumber) {
  const struct {
    int code;
    const char* text;
  } cases[] = {
      {31, "There is no application associated\nwith the given filename extension."},
      {26, "A sharing violation occurred. "},
      {1, "Unknown Error (1) occurred."},
      {-5, "Unknown Error (-5) occurred."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    MessageBoxWatcher boxes;
    m_pLink->ReportLinkError(c.code);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("Unable to open hyperlink:\n\n") + QString::fromLatin1(c.text));
    EXPECT_EQ(boxes.boxes()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.boxes()[0].buttons, QMessageBox::Ok);
  }
}

struct FitCase {
  const char* name;
  Qt::Alignment align;
};

class FitToTextTest : public LinkLabelTest, public ::testing::WithParamInterface<FitCase> {};

// The control starts at (20, 30), 200 x 40; a text narrower and lower than that.
TEST_P(FitToTextTest, ShrinksTheControlToItsTextKeepingTheAlignedEdges) {
  m_pLink->setAlignment(GetParam().align);
  m_pLink->SubclassWindow();
  const QFontMetrics fm(m_pLink->m_font);
  const int cx = fm.horizontalAdvance(m_pLink->text());
  const int cy = fm.height();
  ASSERT_LT(cx, 200);
  ASSERT_LT(cy, 40);

  // Right and bottom edges exclusive; the halves truncate towards zero.
  int left = 20, right = 220, top = 30, bottom = 70;
  const Qt::Alignment align = GetParam().align;
  if (align & Qt::AlignHCenter) {
    left += (200 - cx) / 2;
    right -= (200 - cx) / 2;
  } else if (align & Qt::AlignRight) {
    left = right - cx;
  } else {
    right = left + cx;
  }
  if (align & Qt::AlignVCenter) {
    top += (40 - cy) / 2;
    bottom -= (40 - cy) / 2;
  } else {
    bottom = top + cy;
  }
  EXPECT_EQ(m_pLink->geometry(), QRect(left, top, right - left, bottom - top));

  // Turned off, the control keeps whatever size it is given.
  m_pLink->m_bFitToText = false;
  m_pLink->setGeometry(20, 30, 200, 40);
  m_pLink->FitToText();
  EXPECT_EQ(m_pLink->geometry(), QRect(20, 30, 200, 40));
}

INSTANTIATE_TEST_SUITE_P(Alignments, FitToTextTest,
                         ::testing::Values(FitCase{"Left", Qt::AlignLeft | Qt::AlignTop},
                                           FitCase{"Centre", Qt::AlignHCenter | Qt::AlignTop},
                                           FitCase{"Right", Qt::AlignRight | Qt::AlignTop},
                                           FitCase{"CentredVertically", Qt::AlignLeft | Qt::AlignVCenter},
                                           FitCase{"CentredBothWays", Qt::AlignCenter}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
