#include "framework/cmdtarget.h"

namespace fw {

CmdTrace& CommandTrace() {
  static CmdTrace trace;
  return trace;
}

}  // namespace fw
