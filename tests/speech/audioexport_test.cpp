// Saving speech to a file through the engine: every format reads back with
// the length the same text has when spoken, the voice's settings are kept,
// and a cancelled or failed export leaves the folder as it was.
#include "platform/speech/audioexport.h"
#include "platform/speech/audiosink.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <thread>

using namespace speech;
using testing_support::ReadFileBytes;
using testing_support::ScopedFileSizeLimit;
using testing_support::ScopedTempCwd;
using testing_support::WriteFileBytes;

namespace {

const char16_t kSentence[] = u"Good morning, teacher. I like learning English every day.";

std::u16string LongText() {
  std::u16string s;
  for (int i = 0; i < 80; ++i) s += u"The quick brown fox jumps over the lazy dog, and then it runs away. ";
  return s;
}

struct SRead {
  bool bOk = false;
  int nRate = 0;
  int nChannels = 0;
  std::vector<short> samples;
  double Seconds() const { return nRate ? static_cast<double>(samples.size()) / nRate : 0; }
  int Peak() const {
    int peak = 0;
    for (short s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
  }
};

// Decodes the whole file, not trusting the header's frame count.
SRead ReadBack(const QString& path) {
  SRead r;
  SF_INFO info{};
  SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
  if (!f) return r;
  r.nRate = info.samplerate;
  r.nChannels = info.channels;
  short buf[4096];
  for (sf_count_t n; (n = sf_read_short(f, buf, 4096)) > 0;) r.samples.insert(r.samples.end(), buf, buf + n);
  r.bOk = sf_close(f) == 0;
  return r;
}

class AudioExportTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
  void TearDown() override { CoUninitialize(); }

  // The same text spoken into memory: what the file must hold.
  double SpokenSeconds(const std::u16string& text, int nRate = 0) {
    CRef<ISpVoice> voice;
    EXPECT_EQ(
        CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&voice)),
        S_OK);
    auto sink = std::make_shared<CMemorySink>(false);
    voice->SetOutput(sink);
    voice->SetRate(nRate);
    voice->Speak(text.c_str(), SPF_DEFAULT, nullptr);
    return static_cast<double>(sink->Position()) / sink->SampleRate();
  }

  static bool WaitUntilStopped(CSpeechExport& e) {
    for (int i = 0; i < 6000 && e.IsRunning(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !e.IsRunning();
  }

  SSpeechExportRequest Request(const QString& name, SoundFileFormat format, std::u16string text = kSentence) {
    SSpeechExportRequest r;
    r.strTarget = m_dir.file(name);
    r.format = format;
    r.strText = std::move(text);
    return r;
  }

  QStringList Folder() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

  ScopedTempCwd m_dir;
};

class AudioExportFormatTest : public AudioExportTest,
                              public ::testing::WithParamInterface<std::pair<SoundFileFormat, const char*>> {
};

TEST_P(AudioExportFormatTest, TheFileReadsBackWithTheLengthOfTheSpokenText) {
  const auto [format, name] = GetParam();
  CSpeechExport e(Request(QString::fromLatin1(name), format));
  ASSERT_TRUE(e.Start()) << e.Error().toStdString();
  ASSERT_TRUE(WaitUntilStopped(e));
  EXPECT_DOUBLE_EQ(e.Progress(), 1.0);
  ASSERT_TRUE(e.Finish()) << e.Error().toStdString();

  const SRead r = ReadBack(m_dir.file(QString::fromLatin1(name)));
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.nChannels, 1);
  // The natural English voice's own rate.
  EXPECT_EQ(r.nRate, 16000);
  const double expected = SpokenSeconds(kSentence);
  EXPECT_GT(expected, 2.0);
  EXPECT_NEAR(r.Seconds(), expected, expected * 0.1);
  EXPECT_GT(r.Peak(), 1000) << "silence";
  // Only the finished file is left, readable by others as any new file.
  EXPECT_EQ(Folder(), QStringList{QString::fromLatin1(name)});
  EXPECT_TRUE(QFile::permissions(m_dir.file(QString::fromLatin1(name))) & QFileDevice::ReadOwner);
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioExportFormatTest,
                         ::testing::Values(std::pair{SoundFileFormat::Wav, "speech.wav"},
                                           std::pair{SoundFileFormat::Flac, "speech.flac"},
                                           std::pair{SoundFileFormat::OggVorbis, "speech.ogg"},
                                           std::pair{SoundFileFormat::Mp3, "speech.mp3"}));

TEST_F(AudioExportTest, RateAndVolumeAreThoseOfTheRequest) {
  SSpeechExportRequest normal = Request("normal.wav", SoundFileFormat::Wav);
  SSpeechExportRequest fastQuiet = Request("fast.wav", SoundFileFormat::Wav);
  fastQuiet.nRate = 10;
  fastQuiet.nVolume = 25;
  for (SSpeechExportRequest* r : {&normal, &fastQuiet}) {
    CSpeechExport e(*r);
    ASSERT_TRUE(e.Start());
    ASSERT_TRUE(WaitUntilStopped(e));
    ASSERT_TRUE(e.Finish()) << e.Error().toStdString();
  }
  const SRead a = ReadBack(normal.strTarget), b = ReadBack(fastQuiet.strTarget);
  ASSERT_TRUE(a.bOk && b.bOk);
  EXPECT_NEAR(b.Seconds(), SpokenSeconds(kSentence, 10), b.Seconds() * 0.1);
  EXPECT_LT(b.Seconds(), a.Seconds() * 0.6);
  EXPECT_NEAR(static_cast<double>(b.Peak()) / a.Peak(), 0.25, 0.08);
}

TEST_F(AudioExportTest, AnExistingFileIsReplacedOnlyWhenTheNewOneIsComplete) {
  const QString target = m_dir.file("old.mp3");
  WriteFileBytes(target, "the earlier recording");
  {
    CSpeechExport e(Request("old.mp3", SoundFileFormat::Mp3, LongText()));
    ASSERT_TRUE(e.Start());
    // Some of it is written, under another name.
    for (int i = 0; i < 500 && e.Seconds() < 1.0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(e.IsRunning());
    EXPECT_EQ(Folder().size(), 2);
    EXPECT_EQ(ReadFileBytes(target), "the earlier recording");
    e.Cancel();
    EXPECT_FALSE(e.IsRunning());
  }
  EXPECT_EQ(Folder(), QStringList{"old.mp3"});
  EXPECT_EQ(ReadFileBytes(target), "the earlier recording");

  CSpeechExport e(Request("old.mp3", SoundFileFormat::Mp3));
  ASSERT_TRUE(e.Start());
  ASSERT_TRUE(WaitUntilStopped(e));
  ASSERT_TRUE(e.Finish());
  EXPECT_TRUE(ReadBack(target).bOk);
  EXPECT_EQ(Folder(), QStringList{"old.mp3"});
}

TEST_F(AudioExportTest, DroppingAnExportUnderWayCancelsIt) {
  {
    CSpeechExport e(Request("gone.flac", SoundFileFormat::Flac, LongText()));
    ASSERT_TRUE(e.Start());
    for (int i = 0; i < 500 && e.Seconds() < 0.5; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(Folder().isEmpty()) << Folder().join(' ').toStdString();
}

TEST_F(AudioExportTest, AFailedExportSaysWhyAndLeavesNothing) {
  // No such folder.
  SSpeechExportRequest missing = Request("x.wav", SoundFileFormat::Wav);
  missing.strTarget = m_dir.file("no/such/folder/x.wav");
  CSpeechExport a(missing);
  EXPECT_FALSE(a.Start());
  EXPECT_TRUE(a.Error().contains(QStringLiteral("不存在"))) << a.Error().toStdString();

  // The disk fills up half way.
  {
    ScopedFileSizeLimit full(20000);
    CSpeechExport b(Request("full.wav", SoundFileFormat::Wav, LongText()));
    ASSERT_TRUE(b.Start());
    ASSERT_TRUE(WaitUntilStopped(b));
    EXPECT_FALSE(b.Finish());
    EXPECT_TRUE(b.Error().startsWith(QStringLiteral("写入声音文件时出错"))) << b.Error().toStdString();
  }

  EXPECT_TRUE(Folder().isEmpty()) << Folder().join(' ').toStdString();
}

TEST_F(AudioExportTest, APausedVoiceAndTheExportDoNotHoldEachOther) {
  CRef<ISpVoice> voice;
  ASSERT_EQ(
      CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&voice)),
      S_OK);
  auto heard = std::make_shared<CMemorySink>(false);
  voice->SetOutput(heard);
  voice->Pause();
  ASSERT_EQ(voice->Speak(kSentence, SPF_ASYNC, nullptr), S_OK);

  CSpeechExport e(Request("while.ogg", SoundFileFormat::OggVorbis, LongText().substr(0, 1000)));
  ASSERT_TRUE(e.Start());
  ASSERT_TRUE(WaitUntilStopped(e));
  ASSERT_TRUE(e.Finish());
  EXPECT_TRUE(ReadBack(m_dir.file("while.ogg")).bOk);

  // The paused voice stayed where it was and goes on when resumed.
  EXPECT_EQ(heard->Position(), 0u);
  EXPECT_EQ(voice->WaitUntilDone(0), S_FALSE);
  voice->Resume();
  EXPECT_EQ(voice->WaitUntilDone(60000), S_OK);
  EXPECT_NEAR(static_cast<double>(heard->Position()) / heard->SampleRate(), SpokenSeconds(kSentence), 0.3);
}

TEST(SoundFileFormat, TheExtensionChoosesTheFormat) {
  EXPECT_EQ(SoundFileFormatOf("a/b.MP3"), SoundFileFormat::Mp3);
  EXPECT_EQ(SoundFileFormatOf("b.oga"), SoundFileFormat::OggVorbis);
  EXPECT_EQ(SoundFileFormatOf("b.flac"), SoundFileFormat::Flac);
  EXPECT_EQ(SoundFileFormatOf("b.wav"), SoundFileFormat::Wav);
  EXPECT_EQ(SoundFileFormatOf("mp3"), std::nullopt);
  EXPECT_EQ(SoundFileFormatOf("b.txt"), std::nullopt);
}

}  // namespace
