// The speech settings box in the running program, opened through the
// frame's command: its layout, what it applies when it opens, OK and Cancel,
// stored values beyond the sliders' ends, the sorted voice list and the
// tokens it holds, and a machine without voices.
#include "res/resource.h"
#include "frame/mainframe.h"
#include "framework/dialogunits.h"
#include "speech/speechsettingsdialog.h"
#include "speech/voiceglobals.h"
#include "speech/voicelist.h"
#include "support/appfixture.h"
#include "testvoices.h"

#include <QAccessible>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <map>

using namespace speech;
using namespace speech_testing;
using testing_support::AppFixture;
using testing_support::ModalWatcher;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

// The real voice, with a note of every volume, rate and voice it is given.
class CRecordingVoice : public CUnknownImpl<ISpVoice> {
 public:
  explicit CRecordingVoice(CRef<ISpVoice> pReal) : m_pReal(std::move(pReal)) {}
  HRESULT QueryInterface(const GUID& riid, void** ppv) override { return m_pReal->QueryInterface(riid, ppv); }
  HRESULT SetOutput(std::shared_ptr<IAudioSink> pSink) override {
    return m_pReal->SetOutput(std::move(pSink));
  }
  HRESULT Speak(const char16_t* psz, std::uint32_t dw, std::uint32_t* pn) override {
    return m_pReal->Speak(psz, dw, pn);
  }
  HRESULT Pause() override { return m_pReal->Pause(); }
  HRESULT Resume() override { return m_pReal->Resume(); }
  HRESULT SetVoice(ISpObjectToken* p) override {
    m_calls.push_back(p ? "voice" : "voice null");
    return m_pReal->SetVoice(p);
  }
  HRESULT GetVoice(ISpObjectToken** pp) override { return m_pReal->GetVoice(pp); }
  HRESULT SetRate(std::int32_t n) override {
    m_calls.push_back("rate " + std::to_string(n));
    return m_pReal->SetRate(n);
  }
  HRESULT GetRate(std::int32_t* pn) override { return m_pReal->GetRate(pn); }
  HRESULT SetVolume(std::uint16_t n) override {
    m_calls.push_back("volume " + std::to_string(n));
    return m_pReal->SetVolume(n);
  }
  HRESULT GetVolume(std::uint16_t* pn) override { return m_pReal->GetVolume(pn); }
  HRESULT WaitUntilDone(std::uint32_t ms) override { return m_pReal->WaitUntilDone(ms); }

  std::vector<std::string> m_calls;

 private:
  CRef<ISpVoice> m_pReal;
};

using Calls = std::vector<std::string>;

class SpeechSettingsDialogTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
    m_pVoice = new CRecordingVoice(g_pVoice);
    g_pVoice.Attach(m_pVoice);
  }
  void TearDown() override {
    SetTokenCategoryFactoryForTesting(nullptr);
    AppFixture::TearDown();
  }
  // The box lists the test's voices from now on.
  void UseTestCategory() {
    m_pCategory.Attach(new CTestCategory);
    SetTokenCategoryFactoryForTesting([this](ISpObjectTokenCategory** pp) {
      m_pCategory->AddRef();
      *pp = m_pCategory.get();
      return S_OK;
    });
  }

  // Runs the settings command: `drive` works the open box, then OK or Cancel
  // is clicked. Message boxes are noted and answered.
  enum Answer { kOk, kCancel };
  int Open(Answer answer, const std::function<void(CSpeechSettingsDialog&)>& drive) {
    int nSeen = 0;
    ModalWatcher watcher([&](QWidget* w) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) {
        m_boxes.push_back(box->text());
        EXPECT_TRUE(qobject_cast<CSpeechSettingsDialog*>(box->parentWidget()));
        box->button(QMessageBox::Ok)->click();
      } else if (auto* dlg = qobject_cast<CSpeechSettingsDialog*>(w)) {
        ++nSeen;
        drive(*dlg);
        QTest::mouseClick(dlg->findChild<QPushButton*>(answer == kOk ? "IDOK" : "IDCANCEL"), Qt::LeftButton);
      }
    });
    Frame()->SendCommand(res::ID_SPEECH_SETTINGS);
    return nSeen;
  }
  std::string Ini() const { return ReadFileBytes(m_cwd->file("setting.ini")); }

  CRecordingVoice* m_pVoice = nullptr;
  CRef<CTestCategory> m_pCategory;
  QStringList m_boxes;
};

QWidget* NextTabStop(QWidget* w) {
  do w = w->nextInFocusChain();
  while (!(w->focusPolicy() & Qt::TabFocus));
  return w;
}

TEST_F(SpeechSettingsDialogTest, OpensFromItsTemplateWithTheSettingsAppliedAndCancelKeepsThemWithoutStoring) {
  const auto look = [&](CSpeechSettingsDialog& dlg) {
    EXPECT_EQ(dlg.windowTitle(), "发音设置");
    EXPECT_EQ(dlg.parentWidget(), Frame());
    const auto dlu = [](int x, int y, int cx, int cy) {
      return fw::MapDialogRect(fw::BaseUnitsFor(fw::DialogFont(10)), QRect(x, y, cx, cy));
    };
    EXPECT_EQ(dlg.m_sliderVolume.geometry(), dlu(13, 70, 138, 15));
    EXPECT_EQ(dlg.m_sliderRate.geometry(), dlu(13, 108, 138, 15));
    EXPECT_EQ(dlg.m_comboVoice.pos(), dlu(13, 31, 139, 64).topLeft());
    auto* group = dlg.findChild<QGroupBox*>();
    ASSERT_TRUE(group);
    EXPECT_EQ(group->title(), "发音设置");
    EXPECT_TRUE(group->geometry().contains(dlg.m_sliderRate.geometry()));
    auto* ok = dlg.findChild<QPushButton*>("IDOK");
    auto* cancel = dlg.findChild<QPushButton*>("IDCANCEL");
    EXPECT_EQ(ok->text(), "Ok");
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(dlg.focusWidget(), ok);
    EXPECT_EQ(NextTabStop(ok), cancel);
    EXPECT_EQ(NextTabStop(cancel), &dlg.m_comboVoice);
    EXPECT_EQ(NextTabStop(&dlg.m_comboVoice), &dlg.m_sliderVolume);
    EXPECT_EQ(NextTabStop(&dlg.m_sliderVolume), &dlg.m_sliderRate);
    // The note whole, wrapped, clear of the buttons; nothing sticks out of the box.
    QLabel* note = nullptr;
    for (QLabel* label : dlg.findChildren<QLabel*>())
      if (label->text().startsWith("普通的")) note = label;
    ASSERT_TRUE(note);
    EXPECT_EQ(note->text(),
              "普通的windows系统只有microsoft sam发音引擎。\n"
              "建议安装speechsdk以使用microsoft mike、microsoft mary发音引擎。");
    EXPECT_LE(note->heightForWidth(note->width()), note->height());
    EXPECT_FALSE(note->geometry().intersects(ok->geometry()));
    for (const QWidget* child : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(dlg.rect().contains(child->geometry())) << child->objectName().toStdString();

    // No setting.ini: volume 50 and rate 0, given to the voice as soon as the box opens.
    EXPECT_GT(dlg.m_comboVoice.count(), 20);
    EXPECT_EQ(dlg.m_comboVoice.currentIndex(), 0);
    EXPECT_EQ(dlg.m_sliderVolume.value(), 50);
    EXPECT_EQ(dlg.m_sliderVolume.maximum(), 100);
    EXPECT_EQ(dlg.m_sliderRate.value(), 0);
    EXPECT_EQ(dlg.m_sliderRate.minimum(), -10);
    EXPECT_EQ(m_pVoice->m_calls, (Calls{"volume 50", "rate 0"}));
    QTest::keyClick(&dlg.m_sliderVolume, Qt::Key_PageUp);
    QTest::keyClick(&dlg.m_sliderRate, Qt::Key_Left);
    EXPECT_EQ(dlg.m_nVolume, 70);
    EXPECT_EQ(dlg.m_nRate, -1);
  };
  EXPECT_EQ(Open(kCancel, look), 1);
  EXPECT_FALSE(QFile::exists(m_cwd->file("setting.ini")));
  EXPECT_EQ(m_pVoice->m_calls.size(), 2u);
  EXPECT_EQ(g_nVolume, 50);
  EXPECT_EQ(Frame()->m_nRate, 0);
  EXPECT_FALSE(Frame()->m_pVoiceToken);
}

// What a screen reader announces for each control: the text it shows, or
// for the list and the sliders the label above them.
TEST_F(SpeechSettingsDialogTest, EveryControlIsAnnouncedByItsVisibleLabel) {
  Open(kCancel, [&](CSpeechSettingsDialog& dlg) {
    const auto name = [](QWidget* w) {
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      return a ? a->text(QAccessible::Name) : QStringLiteral("(none)");
    };
    // A list is announced by its current entry and by the label its
    // relation names; the name is set for the platforms that read it.
    EXPECT_EQ(dlg.m_comboVoice.accessibleName(), "发音引擎");
    QStringList comboLabels;
    for (const auto& [other, relation] :
         QAccessible::queryAccessibleInterface(&dlg.m_comboVoice)->relations(QAccessible::Label))
      comboLabels << other->text(QAccessible::Name);
    EXPECT_EQ(comboLabels, QStringList{"发音引擎:"});
    EXPECT_EQ(name(&dlg.m_sliderVolume), "发音音量");
    EXPECT_EQ(name(&dlg.m_sliderRate), "发音速度");
    EXPECT_EQ(name(dlg.findChild<QPushButton*>("IDOK")), "Ok");
    EXPECT_EQ(name(dlg.findChild<QPushButton*>("IDCANCEL")), "Cancel");
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
      EXPECT_EQ(name(label), label->text());
      // Alt with the label's key would reach its control; the buddies say which.
      const std::map<QString, QWidget*> buddies = {
          {"发音音量:", &dlg.m_sliderVolume}, {"发音速度:", &dlg.m_sliderRate}, {"发音引擎:", &dlg.m_comboVoice}};
      const auto it = buddies.find(label->text());
      EXPECT_EQ(label->buddy(), it == buddies.end() ? nullptr : it->second) << label->text().toStdString();
    }
    // Nothing that takes the focus goes unnamed.
    for (QWidget* w : dlg.findChildren<QWidget*>())
      if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && w->parentWidget() == &dlg) {
        EXPECT_FALSE(name(w).isEmpty()) << w->objectName().toStdString();
      }
  });
}

TEST_F(SpeechSettingsDialogTest, StoredValuesBeyondTheSlidersAreSentAsTheyAreAndOkStoresWhatTheSlidersShow) {
  const struct {
    const char* stored;
    int nVolume, nRate;
    Calls opened;
    const char* saved;
  } cases[] = {
      {"pos=0\r\nrate=15", 50, 10, {"volume 50", "rate 15"}, "pos=50\r\nrate=10"},
      {"pos=5\r\nrate=-3", 20, -3, {"volume 20", "rate -3"}, "pos=20\r\nrate=-3"},
      {"pos=-3\r\nrate=x", 20, 0, {"volume 20", "rate 0"}, "pos=20\r\nrate=0"},
      {"pos=150\r\nrate=-15", 100, -10, {"volume 150", "rate -15"}, "pos=100\r\nrate=-10"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    WriteFileBytes(m_cwd->file("setting.ini"), std::string("[lexiphon]\r\n") + c.stored + "\r\n");
    m_pVoice->m_calls.clear();
    Open(kOk, [&](CSpeechSettingsDialog& dlg) {
      EXPECT_EQ(dlg.m_sliderVolume.value(), c.nVolume);
      EXPECT_EQ(dlg.m_sliderRate.value(), c.nRate);
    });
    // Opening and the box's OK send the values as read; the command then
    // sends the sliders'.
    Calls expected = c.opened;
    expected.insert(expected.end(), c.opened.begin(), c.opened.end());
    expected.insert(expected.end(), {"voice", "volume " + std::to_string(c.nVolume),
                                     "rate " + std::to_string(c.nRate), "voice"});
    EXPECT_EQ(m_pVoice->m_calls, expected);
    EXPECT_EQ(g_nVolume, c.nVolume);
    EXPECT_EQ(Frame()->m_nRate, c.nRate);
    EXPECT_EQ(Ini(), std::string("[lexiphon]\r\n") + c.saved + "\r\nvoice=" + TokenIdOf(Frame()->m_pVoiceToken.get()) +
                         "\r\n");
  }
}

TEST_F(SpeechSettingsDialogTest,
       OkGivesTheVoiceTheChosenVoiceAndSlidersAndTheNextOpeningStartsFromIt) {
  ISpObjectToken* pChosen = nullptr;
  Open(kOk, [&](CSpeechSettingsDialog& dlg) {
    QTest::keyClick(&dlg.m_comboVoice, Qt::Key_Down);
    QTest::keyClick(&dlg.m_comboVoice, Qt::Key_Down);
    pChosen = dlg.m_comboVoice.GetItemData(2);
    for (int i = 0; i < 3; ++i) QTest::keyClick(&dlg.m_sliderVolume, Qt::Key_Left);
    QTest::keyClick(&dlg.m_sliderRate, Qt::Key_PageUp);
  });
  ASSERT_TRUE(pChosen);
  EXPECT_EQ(Frame()->m_pVoiceToken.get(), pChosen);
  CRef<ISpObjectToken> pSpeaking;
  std::uint16_t nVolume = 0;
  std::int32_t nRate = 0;
  ASSERT_EQ(g_pVoice->GetVoice(&pSpeaking), S_OK);
  g_pVoice->GetVolume(&nVolume);
  g_pVoice->GetRate(&nRate);
  EXPECT_EQ(pSpeaking.get(), pChosen);
  EXPECT_EQ(nVolume, 47);
  EXPECT_EQ(nRate, 4);
  EXPECT_EQ(g_nVolume, 47);
  EXPECT_EQ(Frame()->m_nRate, 4);
  EXPECT_EQ(Ini(), "[lexiphon]\r\npos=47\r\nrate=4\r\nvoice=" + TokenIdOf(pChosen) + "\r\n");

  Open(kCancel, [&](CSpeechSettingsDialog& dlg) {
    EXPECT_EQ(dlg.m_comboVoice.currentIndex(), 2);
    EXPECT_EQ(dlg.m_sliderVolume.value(), 47);
    EXPECT_EQ(dlg.m_sliderRate.value(), 4);
  });
  EXPECT_EQ(Frame()->m_pVoiceToken.get(), pChosen);
}

TEST_F(SpeechSettingsDialogTest, VoicesAreSortedTheFirstIsPreselectedAndOnlyTheChosenOneOutlivesTheBox) {
  UseTestCategory();
  CRef<ISpObjectToken> zulu = Token(u"Zulu"), alpha = Token(u"alpha"), mike = Token(u"Mike"),
                       alpha2 = Token(u"alpha");
  m_pCategory->m_tokens = {zulu, alpha, mike, alpha2};
  // Filled alone the list keeps the first voice walked selected, wherever
  // sorting puts it.
  {
    CVoiceComboBox combo;
    EXPECT_EQ(combo.FillVoiceList(SPCAT_VOICES), S_OK);
    EXPECT_EQ(combo.currentText(), "Zulu");
  }
  m_pCategory->m_tokens.clear();
  EXPECT_EQ(Refs(zulu.get()), 1u);

  m_pCategory->m_tokens = {zulu, alpha, mike, alpha2};
  Open(kOk, [&](CSpeechSettingsDialog& dlg) {
    QStringList texts;
    for (int i = 0; i < dlg.m_comboVoice.count(); ++i) texts << dlg.m_comboVoice.itemText(i);
    EXPECT_EQ(texts, QStringList({"alpha", "alpha", "Mike", "Zulu"}));
    EXPECT_EQ(dlg.m_comboVoice.currentIndex(), 0);
    EXPECT_EQ(dlg.m_comboVoice.GetItemData(0), alpha.get());
    EXPECT_EQ(dlg.m_comboVoice.GetItemData(1), alpha2.get());
    EXPECT_EQ(dlg.m_comboVoice.GetItemData(3), zulu.get());
    QTest::keyClick(&dlg.m_comboVoice, Qt::Key_Down);
    QTest::keyClick(&dlg.m_comboVoice, Qt::Key_Down);
  });
  m_pCategory->m_tokens.clear();
  EXPECT_EQ(Frame()->m_pVoiceToken.get(), mike.get());
  EXPECT_EQ(Refs(mike.get()), 2u) << "ours and the frame's";
  for (IUnknown* p : {zulu.get(), alpha.get(), alpha2.get()}) EXPECT_EQ(Refs(p), 1u);
}

TEST_F(SpeechSettingsDialogTest, WithoutVoicesTheBoxSaysSoAndOkFallsBackToTheDefaultVoice) {
  UseTestCategory();
  Open(kOk, [&](CSpeechSettingsDialog& dlg) {
    EXPECT_EQ(dlg.m_comboVoice.count(), 0);
    // Nothing loaded or applied: the sliders as the control starts.
    EXPECT_EQ(dlg.m_sliderVolume.value(), 0);
    EXPECT_EQ(dlg.m_sliderRate.minimum(), 0);
    EXPECT_TRUE(m_pVoice->m_calls.empty());
  });
  EXPECT_EQ(m_boxes, QStringList{"没有发音引擎，请检查您的声卡"});
  EXPECT_EQ(m_pVoice->m_calls,
            (Calls{"volume 50", "rate -2", "voice null", "volume 0", "rate 0", "voice null"}));
  EXPECT_EQ(Ini(), "[lexiphon]\r\npos=0\r\nrate=0\r\n");

  // A category that cannot be read: no message either.
  m_pCategory->m_hrSetId = SPERR_NOT_FOUND;
  m_pVoice->m_calls.clear();
  m_boxes.clear();
  EXPECT_EQ(Open(kCancel, [&](CSpeechSettingsDialog&) { EXPECT_TRUE(m_pVoice->m_calls.empty()); }), 1);
  EXPECT_TRUE(m_boxes.isEmpty());
}

}  // namespace

namespace {

// With the installed voices, OK on an untouched box keeps the voice that reads
// both languages, whichever language the names are shown in.
TEST_F(SpeechSettingsDialogTest, UntouchedBoxKeepsTheDefaultVoiceInEitherLanguage) {
  const QByteArray saved = qgetenv("LANGUAGE");
  for (const char* language : {"zh_CN", "en_US"}) {
    SCOPED_TRACE(language);
    qputenv("LANGUAGE", language);
    Open(kOk, [&](CSpeechSettingsDialog& dlg) {
      EXPECT_GT(dlg.m_comboVoice.count(), 10);
      EXPECT_EQ(dlg.m_comboVoice.currentIndex(), 0);
    });
    ASSERT_TRUE(Frame()->m_pVoiceToken);
    EXPECT_EQ(VoiceIdentifierOf(Frame()->m_pVoiceToken.get()), std::string());
  }
  if (saved.isNull())
    qunsetenv("LANGUAGE");
  else
    qputenv("LANGUAGE", saved);
}

}  // namespace
