#include "translate/session.h"

#include "translate/worker.h"

#include <memory>

namespace translate {

int g_bEnToZhBusy = 0;
int g_bZhToEnBusy = 0;

bool StartTranslation(QWidget* pFrame, CFrameLink::DeliverFn fnDeliver, TranslationDirection dir, std::string strText,
                      TranslateHost host) {
  auto pJob = std::make_unique<TranslationJob>(
      TranslationJob{CFrameLink::For(pFrame, std::move(fnDeliver)), std::move(strText), std::move(host)});
  const TranslationProc proc =
      dir == TranslationDirection::EnToZh ? &TranslateEnToZhProc : &TranslateZhToEnProc;
  if (!StartTranslationWorker(proc, std::move(pJob))) return false;
  g_bEnToZhBusy = 1;
  g_bZhToEnBusy = 1;
  return true;
}

void EndTranslation() {
  g_bEnToZhBusy = 0;
  g_bZhToEnBusy = 0;
}

}  // namespace translate
