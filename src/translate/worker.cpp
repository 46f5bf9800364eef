#include "translate/worker.h"

#include "platform/http.h"
#include "text/codepage.h"
#include "translate/framelink.h"
#include "translate/request.h"
#include "translate/translation.h"

#include <atomic>
#include <cstring>
#include <list>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace translate {

namespace {

int TranslateProc(std::unique_ptr<TranslationJob> pJob, TranslationDirection dir) {
  const std::shared_ptr<CFrameLink> pFrame = std::move(pJob->pFrame);
  std::string strText = std::move(pJob->strText);
  const TranslateHost host = std::move(pJob->host);
  pJob.reset();

  text::Trim(strText);
  const std::string sent = SentText(strText);
  std::string result;
  QString failure;
  try {
    int nStatus = 0;
    const std::string page = FetchPage(host, dir, FormBody(sent, dir), pFrame->Abort(), &nStatus);
    // An error page is no translation, whatever it holds.
    std::optional<std::string> found = FindTranslation(page, sent, dir);
    if (nStatus >= 400) {
      // An error page is no translation; what it says about the error, in
      // the place of one, follows the status.
      failure = HttpStatusText(nStatus);
      if (found && !found->empty()) failure += QStringLiteral("\r\n") + text::ToUnicode(*found);
    } else if (found) {
      result = std::move(*found);
    } else {
      failure = NoTranslationText();
    }
  } catch (const platform::CInternetException& e) {
    // Stopped because the frame went: nobody is left to tell.
    if (pFrame->IsGone()) return 0;
    failure = FailureText(e.m_dwError);
  }
  if (!failure.isEmpty()) {
    if (!pFrame->MessageBox(failure)) return 0;
    result = text::FromUnicode(failure);
  }
  DeliverTranslation(pFrame, result);
  return 0;
}

// Every worker thread, joined once finished; the last ones at exit.
class CWorkerThreads {
 public:
  ~CWorkerThreads() {
    std::list<Worker> workers;
    {
      std::lock_guard lock(m_mutex);
      workers.swap(m_workers);
    }
    for (Worker& w : workers) {
      w.pAbort->Abort();
      w.thread.join();
    }
  }

  bool Start(TranslationProc proc, std::unique_ptr<TranslationJob> pJob) {
    std::lock_guard lock(m_mutex);
    Reap();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<platform::CInternetAbort> abort = pJob->pFrame->Abort();
    try {
      std::thread thread([proc, done, job = std::move(pJob)]() mutable {
        proc(std::move(job));
        *done = true;
      });
      m_workers.push_back({std::move(thread), done, std::move(abort)});
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }

  int Running() {
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const Worker& w : m_workers) n += *w.done ? 0 : 1;
    return n;
  }

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
    std::shared_ptr<platform::CInternetAbort> pAbort;
  };

  void Reap() {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
      if (*it->done) {
        it->thread.join();
        it = m_workers.erase(it);
      } else {
        ++it;
      }
    }
  }

  std::mutex m_mutex;
  std::list<Worker> m_workers;
};

// Made at the first request, long after the network library's start-up, so
// that it is destroyed (and its threads joined) before that library's
// clean-up at exit.
CWorkerThreads& Workers() {
  static CWorkerThreads workers;
  return workers;
}

}  // namespace

int TranslateEnToZhProc(std::unique_ptr<TranslationJob> pJob) {
  return TranslateProc(std::move(pJob), TranslationDirection::EnToZh);
}

int TranslateZhToEnProc(std::unique_ptr<TranslationJob> pJob) {
  return TranslateProc(std::move(pJob), TranslationDirection::ZhToEn);
}

void DeliverTranslation(const std::shared_ptr<CFrameLink>& pFrame, std::string_view text) {
  const std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
  std::memcpy(buffer.get(), text.data(), text.size());
  buffer[text.size()] = '\0';
  const char* pszText = buffer.get();
  pFrame->Deliver(pszText);
}

bool StartTranslationWorker(TranslationProc proc, std::unique_ptr<TranslationJob> pJob) {
  return Workers().Start(proc, std::move(pJob));
}

int RunningTranslationWorkers() { return Workers().Running(); }

}  // namespace translate
