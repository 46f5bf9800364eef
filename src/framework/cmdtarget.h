#pragma once
// Command targets and their handler tables. A command id travels from the
// active view to its document, the frame and the application; the first
// target whose table has the id handles it. The same route answers update
// queries (enabled, checked) for menus and toolbar buttons.
#include <cstddef>
#include <functional>
#include <optional>
#include <typeinfo>

namespace fw {

// Tells tests which class's table carried out a command.
using CmdTrace = std::function<void(const std::type_info& handlerClass, unsigned nID)>;
CmdTrace& CommandTrace();

class CCmdUI {
 public:
  explicit CCmdUI(unsigned nID) : m_nID(nID) {}
  void Enable(bool bOn = true) { m_bEnabled = bOn; m_bEnableChanged = true; }
  void SetCheck(bool bCheck = true) { m_bChecked = bCheck; }

  unsigned m_nID;
  // Set: only ask whether a command handler exists; nothing is called.
  bool m_bProbe = false;
  bool m_bEnabled = true;
  bool m_bEnableChanged = false;
  std::optional<bool> m_bChecked;
};

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;
  // Handles nID (pCmdUI null) or answers its update query; false passes it on.
  virtual bool OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) { (void)nID; (void)pCmdUI; return false; }
};

// One row of a class's handler table.
template <class T>
struct CmdEntry {
  unsigned nID;
  void (T::*pfnCommand)();
  void (T::*pfnUpdate)(CCmdUI*);
};

// Looks nID up in a handler table. An entry without a command handler still
// answers the update query, and the reverse.
template <class T, std::size_t N>
bool DispatchCmdMsg(T* pTarget, const CmdEntry<T> (&table)[N], unsigned nID, CCmdUI* pCmdUI) {
  for (const CmdEntry<T>& e : table) {
    if (e.nID != nID) continue;
    if (pCmdUI && pCmdUI->m_bProbe) {
      if (!e.pfnCommand) continue;
      return true;
    }
    if (pCmdUI) {
      if (!e.pfnUpdate) continue;
      (pTarget->*e.pfnUpdate)(pCmdUI);
      return true;
    }
    if (!e.pfnCommand) continue;
    if (CommandTrace()) CommandTrace()(typeid(T), nID);
    (pTarget->*e.pfnCommand)();
    return true;
  }
  return false;
}

}  // namespace fw
