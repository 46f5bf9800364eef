#pragma once
// The worker thread of one translation request: it owns its job, posts the
// form, extracts the translation and hands it (or the failure text) to the
// frame. It never touches a widget.
#include "translate/translatehost.h"

#include <memory>
#include <string>
#include <string_view>

namespace translate {

class CFrameLink;

struct TranslationJob {
  std::shared_ptr<CFrameLink> pFrame;
  std::string strText;  // trimmed and substituted
  TranslateHost host;   // the host the connection check passed for
};

// The worker procedures; each owns its job and releases it at once.
int TranslateEnToZhProc(std::unique_ptr<TranslationJob> pJob);
int TranslateZhToEnProc(std::unique_ptr<TranslationJob> pJob);

// Copies text into a zero-terminated buffer of its own, hands it to the frame
// on the interface thread and waits; the buffer is released after the frame
// is done with it. Nothing happens when the frame is gone.
void DeliverTranslation(const std::shared_ptr<CFrameLink>& pFrame, std::string_view text);

// Starts proc(job) on a thread of its own. False when no thread could be
// started (the job is then released).
using TranslationProc = int (*)(std::unique_ptr<TranslationJob>);
bool StartTranslationWorker(TranslationProc proc, std::unique_ptr<TranslationJob> pJob);

// Workers not finished yet. At exit the remaining ones are stopped and
// waited for, so that none outlives the network library.
int RunningTranslationWorkers();

}  // namespace translate
